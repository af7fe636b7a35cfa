#include "gui/pictures.h"

#include <QImageReader>

namespace Pictures {

QIcon icon(const QString& name) {
    static const bool drawsVectors = QImageReader::supportedImageFormats().contains("svg");
    return QIcon(QStringLiteral(":/") + name +
                 (drawsVectors ? QStringLiteral(".svg") : QStringLiteral(".png")));
}

} // namespace Pictures
