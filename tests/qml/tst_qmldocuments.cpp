#include "fakegui.h"

#include <QGuiApplication>
#include <QPalette>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

// Turns the application's palette dark, as a dark desktop's platform theme does, and back.
class TestDesktop : public QObject {
    Q_OBJECT

public:
    Q_INVOKABLE void setDarkPalette(bool dark) {
        if (!dark) {
            QGuiApplication::setPalette(m_original);
            return;
        }
        QPalette palette(m_original);
        palette.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
        palette.setColor(QPalette::WindowText, Qt::white);
        QGuiApplication::setPalette(palette);
    }

private:
    const QPalette m_original = QGuiApplication::palette();
};

class DocumentsSetup : public QObject {
    Q_OBJECT

public slots:
    void qmlEngineAvailable(QQmlEngine* engine) {
        engine->rootContext()->setContextProperty(QStringLiteral("GUI"), &m_gui);
        engine->rootContext()->setContextProperty(QStringLiteral("testDesktop"), &m_desktop);
    }

private:
    FakeGui m_gui;
    TestDesktop m_desktop;
};

QUICK_TEST_MAIN_WITH_SETUP(qmldocuments, DocumentsSetup)

#include "tst_qmldocuments.moc"
