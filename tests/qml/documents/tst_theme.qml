import QtQuick 2.5
import QtTest 1.2
import "qrc:/"

// The theme reaches documents three ways: packaged documents through their own directory, a
// document from disk (this one) and the main window, loaded without a URL, through "qrc:/".
TestCase {
    id: testCase
    name: "Theme"

    function test_reachesEveryKindOfDocument() {
        verify(Qt.colorEqual(Theme.windowBackground, "#eeeef5"))

        var unnamed = Qt.createQmlObject(
                    'import QtQuick 2.0; import "qrc:/"; QtObject { property color background: Theme.windowBackground }',
                    testCase)
        verify(Qt.colorEqual(unnamed.background, Theme.windowBackground))
        unnamed.destroy()

        var component = Qt.createComponent("qrc:/about.qml")
        compare(component.status, Component.Ready, component.errorString())
        var about = createTemporaryObject(component, testCase)
        verify(Qt.colorEqual(about.color, Theme.windowBackground))
        about.close()
    }

    // WCAG relative luminance and contrast ratio.
    function luminance(color) {
        function linear(c) { return c <= 0.03928 ? c / 12.92 : Math.pow((c + 0.055) / 1.055, 2.4) }
        return 0.2126 * linear(color.r) + 0.7152 * linear(color.g) + 0.0722 * linear(color.b)
    }

    function contrast(foreground, background) {
        var a = luminance(foreground)
        var b = luminance(background)
        return (Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05)
    }

    // Under a dark desktop palette the theme turns dark, and back, while documents are open.
    function test_followsTheDesktopPalette() {
        var about = createTemporaryObject(Qt.createComponent("qrc:/about.qml"), testCase)
        testDesktop.setDarkPalette(true)
        verify(Theme.dark)
        verify(Theme.windowBackground.hslLightness < 0.3, Theme.windowBackground)
        verify(Qt.colorEqual(about.color, Theme.windowBackground))
        testDesktop.setDarkPalette(false)
        verify(!Theme.dark)
        verify(Qt.colorEqual(about.color, "#eeeef5"))
        about.close()
    }

    function cleanup() {
        testDesktop.setDarkPalette(false)
    }

    // Every text colour on every background it is drawn on reads at WCAG AA (4.5:1), in the
    // light colours and in the dark ones.
    function test_textContrast_data() {
        var rows = ["rowBackground", "rowAlternateBackground", "rowHoverBackground",
                    "rowCurrentBackground"]
        var pairs = [["text", "windowBackground"], ["text", "headerBackground"],
                     ["text", "bannerBackground"], ["text", "tooltipBackground"],
                     ["text", "formBackground"],
                     ["placeholderText", "windowBackground"], ["placeholderText", "rowBackground"],
                     ["hintText", "windowBackground"], ["statusText", "windowBackground"],
                     ["alarmText", "alarmBackground"], ["errorText", "windowBackground"],
                     ["errorText", "alarmBackground"], ["errorText", "formBackground"],
                     ["wrongValueText", "windowBackground"], ["wrongValueText", "formBackground"]]
        rows.forEach(function (row) { pairs.push(["text", row], ["linkText", row]) })
        var data = []
        ;[false, true].forEach(function (dark) {
            pairs.forEach(function (pair) {
                data.push({ tag: (dark ? "dark: " : "light: ") + pair[0] + " on " + pair[1],
                            dark: dark, foreground: pair[0], background: pair[1] })
            })
        })
        return data
    }

    function test_textContrast(data) {
        testDesktop.setDarkPalette(data.dark)
        compare(Theme.dark, data.dark)
        var ratio = contrast(Theme[data.foreground], Theme[data.background])
        verify(ratio >= 4.5, ratio.toFixed(2))
    }
}
