import QtQuick 2.5
import QtTest 1.2

TestCase {
    id: testCase
    name: "OperatorID"
    when: windowShown

    function init() {
        GUI.reset()
    }

    function createDialog() {
        var component = Qt.createComponent("qrc:/OperatorID.qml")
        compare(component.status, Component.Ready, component.errorString())
        var dialog = createTemporaryObject(component, testCase)
        verify(dialog)
        tryCompare(dialog, "visible", true)
        return dialog
    }

    function test_buttonOnlyCloses_data() {
        return [
            { tag: "OK", button: "okButton" },
            { tag: "Cancel", button: "cancelButton" }
        ]
    }

    function test_buttonOnlyCloses(data) {
        var dialog = createDialog()
        dialog.fillDialog({ id: "{0a1b2c3d-0000-4000-8000-000000000001}", name: "Desk 4" })
        var idField = findChild(dialog.contentItem, "worksetID")
        var nameField = findChild(dialog.contentItem, "worksetName")
        compare(idField.text, "{0a1b2c3d-0000-4000-8000-000000000001}")
        compare(nameField.text, "Desk 4")
        nameField.text = "Edited"

        mouseClick(findChild(dialog.contentItem, data.button))
        tryCompare(dialog, "visible", false)
        compare(GUI.calls.length, 0)
        compare(nameField.text, "Edited")
    }
}
