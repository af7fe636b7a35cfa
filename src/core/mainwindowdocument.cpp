#include "core/mainwindowdocument.h"

#include "storage/owneronly.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace MainWindowDocument {

QStringList candidates(const QString& perUserDir, const QString& programDir) {
    const QString name = QStringLiteral("MainWindow.qml");
    const QDir program(programDir);
    return {QDir(perUserDir).filePath(name), program.filePath(name),
            QDir::cleanPath(program.filePath(QStringLiteral("../share/vorlan/") + name))};
}

QString locate(const QString& perUserDir, const QString& programDir, const Distrust& distrust) {
    for (const QString& path : candidates(perUserDir, programDir)) {
        if (!QFileInfo(path).isFile()) {
            continue;
        }
        const QString reason = distrust(path);
        if (reason.isEmpty()) {
            return path;
        }
        OwnerOnly::reportDistrusted(path, reason);
    }
    return QString();
}

} // namespace MainWindowDocument
