#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

#include <optional>

class QWindow;

// Keeps the main window where the operator put it: a window manager places a window anew each
// time it is mapped, so the place and size it had when hidden are given back as it is shown
// again, and kept in vorlan.conf ("mainWindowPlace") for the next start.
class WindowPlace final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(WindowPlace)

public:
    // Moves the window to the kept place, if that place is still on a screen.
    explicit WindowPlace(QWindow* window, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void remember();
    static std::optional<QRect> onScreen(const QRect& place);

    QPointer<QWindow> window;
    QRect place;
};
