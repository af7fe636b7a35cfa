#pragma once

#include <QIcon>
#include <QString>

namespace Pictures {

// The program's picture `name` ("icon", "icon-yellow", ...) drawn from its vector source at
// whatever size and scale it is asked for, so that nothing is enlarged from a bitmap; the
// packaged bitmap where this Qt cannot read SVG.
QIcon icon(const QString& name);

} // namespace Pictures
