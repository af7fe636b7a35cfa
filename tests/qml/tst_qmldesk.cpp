#include "core/sitestatus.h"
#include "fakegui.h"
#include "storage/draftstore.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QtQuickTest>

// The packaged documents with the desk's context objects beside the fake controller: a real
// draft store in a directory of its own, and the site's state.
class DeskSetup : public QObject {
    Q_OBJECT

public slots:
    void qmlEngineAvailable(QQmlEngine* engine) {
        QQmlContext* context = engine->rootContext();
        context->setContextProperty(QStringLiteral("GUI"), &m_gui);
        context->setContextProperty(QStringLiteral("drafts"), &m_drafts);
        context->setContextProperty(QStringLiteral("siteStatus"), &m_status);
    }

private:
    FakeGui m_gui;
    QTemporaryDir m_directory;
    DraftStore m_drafts{m_directory.path() + QStringLiteral("/drafts")};
    SiteStatus m_status;
};

QUICK_TEST_MAIN_WITH_SETUP(qmldesk, DeskSetup)

#include "tst_qmldesk.moc"
