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

// Says on standard output that a file is passed over because it cannot be trusted, and why.
void reportDistrusted(const QString& path, const QString& reason);

} // namespace OwnerOnly
