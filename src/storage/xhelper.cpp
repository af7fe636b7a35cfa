#include "storage/xhelper.h"

#include "storage/owneronly.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTextStream>

#include <unistd.h>

namespace {
// The reason one path cannot be trusted, or empty.
QString distrustOf(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink()) {
        return QStringLiteral("%1 is a symbolic link").arg(path);
    }
    if (!info.exists()) {
        return QString();
    }
    if (info.ownerId() != ::getuid()) {
        return QStringLiteral("%1 is owned by another user").arg(path);
    }
    if (info.permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther)) {
        return QStringLiteral("%1 is writable by group or others (chmod go-w)").arg(path);
    }
    return QString();
}
} // namespace

XHelper::XHelper(QObject* parent)
    : QObject(parent) {}

QString XHelper::homeDir() {
    const QString path = getHomeDir() + QStringLiteral("/.vorlan");
    OwnerOnly::makeDirectory(path);
    return path;
}

QString XHelper::getHomeDir() {
    return QDir::homePath();
}

QString XHelper::confPath() {
    return homeDir() + QStringLiteral("/vorlan.conf");
}

QString XHelper::distrust(const QString& path) {
    const QString dir = homeDir();
    const QString problem = distrustOf(dir);
    return problem.isEmpty() && !path.isEmpty() ? distrustOf(path) : problem;
}

bool XHelper::writeConf(QJsonObject conf) {
    // A directory others can write to could swap the file under the program.
    if (!distrust().isEmpty()) {
        return false;
    }
    // Written beside the old file and renamed over it, so a crash or a full disk
    // never leaves a truncated configuration behind.
    QSaveFile file(confPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return false;
    }
    file.setPermissions(OwnerOnly::fileAccess);
    QTextStream stream(&file);
    stream << QJsonDocument(conf).toJson(QJsonDocument::Indented);
    stream.flush();
    return stream.status() == QTextStream::Ok && file.commit();
}

QString XHelper::readConf() {
    if (!distrust(confPath()).isEmpty()) {
        return QString();
    }
    QFile file(confPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return QString();
    }
    QTextStream stream(&file);
    QString text;
    while (!stream.atEnd()) {
        text += stream.readLine();
    }
    return text;
}
