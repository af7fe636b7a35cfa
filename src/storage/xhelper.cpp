#include "storage/xhelper.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTextStream>

namespace {
// The file holds the operator identifier, which the site treats as the workplace's credential.
constexpr QFileDevice::Permissions ownerOnlyDir =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions ownerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
} // namespace

XHelper::XHelper(QObject* parent)
    : QObject(parent) {}

QString XHelper::homeDir() {
    const QString path = getHomeDir() + QStringLiteral("/.vorlan");
    if (!QDir(path).exists() && QDir().mkpath(path)) {
        QFile::setPermissions(path, ownerOnlyDir);
    }
    return path;
}

QString XHelper::getHomeDir() {
    return QDir::homePath();
}

QString XHelper::confPath() {
    return homeDir() + QStringLiteral("/vorlan.conf");
}

bool XHelper::writeConf(QJsonObject conf) {
    // Written beside the old file and renamed over it, so a crash or a full disk
    // never leaves a truncated configuration behind.
    QSaveFile file(confPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return false;
    }
    file.setPermissions(ownerOnlyFile);
    QTextStream stream(&file);
    stream << QJsonDocument(conf).toJson(QJsonDocument::Indented);
    stream.flush();
    return stream.status() == QTextStream::Ok && file.commit();
}

QString XHelper::readConf() {
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
