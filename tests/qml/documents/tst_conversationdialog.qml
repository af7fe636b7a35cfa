import QtQuick 2.5
import QtTest 1.2

TestCase {
    id: testCase
    name: "ConversationDialog"
    when: windowShown

    function init() {
        GUI.reset()
    }

    function createDialog() {
        var component = Qt.createComponent("qrc:/ConversationDialog.qml")
        compare(component.status, Component.Ready, component.errorString())
        var dialog = createTemporaryObject(component, testCase)
        verify(dialog)
        tryCompare(dialog, "visible", true)
        return dialog
    }

    function item(dialog, name) {
        var found = findChild(dialog.contentItem, name)
        verify(found, name)
        return found
    }

    function sentResults() {
        var results = []
        for (var i = 0; i < GUI.calls.length; ++i) {
            compare(GUI.calls[i].name, "closeConversationSendResult")
            results.push(GUI.calls[i].args[0])
        }
        return results
    }

    function test_placeholdersUntilFilled() {
        var dialog = createDialog()
        compare(item(dialog, "nameCaller").text, "Jhon")
        compare(item(dialog, "phoneCaller").text, "12343535")
        item(dialog, "resultText").text = "kept"

        dialog.fillDialog({ callID: "7", name: "Анна", phone: "+7 900 000-00-00",
                            status: "1", cr_date: "2024-01-01" })
        compare(item(dialog, "nameCaller").text, "Анна")
        compare(item(dialog, "phoneCaller").text, "+7 900 000-00-00")
        compare(item(dialog, "resultText").text, "kept")
    }

    function test_sendRule_data() {
        return [
            { tag: "empty", text: "", sent: false },
            { tag: "three characters", text: "abc", sent: false },
            { tag: "four characters", text: "abcd", sent: true },
            { tag: "four blanks", text: "    ", sent: true },
            { tag: "line breaks count", text: "a\n\nb", sent: true }
        ]
    }

    function test_sendRule(data) {
        var dialog = createDialog()
        item(dialog, "resultText").text = data.text
        // A result the site would not take says so and cannot be sent.
        compare(item(dialog, "closeButton").enabled, data.sent)
        compare(item(dialog, "tooShortNotice").visible, !data.sent)
        dialog.requestActivate()
        tryCompare(dialog, "active", true)
        keySequence("Ctrl+Return")
        if (!data.sent)
            mouseClick(item(dialog, "closeButton"))
        compare(sentResults(), data.sent ? [data.text] : [])
        compare(dialog.visible, !data.sent)
        compare(item(dialog, "notAcceptedNotice").visible, false)
    }

    function test_refusedResultStaysWithNotice() {
        var dialog = createDialog()
        var result = item(dialog, "resultText")
        var notice = item(dialog, "notAcceptedNotice")
        GUI.sendResultAnswer = false
        result.text = "Called back, customer wants a quote"

        mouseClick(item(dialog, "closeButton"))
        compare(sentResults(), ["Called back, customer wants a quote"])
        compare(dialog.visible, true)
        compare(result.text, "Called back, customer wants a quote")
        compare(notice.visible, true)
        verify(notice.text.length > 0)

        // Editing the text takes the notice away.
        result.text += "."
        compare(notice.visible, false)

        // Sent again and refused again: the notice comes back.
        mouseClick(item(dialog, "closeButton"))
        compare(notice.visible, true)

        // Sent again and confirmed: the dialog closes.
        GUI.sendResultAnswer = true
        mouseClick(item(dialog, "closeButton"))
        compare(sentResults().length, 3)
        compare(sentResults()[2], "Called back, customer wants a quote.")
        tryCompare(dialog, "visible", false)
    }

    function test_noticeHiddenWhileSendingAgain() {
        var dialog = createDialog()
        var notice = item(dialog, "notAcceptedNotice")
        GUI.sendResultAnswer = false
        item(dialog, "resultText").text = "abcd"
        mouseClick(item(dialog, "closeButton"))
        compare(notice.visible, true)

        GUI.sendResultAnswer = true
        mouseClick(item(dialog, "closeButton"))
        compare(notice.visible, false)
        tryCompare(dialog, "visible", false)
    }

    function test_keyboardOnly() {
        var dialog = createDialog()
        dialog.requestActivate()
        tryCompare(dialog, "active", true)
        tryCompare(item(dialog, "resultText"), "activeFocus", true)
        keyClick(Qt.Key_O)
        keyClick(Qt.Key_K)
        keyClick(Qt.Key_Return)
        keyClick(Qt.Key_Period)
        keyClick(Qt.Key_Tab)
        verify(item(dialog, "closeButton").activeFocus)
        keyClick(Qt.Key_Space)
        compare(sentResults(), ["ok\n."])
        tryCompare(dialog, "visible", false)
    }

    function test_quitFromDialog() {
        var dialog = createDialog()
        dialog.requestActivate()
        tryCompare(dialog, "active", true)
        keySequence("Ctrl+Q")
        compare(GUI.calls.map(function (call) { return call.name }), ["exitProgramm"])
    }

    function test_sizeAndModal() {
        var dialog = createDialog()
        compare(Qt.size(dialog.width, dialog.height), Qt.size(400, 300))
        compare(Qt.size(dialog.minimumWidth, dialog.minimumHeight), Qt.size(400, 300))
        compare(dialog.maximumHeight, 300)
        compare(dialog.modality, Qt.ApplicationModal)

        // Widened, the result field takes the room; a long name wraps whole words and the
        // dialog grows by its lines, keeping the phone below it.
        dialog.width = 700
        tryCompare(item(dialog, "resultText"), "width", 660)
        var words = []
        for (var i = 0; i < 40; ++i)
            words.push("Name" + i)
        dialog.fillDialog({ callID: "1", name: words.join(" "), phone: "+7 900", status: "new" })
        var name = item(dialog, "nameCaller")
        verify(name.lineCount > 1)
        compare(name.truncated, false)
        verify(name.width <= 700)
        verify(dialog.height > 300)
        verify(item(dialog, "phoneCaller").mapToItem(null, 0, 0).y
               >= name.mapToItem(null, 0, name.height).y)
    }
}
