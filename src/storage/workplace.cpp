#include "storage/workplace.h"

#include "storage/xhelper.h"

#include <QFileInfo>
#include <QJsonDocument>

namespace {
const QString serverKey = QStringLiteral("server");
const QString operatorKey = QStringLiteral("operatorID");
const QString nameKey = QStringLiteral("workplace");

QJsonObject parseConf(const QString& text, bool* ok) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    *ok = error.error == QJsonParseError::NoError && document.isObject();
    return document.object();
}
} // namespace

Workplace Workplace::load(XHelper& helper) {
    Workplace workplace;
    const QString text = helper.readConf();
    // An untrusted file counts as missing; start-up says why.
    if (!QFileInfo::exists(helper.confPath()) || !helper.distrust(helper.confPath()).isEmpty()) {
        return workplace;
    }
    bool ok = false;
    workplace.conf = parseConf(text, &ok);
    workplace.confUnreadable = !ok;
    return workplace;
}

bool Workplace::isRegistered() const {
    const QJsonValue server = conf.value(serverKey);
    const QJsonValue id = conf.value(operatorKey);
    return server.isString() && !server.toString().isEmpty() && id.isString() &&
           !id.toString().isEmpty();
}

QString Workplace::server() const {
    return conf.value(serverKey).toString();
}

QString Workplace::operatorID() const {
    return conf.value(operatorKey).toString();
}

QString Workplace::name() const {
    return conf.value(nameKey).toString();
}

QVariantMap Workplace::contextObject() const {
    return {{QStringLiteral("server"), server()},
            {QStringLiteral("operatorID"), operatorID()},
            {QStringLiteral("name"), name()}};
}

bool Workplace::store(XHelper& helper, const QString& server, const QString& operatorID,
                      const QString& name) {
    bool ok = false;
    QJsonObject conf = parseConf(helper.readConf(), &ok);
    conf.insert(serverKey, server);
    conf.insert(operatorKey, operatorID);
    conf.insert(nameKey, name);
    return helper.writeConf(conf);
}
