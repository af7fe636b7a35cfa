pragma Singleton
import QtQuick 2.0

// The colours, spacing and font sizes of the project's own documents, kept in one place.
// Packaged documents see it through their own directory; other documents import "qrc:/".
QtObject {
    readonly property color windowBackground: "#eeeef5"
    readonly property color headerBackground: "#e4e4ee"
    readonly property color bannerBackground: "#fff4d6"
    readonly property color alarmBackground: "#f7e0de"
    readonly property color rowBackground: "#ffffff"
    readonly property color rowAlternateBackground: "#f5f5fa"
    readonly property color rowHoverBackground: "#dde6f7"
    readonly property color rowCurrentBackground: "#c9d8f5"
    readonly property color tooltipBackground: "#ffffe1"

    readonly property color text: "black"
    readonly property color wrongValueText: "red"
    readonly property color errorText: "#b00000"
    readonly property color linkText: "#1a4fb5"
    readonly property color placeholderText: "#636374"
    readonly property color hintText: "#555566"
    readonly property color statusText: "#333344"
    readonly property color alarmText: "#a01010"

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
