#pragma once

class QTextStream;

// The program's one text stream on standard output, for every diagnostic line.
QTextStream& qStdOut();
