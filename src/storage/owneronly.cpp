#include "storage/owneronly.h"

#include "net/qstdout.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTextStream>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString distrustOfStatus(const QString& path, const struct stat& status, bool superuserMayOwn) {
    if (S_ISLNK(status.st_mode)) {
        return QStringLiteral("%1 is a symbolic link").arg(path);
    }
    if (status.st_uid != ::getuid() && !(superuserMayOwn && status.st_uid == 0)) {
        return QStringLiteral("%1 is owned by another user").arg(path);
    }
    if (status.st_mode & (S_IWGRP | S_IWOTH)) {
        return QStringLiteral("%1 is writable by group or others (chmod go-w)").arg(path);
    }
    return QString();
}

} // namespace

namespace OwnerOnly {

void makeDirectory(const QString& path) {
    if (!QDir(path).exists() && QDir().mkpath(path)) {
        QFile::setPermissions(path, fileAccess | QFileDevice::ExeOwner);
    }
}

QString distrust(const QString& path) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
        return QString();
    }
    return distrustOfStatus(path, status, false);
}

QString distrustProgramFile(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        return QString();
    }
    return distrustOfStatus(path, status, true);
}

QString distrustOpened(const QString& path, int descriptor) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        return QStringLiteral("%1 is not a regular file").arg(path);
    }
    return distrustOfStatus(path, status, false);
}

void reportDistrusted(const QString& path, const QString& reason) {
    qStdOut() << "Not reading " << path << ": " << reason << Qt::endl;
}

} // namespace OwnerOnly
