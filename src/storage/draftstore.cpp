#include "storage/draftstore.h"

#include "storage/owneronly.h"

#include <QFile>
#include <QSaveFile>

DraftStore::DraftStore(const QString& directory, QObject* parent)
    : QObject(parent)
    , directory(directory) {}

// Call identifiers are the site's text: hex keeps any of them a plain file name.
QString DraftStore::pathFor(const QString& callID) const {
    return directory + QStringLiteral("/call-") + QString::fromLatin1(callID.toUtf8().toHex()) +
           QStringLiteral(".txt");
}

QString DraftStore::text(const QString& callID) const {
    QFile file(pathFor(callID));
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

bool DraftStore::has(const QString& callID) const {
    return QFile::exists(pathFor(callID));
}

bool DraftStore::keep(const QString& callID, const QString& text) {
    if (text.isEmpty()) {
        remove(callID);
        return true;
    }
    OwnerOnly::makeDirectory(directory);
    QSaveFile file(pathFor(callID));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.setPermissions(OwnerOnly::fileAccess);
    file.write(text.toUtf8());
    return file.commit();
}

void DraftStore::remove(const QString& callID) {
    QFile::remove(pathFor(callID));
}
