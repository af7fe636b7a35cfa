#include "fakegui.h"

#include <QEventLoop>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>
#include <QVariantMap>

FakeGui::FakeGui(QObject* parent)
    : QObject(parent) {}

QVariantList FakeGui::calls() const {
    return m_calls;
}

bool FakeGui::sendResultAnswer() const {
    return m_sendResultAnswer;
}

void FakeGui::setSendResultAnswer(bool answer) {
    m_sendResultAnswer = answer;
}

bool FakeGui::dialAnswer() const {
    return m_dialAnswer;
}

void FakeGui::setDialAnswer(bool answer) {
    m_dialAnswer = answer;
}

void FakeGui::reset() {
    m_calls.clear();
    m_sendResultAnswer = true;
    m_dialAnswer = true;
    m_sendResultDelay = 0;
    m_watchRoot.clear();
    m_watchName.clear();
    emit callsChanged();
}

void FakeGui::watchDuringRegistration(QObject* root, const QString& objectName) {
    m_watchRoot = root;
    m_watchName = objectName;
}

void FakeGui::closeConversation(const QString& id) {
    record(QStringLiteral("closeConversation"), {id});
}

bool FakeGui::closeConversationSendResult(const QString& result) {
    record(QStringLiteral("closeConversationSendResult"), {result});
    if (m_sendResultDelay > 0) {
        QEventLoop wait;
        QTimer::singleShot(m_sendResultDelay, &wait, &QEventLoop::quit);
        wait.exec();
    }
    return m_sendResultAnswer;
}

void FakeGui::startConversation(const QString& id) {
    record(QStringLiteral("startConversation"), {id});
}

void FakeGui::exitProgramm() {
    record(QStringLiteral("exitProgramm"), {});
}

void FakeGui::launchURL(const QString& url) {
    record(QStringLiteral("launchURL"), {url});
}

void FakeGui::registerWorkplace(const QString& wsName, const QString& url, const QString& pass) {
    QVariantMap extra;
    if (const QObject* watched = watchedObject())
        extra.insert(QStringLiteral("watchedEnabled"), watched->property("enabled"));
    record(QStringLiteral("registerWorkplace"), {wsName, url, pass}, extra);
}

bool FakeGui::dial(const QString& phone) {
    record(QStringLiteral("dial"), {phone});
    return m_dialAnswer;
}

void FakeGui::getDataFromServer() {
    record(QStringLiteral("getDataFromServer"), {});
}

void FakeGui::record(const QString& name, const QVariantList& args, const QVariantMap& extra) {
    QVariantMap call = extra;
    call.insert(QStringLiteral("name"), name);
    call.insert(QStringLiteral("args"), args);
    m_calls.append(call);
    emit callsChanged();
}

QObject* FakeGui::watchedObject() const {
    if (!m_watchRoot)
        return nullptr;
    if (QObject* found = m_watchRoot->findChild<QObject*>(m_watchName))
        return found;
    // Items that are not QObject children of a window still hang below its content item.
    if (const auto* window = qobject_cast<QQuickWindow*>(m_watchRoot.data()))
        return window->contentItem()->findChild<QObject*>(m_watchName);
    return nullptr;
}
