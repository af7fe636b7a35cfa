#pragma once

#include <QJsonObject>

class XHelper;

// The members of vorlan.conf, read and rewritten without losing the ones a caller does not know.
namespace ConfFile {

// The file's object; `readable` is false when the file exists but holds no JSON object.
QJsonObject read(XHelper& helper, bool* readable);

// Writes `members` over the file's own, keeping the rest. A file that exists but is unreadable
// is replaced only when `overwriteUnreadable` is set.
bool update(XHelper& helper, const QJsonObject& members, bool overwriteUnreadable);

} // namespace ConfFile
