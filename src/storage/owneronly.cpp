#include "storage/owneronly.h"

#include "net/qstdout.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTextStream>

namespace OwnerOnly {

void makeDirectory(const QString& path) {
    if (!QDir(path).exists() && QDir().mkpath(path)) {
        QFile::setPermissions(path, fileAccess | QFileDevice::ExeOwner);
    }
}

void reportDistrusted(const QString& path, const QString& reason) {
    qStdOut() << "Not reading " << path << ": " << reason << Qt::endl;
}

} // namespace OwnerOnly
