#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>

// Stands in for the controller under its context-property name "GUI": every operation a document
// may call is recorded, with its arguments, in the order it arrived.
class FakeGui final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(FakeGui)
    Q_PROPERTY(QVariantList calls READ calls NOTIFY callsChanged)
    Q_PROPERTY(bool sendResultAnswer READ sendResultAnswer WRITE setSendResultAnswer)
    Q_PROPERTY(bool dialAnswer READ dialAnswer WRITE setDialAnswer)
    // How long closeConversationSendResult runs events before it answers, as the real one does
    // while the site takes its time; 0: it answers at once.
    Q_PROPERTY(int sendResultDelay MEMBER m_sendResultDelay)

public:
    explicit FakeGui(QObject* parent = nullptr);

    QVariantList calls() const;
    bool sendResultAnswer() const;
    void setSendResultAnswer(bool answer);
    bool dialAnswer() const;
    void setDialAnswer(bool answer);

    // Forgets the recorded calls and the watched object, and answers true again everywhere, at
    // once.
    Q_INVOKABLE void reset();
    // Each registerWorkplace call also records the "enabled" state that the descendant of
    // `root` named `objectName` has while the call runs.
    Q_INVOKABLE void watchDuringRegistration(QObject* root, const QString& objectName);

    Q_INVOKABLE void closeConversation(const QString& id);
    Q_INVOKABLE bool closeConversationSendResult(const QString& result);
    Q_INVOKABLE void startConversation(const QString& id);
    Q_INVOKABLE void exitProgramm();
    Q_INVOKABLE void launchURL(const QString& url);
    Q_INVOKABLE void registerWorkplace(const QString& wsName, const QString& url,
                                       const QString& pass);
    Q_INVOKABLE bool dial(const QString& phone);

public slots:
    void getDataFromServer();

signals:
    void callsChanged();

private:
    void record(const QString& name, const QVariantList& args, const QVariantMap& extra = {});
    QObject* watchedObject() const;

    QVariantList m_calls;
    bool m_sendResultAnswer = true;
    bool m_dialAnswer = true;
    int m_sendResultDelay = 0;
    QPointer<QObject> m_watchRoot;
    QString m_watchName;
};
