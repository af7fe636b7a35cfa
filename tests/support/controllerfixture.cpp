#include "controllerfixture.h"

#include "recordedlog.h"

#include <QFile>
#include <QJsonDocument>

QByteArray ControllerFixture::recordingDocument() {
    QFile file(QStringLiteral(RECORDING_DOCUMENT));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

bool ControllerFixture::listenSite() {
    site = std::make_unique<TestHttpServer>();
    return site->listen();
}

void ControllerFixture::start(const QVariantMap& settings, const QByteArray& text) {
    QVariantMap merged{{QStringLiteral("server"), site->baseUrl()},
                       {QStringLiteral("operatorID"), QStringLiteral("{op-1}")},
                       {QStringLiteral("visible"), true}};
    for (auto it = settings.begin(); it != settings.end(); ++it) {
        merged.insert(it.key(), it.value());
    }
    gui = std::make_unique<GUI>();
    // What the program publishes from the stored registration, for the default document.
    const QVariantMap workplace{
        {QStringLiteral("server"), merged.value(QStringLiteral("server"))},
        {QStringLiteral("operatorID"), merged.value(QStringLiteral("operatorID"))},
        {QStringLiteral("name"), QStringLiteral("Desk 1")}};
    document = gui->start(
        text, {{QStringLiteral("testSettings"), merged}, {QStringLiteral("workplace"), workplace}});
}

void ControllerFixture::tearDown() {
    gui.reset();
    document = nullptr;
    site.reset();
}

QStringList ControllerFixture::log() const {
    return recordedLog(document);
}

void ControllerFixture::clearLog() {
    document->setProperty("log", QVariantList());
}

QList<QJsonObject> ControllerFixture::shownRecords() const {
    const QStringList entries = log();
    const int cleared = entries.lastIndexOf(QStringLiteral("clearList"));
    const QString prefix = QStringLiteral("appendElement ");
    QList<QJsonObject> records;
    for (const QString& entry : entries.mid(cleared + 1)) {
        if (cleared >= 0 && entry.startsWith(prefix)) {
            records << QJsonDocument::fromJson(entry.mid(prefix.size()).toUtf8()).object();
        }
    }
    return records;
}

QList<TestHttpServer::Request> ControllerFixture::requestsTo(const QByteArray& path) const {
    QList<TestHttpServer::Request> matching;
    for (const auto& request : site->requests()) {
        if (request.path == path) {
            matching << request;
        }
    }
    return matching;
}
