#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// This process's memory as /proc/self/status gives it, in KiB: "VmRSS" (resident now) or
// "VmHWM" (the peak since the start or since resetPeakMemory()); 0 where it cannot be read.
inline qint64 processMemoryKiB(const QByteArray& field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':')) {
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return 0;
}

// Since Linux 4.0 the peak can be reset to the current resident size.
inline void resetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}
