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

// The path of the first candidate that exists and is trusted, or an empty string. Each existing
// candidate passed over is named on standard output with its reason.
QString locate(const QString& perUserDir, const QString& programDir, const Distrust& distrust);

} // namespace MainWindowDocument
