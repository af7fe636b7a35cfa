import QtQuick 2.5
import QtTest 1.2
import "qrc:/"

// The test case itself is never visible; the components go into a visible scene so that
// mouse clicks reach them.
Item {
    id: scene
    width: 400
    height: 200

    TestCase {
        name: "LabeledTextInput"
        when: windowShown

        function createInput(properties) {
            var component = Qt.createComponent("qrc:/LabeledTextInput.qml")
            compare(component.status, Component.Ready, component.errorString())
            var input = createTemporaryObject(component, scene, properties)
            verify(input)
            return input
        }

        function test_wrongValueRedUntilTyping() {
            var input = createInput({ label: "Site", width: 300 })
            var label = findChild(input, "label")
            compare(label.text, "Site")
            verify(Qt.colorEqual(label.color, "black"))

            input.wrongValue = true
            verify(Qt.colorEqual(label.color, Theme.wrongValueText))

            input.fieldId.forceActiveFocus()
            keyClick(Qt.Key_X)
            compare(input.inputText, "x")
            compare(input.wrongValue, false)
            verify(Qt.colorEqual(label.color, "black"))
        }

        function test_passwordMasksButKeepsClearText() {
            var input = createInput({ label: "Password", width: 300, isPassword: true })
            input.fieldId.forceActiveFocus()
            keyClick(Qt.Key_S)
            keyClick(Qt.Key_3)
            keyClick(Qt.Key_Percent)
            compare(input.inputText, "s3%")
            compare(input.fieldId.echoMode, TextInput.Password)
            verify(input.fieldId.displayText !== "s3%")
            compare(input.fieldId.displayText.length, 3)
        }
    }
}
