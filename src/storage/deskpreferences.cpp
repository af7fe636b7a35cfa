#include "storage/deskpreferences.h"

#include "storage/conffile.h"

namespace {
const QString notifyKey = QStringLiteral("notifyNewCalls");
const QString soundKey = QStringLiteral("notificationSound");
const QString toldKey = QStringLiteral("toldKeptInTray");
} // namespace

DeskPreferences DeskPreferences::load(XHelper& helper) {
    bool readable = false;
    const QJsonObject conf = ConfFile::read(helper, &readable);
    DeskPreferences preferences;
    preferences.notify = conf.value(notifyKey).toBool(true);
    preferences.sound = conf.value(soundKey).toBool(true);
    preferences.toldKeptInTray = conf.value(toldKey).toBool(false);
    return preferences;
}

bool DeskPreferences::store(XHelper& helper) const {
    return ConfFile::update(
        helper, {{notifyKey, notify}, {soundKey, sound}, {toldKey, toldKeptInTray}}, false);
}
