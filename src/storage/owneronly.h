#pragma once

#include <QFileDevice>

class QString;

// The files under ~/.vorlan are the operator's alone: they hold the workplace's credential and
// the results typed for callers.
namespace OwnerOnly {

constexpr QFileDevice::Permissions fileAccess = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Creates the directory, and any missing parent, open to its owner alone; an existing one is
// left as it is.
void makeDirectory(const QString& path);

// Why the file or directory at `path` must not be trusted: a symbolic link, owned by someone
// else, or writable by group or others. Empty when it may be read, or when nothing is there.
QString distrust(const QString& path);

// The same for a file already opened as `descriptor`, which must also be a regular file.
QString distrustOpened(const QString& path, int descriptor);

// Why a file of the program's own (beside it or installed with it) at `path` must not be
// trusted: owned by neither this user nor the superuser, or writable by group or others.
// Links are followed. Empty when it may be read, or when nothing is there.
QString distrustProgramFile(const QString& path);

// Says on standard output that a file is passed over because it cannot be trusted, and why.
void reportDistrusted(const QString& path, const QString& reason);

} // namespace OwnerOnly
