#include "gui/windowplace.h"

#include "storage/conffile.h"
#include "storage/xhelper.h"

#include <QEvent>
#include <QGuiApplication>
#include <QJsonObject>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {
const QString placeKey = QStringLiteral("mainWindowPlace");

QRect readPlace(const QJsonObject& member) {
    return QRect(member.value(QStringLiteral("x")).toInt(),
                 member.value(QStringLiteral("y")).toInt(),
                 member.value(QStringLiteral("width")).toInt(),
                 member.value(QStringLiteral("height")).toInt());
}

QJsonObject placeMember(const QRect& place) {
    return {{QStringLiteral("x"), place.x()},
            {QStringLiteral("y"), place.y()},
            {QStringLiteral("width"), place.width()},
            {QStringLiteral("height"), place.height()}};
}
} // namespace

WindowPlace::WindowPlace(QWindow* window, QObject* parent)
    : QObject(parent)
    , window(window) {
    XHelper helper;
    bool readable = false;
    const QRect kept = readPlace(ConfFile::read(helper, &readable).value(placeKey).toObject());
    if (const std::optional<QRect> fitted = onScreen(kept)) {
        place = *fitted;
        window->setGeometry(place);
    }
    window->installEventFilter(this);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (this->window && this->window->isVisible()) {
            remember();
        }
    });
}

// The show event comes before the window is mapped, the hide event after it is unmapped.
bool WindowPlace::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window && event->type() == QEvent::Hide) {
        remember();
    } else if (watched == window && event->type() == QEvent::Show && place.isValid()) {
        window->setGeometry(place);
    }
    return QObject::eventFilter(watched, event);
}

void WindowPlace::remember() {
    if (window->windowState() != Qt::WindowNoState) {
        return;
    }
    place = window->geometry();
    // Only a workplace's own file keeps the place: hiding a window never creates one.
    XHelper helper;
    bool readable = false;
    if (!ConfFile::read(helper, &readable).isEmpty()) {
        ConfFile::update(helper, {{placeKey, placeMember(place)}}, false);
    }
}

// A place kept on a screen that is gone, or kept at another scale, could open the window
// where nobody can reach it: it is moved wholly onto the screen it overlaps, or dropped.
std::optional<QRect> WindowPlace::onScreen(const QRect& place) {
    if (place.width() <= 0 || place.height() <= 0) {
        return std::nullopt;
    }
    const auto screens = QGuiApplication::screens();
    const auto overlapped = std::find_if(screens.cbegin(), screens.cend(), [&place](QScreen* s) {
        return s->availableGeometry().intersects(place);
    });
    if (overlapped == screens.cend()) {
        return std::nullopt;
    }
    const QRect room = (*overlapped)->availableGeometry();
    QRect fitted(place.topLeft(), place.size().boundedTo(room.size()));
    fitted.moveLeft(qBound(room.left(), fitted.left(), room.right() - fitted.width() + 1));
    fitted.moveTop(qBound(room.top(), fitted.top(), room.bottom() - fitted.height() + 1));
    return fitted;
}
