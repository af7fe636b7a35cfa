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

    // Every text colour on every background it is drawn on reads at WCAG AA (4.5:1).
    function test_textContrast_data() {
        var rows = ["rowBackground", "rowAlternateBackground", "rowHoverBackground",
                    "rowCurrentBackground"]
        var pairs = [["text", "windowBackground"], ["text", "headerBackground"],
                     ["text", "bannerBackground"], ["text", "tooltipBackground"],
                     ["placeholderText", "windowBackground"], ["placeholderText", "rowBackground"],
                     ["hintText", "windowBackground"], ["statusText", "windowBackground"],
                     ["alarmText", "alarmBackground"], ["errorText", "windowBackground"],
                     ["errorText", "alarmBackground"]]
        rows.forEach(function (row) { pairs.push(["text", row], ["linkText", row]) })
        return pairs.map(function (pair) {
            return { tag: pair[0] + " on " + pair[1], foreground: pair[0], background: pair[1] }
        })
    }

    function test_textContrast(data) {
        var ratio = contrast(Theme[data.foreground], Theme[data.background])
        verify(ratio >= 4.5, ratio.toFixed(2))
    }
}
