#pragma once

#include <QDBusVariant>
#include <QObject>
#include <QPalette>

// The desktop's choice of light or dark as the settings portal publishes it (GNOME's dark
// style and the desktops that follow the same rule). Qt 5 takes its palette only from a
// platform theme, which many desktops do not give it; there a dark choice becomes a dark
// application palette, which the windows' theme and the widgets follow, and the desktop's own
// palette comes back when the choice does. A palette that is dark already (a platform theme's)
// is left alone.
class DesktopColourScheme final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(DesktopColourScheme)

public:
    explicit DesktopColourScheme(QObject* parent = nullptr);

private slots:
    void settingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    void follow(const QVariant& scheme);

    // The palette the desktop gave the program, while a dark one stands in its place.
    QPalette desktopPalette;
    bool darkened = false;
};
