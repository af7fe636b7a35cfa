#include "storage/workplace.h"

#include "storage/conffile.h"
#include "storage/xhelper.h"

namespace {
const QString serverKey = QStringLiteral("server");
const QString operatorKey = QStringLiteral("operatorID");
const QString nameKey = QStringLiteral("workplace");
} // namespace

Workplace Workplace::load(XHelper& helper) {
    Workplace workplace;
    // An untrusted file counts as missing; start-up says why.
    if (!helper.distrust(helper.confPath()).isEmpty()) {
        return workplace;
    }
    bool readable = false;
    workplace.conf = ConfFile::read(helper, &readable);
    workplace.confUnreadable = !readable;
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
    // A successful registration replaces a file that held none.
    return ConfFile::update(
        helper, {{serverKey, server}, {operatorKey, operatorID}, {nameKey, name}}, true);
}
