#include "storage/draftstore.h"

#include "storage/owneronly.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

namespace {
// Long enough for a weekend and a holiday; a call unlisted that long is not coming back.
constexpr int unlistedDaysKept = 7;
const QString unownedPrefix = QStringLiteral("call-");
} // namespace

DraftStore::DraftStore(const QString& directory, QObject* parent)
    : QObject(parent)
    , directory(directory) {}

void DraftStore::setRegistration(const QString& site, const QString& operatorID) {
    owner = site + QLatin1Char('\n') + operatorID + QLatin1Char('\n');
    adoptUnownedDrafts();
}

// Call identifiers are the site's text, of any length: a digest keeps every name short and plain.
QString DraftStore::fileNameFor(const QString& callID) const {
    const QByteArray digest =
        QCryptographicHash::hash((owner + callID).toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("draft-") + QString::fromLatin1(digest) + QStringLiteral(".txt");
}

QString DraftStore::pathFor(const QString& callID) const {
    return directory + QLatin1Char('/') + fileNameFor(callID);
}

// Drafts written before they had an owner were named after the call alone, in hex.
void DraftStore::adoptUnownedDrafts() {
    const QStringList unowned = QDir(directory).entryList({unownedPrefix + QStringLiteral("*.txt")},
                                                          QDir::Files | QDir::Hidden);
    for (const QString& name : unowned) {
        const QString hex = name.mid(unownedPrefix.size(), name.size() - unownedPrefix.size() - 4);
        const QString callID = QString::fromUtf8(QByteArray::fromHex(hex.toLatin1()));
        if (!has(callID)) {
            QFile::rename(directory + QLatin1Char('/') + name, pathFor(callID));
        }
    }
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

QSet<QString> DraftStore::noteListed(const QStringList& callIDs, const QDateTime& now) {
    const QFileInfoList drafts =
        QDir(directory).entryInfoList({QStringLiteral("draft-*.txt")}, QDir::Files);
    if (drafts.isEmpty()) {
        return {};
    }
    QHash<QString, QString> listed;
    for (const QString& callID : callIDs) {
        listed.insert(fileNameFor(callID), callID);
    }
    QSet<QString> withDrafts;
    const QDateTime expired = now.addDays(-unlistedDaysKept);
    for (const QFileInfo& draft : drafts) {
        QFile file(draft.filePath());
        if (listed.contains(draft.fileName())) {
            withDrafts.insert(listed.value(draft.fileName()));
            // The file's age is how long its call has gone unlisted.
            if (file.open(QIODevice::Append)) {
                file.setFileTime(now, QFileDevice::FileModificationTime);
            }
        } else if (draft.lastModified() < expired) {
            file.remove();
        }
    }
    return withDrafts;
}
