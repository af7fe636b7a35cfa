#include "fakegui.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

class DocumentsSetup : public QObject {
    Q_OBJECT

public slots:
    void qmlEngineAvailable(QQmlEngine* engine) {
        engine->rootContext()->setContextProperty(QStringLiteral("GUI"), &m_gui);
    }

private:
    FakeGui m_gui;
};

QUICK_TEST_MAIN_WITH_SETUP(qmldocuments, DocumentsSetup)

#include "tst_qmldocuments.moc"
