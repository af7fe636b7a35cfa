pragma Singleton
import QtQuick 2.0

// The colours, spacing and font sizes of the project's own documents, kept in one place.
// Packaged documents see it through their own directory; other documents import "qrc:/".
QtObject {
    // The desktop's palette (filled by its platform theme) decides between the light and the
    // dark colours, and a change of it while the program runs switches them.
    readonly property SystemPalette desktopPalette: SystemPalette {}
    readonly property bool dark: desktopPalette.window.hslLightness < desktopPalette.windowText.hslLightness

    readonly property color windowBackground: dark ? "#2a2a33" : "#eeeef5"
    // The forms that never had a colour of their own: a plain window in the light.
    readonly property color formBackground: dark ? "#2a2a33" : "#ffffff"
    readonly property color headerBackground: dark ? "#35353f" : "#e4e4ee"
    readonly property color bannerBackground: dark ? "#453a18" : "#fff4d6"
    readonly property color alarmBackground: dark ? "#4d2222" : "#f7e0de"
    readonly property color rowBackground: dark ? "#1e1e25" : "#ffffff"
    readonly property color rowAlternateBackground: dark ? "#25252d" : "#f5f5fa"
    readonly property color rowHoverBackground: dark ? "#2e3850" : "#dde6f7"
    readonly property color rowCurrentBackground: dark ? "#33446a" : "#c9d8f5"
    readonly property color tooltipBackground: dark ? "#3d3b28" : "#ffffe1"

    readonly property color text: dark ? "#ededf2" : "black"
    // A red that still reads at 4.5:1 on the light backgrounds, where pure red does not.
    readonly property color wrongValueText: dark ? "#ff7070" : "#c00000"
    readonly property color errorText: dark ? "#ff8a80" : "#b00000"
    readonly property color linkText: dark ? "#9cc2ff" : "#1a4fb5"
    readonly property color placeholderText: dark ? "#a3a3b3" : "#636374"
    readonly property color hintText: dark ? "#ababbb" : "#555566"
    readonly property color statusText: dark ? "#d2d2dd" : "#333344"
    readonly property color alarmText: dark ? "#ffaaa5" : "#a01010"

    readonly property int paddingSmall: 5
    readonly property int paddingCompact: 6
    readonly property int paddingMedium: 10
    readonly property int paddingRow: 12
    readonly property int paddingLarge: 20
    readonly property int paddingXLarge: 30
    readonly property int paddingXXLarge: 40

    readonly property int fontSizeTiny: 9
    readonly property int fontSizeSmall: 11
    readonly property int fontSizeLabel: 12
    readonly property int fontSizeLarge: 16
    readonly property int fontSizeTitle: 30
}
