#include "gui/localonlynetwork.h"

#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QQmlEngine>
#include <QQmlNetworkAccessManagerFactory>
#include <QUrl>

namespace {

class LocalOnlyManager final : public QNetworkAccessManager {
public:
    using QNetworkAccessManager::QNetworkAccessManager;

protected:
    QNetworkReply* createRequest(Operation operation, const QNetworkRequest& request,
                                 QIODevice* data) override {
        const QString scheme = request.url().scheme();
        if (scheme == QLatin1String("qrc") || scheme == QLatin1String("file")) {
            return QNetworkAccessManager::createRequest(operation, request, data);
        }
        // A request without a URL fails as an unsupported protocol, without any traffic.
        QNetworkRequest refused(request);
        refused.setUrl(QUrl());
        return QNetworkAccessManager::createRequest(operation, refused, data);
    }
};

// Engines call it from their loader threads too; it keeps no state.
class LocalOnlyFactory final : public QQmlNetworkAccessManagerFactory {
public:
    QNetworkAccessManager* create(QObject* parent) override { return new LocalOnlyManager(parent); }
};

} // namespace

namespace LocalOnlyNetwork {

void install(QQmlEngine& engine) {
    // Outlives every engine: an engine may still ask for a manager while it is destroyed.
    static LocalOnlyFactory factory;
    engine.setNetworkAccessManagerFactory(&factory);
}

} // namespace LocalOnlyNetwork
