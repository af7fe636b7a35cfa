#include "storage/xhelper.h"

#include "storage/owneronly.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTextStream>

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
    const QString problem = OwnerOnly::distrust(dir);
    return problem.isEmpty() && !path.isEmpty() ? OwnerOnly::distrust(path) : problem;
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
