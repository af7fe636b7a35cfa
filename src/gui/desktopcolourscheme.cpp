#include "gui/desktopcolourscheme.h"

#include <QApplication>
#include <QColor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

namespace {
const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString interface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearance = QStringLiteral("org.freedesktop.appearance");
const QString colorScheme = QStringLiteral("color-scheme");
// The portal's values: 0 no preference, 1 prefer dark, 2 prefer light.
constexpr uint preferDark = 1;
constexpr int startReadMs = 1000;

bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

// The portal wraps the value in as many variants as its version likes.
QVariant unwrapped(QVariant value) {
    while (value.userType() == qMetaTypeId<QDBusVariant>()) {
        value = value.value<QDBusVariant>().variant();
    }
    return value;
}

QPalette darkPalette() {
    const QColor window(0x2d, 0x2d, 0x32);
    const QColor base(0x1f, 0x1f, 0x23);
    const QColor text(0xee, 0xee, 0xf2);
    const QColor disabledText(0x8a, 0x8a, 0x94);
    QPalette palette(window);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x40));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0x6b, 0xb3));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x40));
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::Link, QColor(0x8a, 0xb4, 0xf8));
    palette.setColor(QPalette::PlaceholderText, disabledText);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, disabledText);
    }
    return palette;
}
} // namespace

DesktopColourScheme::DesktopColourScheme(QObject* parent)
    : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    bus.connect(service, path, interface, QStringLiteral("SettingChanged"), this,
                SLOT(settingChanged(QString, QString, QDBusVariant)));
    QDBusMessage read =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Read"));
    read << appearance << colorScheme;
    // Asked before the first window is made, since not every item of it redraws when the
    // palette changes; a portal that is missing answers at once, a hung one costs the wait.
    const QDBusReply<QDBusVariant> reply = bus.call(read, QDBus::Block, startReadMs);
    if (reply.isValid()) {
        follow(reply.value().variant());
    }
}

void DesktopColourScheme::settingChanged(const QString& group, const QString& key,
                                         const QDBusVariant& value) {
    if (group == appearance && key == colorScheme) {
        follow(value.variant());
    }
}

void DesktopColourScheme::follow(const QVariant& scheme) {
    const bool wantsDark = unwrapped(scheme).toUInt() == preferDark;
    if (wantsDark && !darkened && !isDark(QApplication::palette())) {
        desktopPalette = QApplication::palette();
        QApplication::setPalette(darkPalette());
        darkened = true;
    } else if (!wantsDark && darkened) {
        QApplication::setPalette(desktopPalette);
        // Setting a palette stops Qt from taking the platform theme's later ones; the desktop
        // is in charge again.
        QCoreApplication::setAttribute(Qt::AA_SetPalette, false);
        darkened = false;
    }
}
