#include "core/calldesk.h"
#include "core/callmodel.h"
#include "core/calltable.h"
#include "core/heldcalls.h"
#include "core/sitestatus.h"
#include "core/sortedcalls.h"
#include "fakegui.h"
#include "gui/historybook.h"
#include "storage/draftstore.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QNetworkReply>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QtQuickTest>

#include <memory>

// The default main-window document loaded as the program loads it, from its text without a file
// name, beside the fake controller and the real call model, held calls, draft store and site
// state, which the test drives through this object, published as "desk".
class MainWindowSetup : public QObject {
    Q_OBJECT

public:
    // The site's list: call records, each carrying its "callID".
    Q_INVOKABLE void listCalls(const QVariantList& records) {
        CallTable table;
        for (const QVariant& record : records) {
            const QJsonObject call = QJsonObject::fromVariantMap(record.toMap());
            table.insert(call.value(QLatin1String("callID")).toString(), call);
        }
        m_model.sync(table);
    }
    // The calls the workplace holds, each record carrying its "callID".
    Q_INVOKABLE void holdCalls(const QVariantList& records) {
        QList<QJsonObject> held;
        for (const QVariant& record : records) {
            held << QJsonObject::fromVariantMap(record.toMap());
        }
        m_held.set(held);
    }
    // A controller from before the held calls were published has no "heldCalls".
    Q_INVOKABLE void publishHeldCalls(bool published) {
        m_context->setContextProperty(QStringLiteral("heldCalls"),
                                      published ? QVariant::fromValue<QObject*>(&m_held)
                                                : QVariant());
    }
    // A regular file where the drafts' directory belongs: no draft can be saved until it goes.
    Q_INVOKABLE void blockDrafts(bool blocked) {
        const QString path = m_directory.path() + QStringLiteral("/drafts");
        QDir(path).removeRecursively();
        QFile::remove(path);
        QFile blocker(path);
        if (blocked && !blocker.open(QIODevice::WriteOnly)) {
            qFatal("Cannot write %s", qPrintable(path));
        }
    }
    // The site's state as the program starts, published anew under its name.
    Q_INVOKABLE void resetSite() {
        auto fresh = std::make_unique<SiteStatus>();
        m_context->setContextProperty(QStringLiteral("siteStatus"), fresh.get());
        m_status = std::move(fresh);
    }
    Q_INVOKABLE void requestStarted() { m_status->requestStarted(); }
    Q_INVOKABLE void requestEnded() { m_status->requestEnded(); }
    Q_INVOKABLE void listReceived() { m_status->listReceived(m_pending.count()); }
    Q_INVOKABLE void siteGone() { m_status->exchangeFailed(refused()); }
    // A call of `phone` closed with `result` in this workplace's history, `minutesAgo` before now.
    Q_INVOKABLE void recordClose(const QString& phone, const QString& result, int minutesAgo) {
        const QDateTime closed = QDateTime::currentDateTime().addSecs(-60 * minutesAgo);
        m_desk.history().record({QString(), QStringLiteral("Earlier caller"), phone,
                                 closed.addSecs(-120), closed.addSecs(-60), closed, result});
        emit m_desk.historyChanged();
    }
    Q_INVOKABLE void forgetHistory() {
        m_desk.history().forget();
        emit m_desk.historyChanged();
    }
    // A controller from before the history was kept has no "callHistory".
    Q_INVOKABLE void publishHistory(bool published) {
        m_context->setContextProperty(QStringLiteral("callHistory"),
                                      published ? QVariant::fromValue<QObject*>(&m_history)
                                                : QVariant());
    }
    Q_INVOKABLE void takeUnreachable() {
        m_status->actionUnreachable(SiteStatus::Action::Take, refused());
    }

public slots:
    void qmlEngineAvailable(QQmlEngine* engine) {
        m_context = engine->rootContext();
        m_context->setContextProperty(QStringLiteral("GUI"), &m_gui);
        m_context->setContextProperty(QStringLiteral("desk"), this);
        m_context->setContextProperty(QStringLiteral("pendingCalls"), &m_pending);
        m_context->setContextProperty(QStringLiteral("drafts"), &m_drafts);
        m_context->setContextProperty(QStringLiteral("heldCalls"), &m_held);
        m_context->setContextProperty(QStringLiteral("workplace"), m_workplace);
        m_context->setContextProperty(QStringLiteral("systemTrayAvailable"), true);
        m_desk.setSite(QStringLiteral("http://calls.example"), QStringLiteral("{op-1}"));
        publishHistory(true);
        resetSite();

        QFile document(QStringLiteral(VORLAN_MAINWINDOW_DOCUMENT));
        if (!document.open(QIODevice::ReadOnly))
            qFatal("Cannot read %s", qPrintable(document.fileName()));
        auto* component = new QQmlComponent(engine, engine);
        component->setData(document.readAll(), QUrl());
        m_context->setContextProperty(QStringLiteral("mainWindowDocument"), component);
    }

private:
    static SiteApi::Reply refused() {
        SiteApi::Reply reply;
        reply.error = QNetworkReply::ConnectionRefusedError;
        reply.errorString = QStringLiteral("Connection refused");
        return reply;
    }

    FakeGui m_gui;
    QTemporaryDir m_directory;
    DraftStore m_drafts{m_directory.path() + QStringLiteral("/drafts")};
    HeldCalls m_held;
    // The real history, in the test's own directory; nothing of the desk reaches a site.
    CallDesk m_desk{m_directory.path()};
    HistoryBook m_history{m_desk};
    CallModel m_model;
    SortedCalls m_pending{&m_model};
    std::unique_ptr<SiteStatus> m_status;
    QQmlContext* m_context = nullptr;
    const QVariantMap m_workplace{
        {QStringLiteral("server"), QStringLiteral("http://calls.example")},
        {QStringLiteral("operatorID"), QStringLiteral("{op-1}")},
        {QStringLiteral("name"), QStringLiteral("Desk 12")}};
};

QUICK_TEST_MAIN_WITH_SETUP(qmlmainwindow, MainWindowSetup)

#include "tst_qmlmainwindow.moc"
