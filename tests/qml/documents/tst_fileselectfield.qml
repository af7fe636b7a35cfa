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
        name: "FileSelectField"
        when: windowShown

        function createField() {
            var component = Qt.createComponent("qrc:/FileSelectField.qml")
            compare(component.status, Component.Ready, component.errorString())
            var field = createTemporaryObject(component, scene, { itemWidth: 250 })
            verify(field)
            return field
        }

        function openDialog(field) {
            var dialog = findChild(field, "fileDialog")
            verify(dialog)
            mouseClick(findChild(field, "browseButton"))
            tryCompare(dialog, "visible", true)
            return dialog
        }

        function test_acceptGivesFileUrl() {
            var field = createField()
            var dialog = openDialog(field)
            // An existing file, so the dialog accepts it as a selection.
            var chosen = Qt.resolvedUrl("tst_fileselectfield.qml")
            dialog.clearSelection()
            verify(dialog.addSelection(chosen))
            dialog.accept()
            compare(field.filePath, chosen.toString())
            verify(field.filePath.indexOf("file:") === 0)
        }

        function test_cancelKeepsValue() {
            var field = createField()
            findChild(field, "fileInput").setInputText("/etc/hosts")
            var dialog = openDialog(field)
            dialog.reject()
            compare(dialog.visible, false)
            compare(field.filePath, "/etc/hosts")
        }

        function test_wrongValueReachesInnerInput() {
            var field = createField()
            var input = findChild(field, "fileInput")
            compare(input.width, 250)
            compare(field.width, 250)
            field.wrongValue = true
            verify(Qt.colorEqual(findChild(input, "label").color, Theme.wrongValueText))
        }
    }
}
