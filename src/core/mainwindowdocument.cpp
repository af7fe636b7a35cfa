#include "core/mainwindowdocument.h"

#include <QDir>
#include <QFileInfo>

namespace MainWindowDocument {

QStringList candidates(const QString& perUserDir, const QString& programDir) {
    const QString name = QStringLiteral("MainWindow.qml");
    const QDir program(programDir);
    return {QDir(perUserDir).filePath(name), program.filePath(name),
            QDir::cleanPath(program.filePath(QStringLiteral("../share/vorlan/") + name))};
}

QString locate(const QString& perUserDir, const QString& programDir) {
    for (const QString& path : candidates(perUserDir, programDir)) {
        if (QFileInfo(path).isFile()) {
            return path;
        }
    }
    return QString();
}

} // namespace MainWindowDocument
