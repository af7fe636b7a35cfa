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

namespace {

QString distrustBesideProgram(const QString& path) {
    const QFileInfo file(path);
    const QString folderProblem = OwnerOnly::distrustProgramFile(file.canonicalPath());
    return folderProblem.isEmpty() ? OwnerOnly::distrustProgramFile(file.canonicalFilePath())
                                   : folderProblem;
}

} // namespace

QString locate(const QString& perUserDir, const QString& programDir,
               const Distrust& perUserDistrust) {
    const QStringList paths = candidates(perUserDir, programDir);
    for (const QString& path : paths) {
        if (!QFileInfo(path).isFile()) {
            continue;
        }
        const QString reason =
            path == paths.first() ? perUserDistrust(path) : distrustBesideProgram(path);
        if (reason.isEmpty()) {
            return path;
        }
        OwnerOnly::reportDistrusted(path, reason);
    }
    return QString();
}

} // namespace MainWindowDocument
