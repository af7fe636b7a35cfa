#pragma once

class QQmlEngine;

// The documents' network access: only packaged (qrc:) and local files load; anything the
// network would fetch (a remote image, script, import or XMLHttpRequest) fails at once.
namespace LocalOnlyNetwork {

void install(QQmlEngine& engine);

} // namespace LocalOnlyNetwork
