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
}
