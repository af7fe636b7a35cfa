#include "qstdout.h"

#include <QTextStream>

#include <cstdio>

QTextStream& qStdOut() {
    static QTextStream stream(stdout, QIODevice::ReadWrite);
    return stream;
}
