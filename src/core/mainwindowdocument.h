#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Where the main-window document comes from: the operator's own document in the per-user
// directory, the one beside the program (build tree), or the installed one.
namespace MainWindowDocument {

QStringList candidates(const QString& perUserDir, const QString& programDir);

// The reason a document may not be trusted, or an empty string.
using Distrust = std::function<QString(const QString& path)>;

// The path of the first candidate that exists and is trusted, or an empty string. The per-user
// document is judged by `perUserDistrust`; the others, and their folders, must belong to this
// user or the superuser and be writable by no one else, since anyone who may write there could
// put a document beside a program copied to a shared folder. Each existing candidate passed
// over is named on standard output with its reason.
QString locate(const QString& perUserDir, const QString& programDir,
               const Distrust& perUserDistrust);

} // namespace MainWindowDocument
