import QtQuick 2.5
import QtTest 1.2

TestCase {
    id: testCase
    name: "ConversationDrafts"
    when: windowShown

    property var call: ({ callID: "42", name: "Анна", phone: "+7 900", status: "processing",
                          cr_date: "" })

    function init() {
        GUI.reset()
        drafts.keep("42", "")
    }

    function openDialog(record) {
        var component = Qt.createComponent("qrc:/ConversationDialog.qml")
        compare(component.status, Component.Ready, component.errorString())
        var dialog = createTemporaryObject(component, testCase)
        tryCompare(dialog, "visible", true)
        dialog.fillDialog(record === undefined ? call : record)
        dialog.requestActivate()
        tryCompare(dialog, "active", true)
        return dialog
    }

    function resultText(dialog) {
        return findChild(dialog.contentItem, "resultText")
    }

    function sent() {
        return GUI.calls.filter(function (c) { return c.name === "closeConversationSendResult" })
                        .map(function (c) { return c.args[0] })
    }

    function test_draftComesBackAfterEscUntilConfirmed() {
        var dialog = openDialog()
        tryCompare(resultText(dialog), "activeFocus", true)
        keyClick(Qt.Key_O)
        keyClick(Qt.Key_K)
        keyClick(Qt.Key_Return)
        keyClick(Qt.Key_Period)
        keyClick(Qt.Key_Escape)
        tryCompare(dialog, "visible", false)
        compare(sent(), [])
        compare(drafts.text("42"), "ok\n.")

        // A dialog for another call starts empty; the call's own dialog gets its draft back.
        var other = openDialog({ callID: "43", name: "", phone: "" })
        compare(resultText(other).text, "")
        other.close()
        compare(drafts.has("43"), false)

        GUI.sendResultAnswer = false
        dialog = openDialog()
        compare(resultText(dialog).text, "ok\n.")
        compare(resultText(dialog).cursorPosition, 4)
        keyClick(Qt.Key_Return, Qt.ControlModifier)
        compare(sent(), ["ok\n."])
        compare(dialog.visible, true)
        compare(drafts.text("42"), "ok\n.")

        GUI.sendResultAnswer = true
        keyClick(Qt.Key_Enter, Qt.ControlModifier)
        compare(sent(), ["ok\n.", "ok\n."])
        tryCompare(dialog, "visible", false)
    }

    function test_draftKeptWhenDestroyedUnclosed() {
        var component = Qt.createComponent("qrc:/ConversationDialog.qml")
        var dialog = component.createObject(testCase)
        dialog.fillDialog(call)
        resultText(dialog).text = "typed just now"
        dialog.destroy()
        tryVerify(function () { return drafts.text("42") === "typed just now" })
    }

    function test_shortResultNotSentByKeys() {
        var dialog = openDialog()
        resultText(dialog).text = "abc"
        keyClick(Qt.Key_Return, Qt.ControlModifier)
        compare(sent(), [])
        compare(dialog.visible, true)
    }
}
