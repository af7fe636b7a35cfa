#include "storage/announcedcalls.h"

#include "storage/owneronly.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

AnnouncedCalls::AnnouncedCalls(const QString& directory)
    : directory(directory) {}

void AnnouncedCalls::setRegistration(const QString& site, const QString& operatorID) {
    const QByteArray registration =
        QCryptographicHash::hash((site + QLatin1Char('\n') + operatorID).toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex();
    path = directory + QStringLiteral("/announced-") + QString::fromLatin1(registration) +
           QStringLiteral(".json");
}

QStringList AnnouncedCalls::load() const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList callIDs;
    for (const QJsonValue& id : QJsonDocument::fromJson(file.readAll()).array()) {
        callIDs << id.toString();
    }
    callIDs.sort();
    return callIDs;
}

bool AnnouncedCalls::store(const QStringList& callIDs) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.setPermissions(OwnerOnly::fileAccess);
    file.write(QJsonDocument(QJsonArray::fromStringList(callIDs)).toJson(QJsonDocument::Compact));
    return file.commit();
}
