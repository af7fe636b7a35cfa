#pragma once

#include <QByteArray>

// The bodies a busy site answers "get.php" with, for the benchmarks.
namespace BenchData {

// A list of `count` pending calls, ids zero-padded so that text order is numeric order. The
// `variant` is the first call's status, so two variants differ in one visible row only.
QByteArray siteList(int count, int variant = 0);

} // namespace BenchData
