import QtQuick 2.15
import QtQuick.Window 2.2
import QtTest 1.2
import "qrc:/"

TestCase {
    id: testCase
    name: "MainWindow"
    when: windowShown

    // Listed in id order, worked in arrival order: Anna (3), Clara (2), Boris (1).
    readonly property var calls: [
        { callID: "1", cr_date: "2024-05-02 10:00:00", name: "Boris", phone: "+7 900 000-00-01", status: "new" },
        { callID: "2", cr_date: "2024-05-02 09:00:00", name: "Clara", phone: "+7 900 000-00-02", status: "processing" },
        { callID: "3", cr_date: "2024-05-01 12:00:00", name: "Anna", phone: "+7 900 000-00-03", status: "new" }
    ]
    readonly property string hint: "Click a request to take it; click a number to dial it."

    Component {
        id: otherProgram
        Window { width: 100; height: 100; visible: true }
    }
    // Runs `action` while the test is blocked in a send that the fake controller holds open.
    Timer {
        id: duringSend
        interval: 50
        property var action: null
        onTriggered: action()
    }
    TextEdit {
        id: clipboard
        visible: false
        function read() {
            text = ""
            paste()
            return text
        }
        function forget() {
            text = "nothing copied"
            selectAll()
            copy()
        }
    }

    function init() {
        GUI.reset()
        desk.listCalls([])
        desk.publishHeldCalls(true)
        desk.holdCalls([])
        desk.blockDrafts(false)
        desk.resetSite()
        desk.publishHistory(true)
        desk.forgetHistory()
        clipboard.forget()
    }

    function openWindow(records) {
        desk.listCalls(records)
        compare(mainWindowDocument.status, Component.Ready, mainWindowDocument.errorString())
        // No parent window: a transient window counts as active whenever its parent does.
        var window = createTemporaryObject(mainWindowDocument, null)
        verify(window)
        activate(window)
        return window
    }

    function activate(window) {
        window.requestActivate()
        tryCompare(window, "active", true)
    }

    function named(window, objectName) {
        var found = findChild(window.contentItem, objectName)
        verify(found, objectName)
        return found
    }

    // The visible text item showing exactly `text`, anywhere below `item`.
    // The shown item whose text is `text`, or matches it when it is a pattern.
    function textItem(item, text) {
        var matches = text instanceof RegExp ? typeof item.text === "string" && text.test(item.text)
                                             : item.text === text
        if (item.visible && matches)
            return item
        for (var i = 0; i < item.children.length; ++i) {
            var found = textItem(item.children[i], text)
            if (found)
                return found
        }
        return null
    }

    function received() {
        return GUI.calls.map(function (call) { return [call.name, call.args] })
    }

    function test_title_data() {
        return [
            { tag: "no calls", records: [], title: "Vorlan", placeholder: true },
            { tag: "one", records: calls.slice(0, 1), title: "Vorlan: 1 pending", placeholder: false },
            { tag: "three", records: calls, title: "Vorlan: 3 pending", placeholder: false }
        ]
    }

    function test_title(data) {
        var window = openWindow([])
        desk.listCalls(data.records)
        compare(window.title, data.title)
        compare(named(window, "noPendingRequests").visible, data.placeholder)
    }

    function test_take_data() {
        var startAnna = [["startConversation", ["3"]]]
        return [
            { tag: "Enter takes the current row, not the first", keys: "Down, Down, Return",
              expected: [["startConversation", ["1"]]] },
            { tag: "keypad Enter", keys: "Down, Enter", expected: [["startConversation", ["2"]]] },
            { tag: "End, Home", keys: "End, Home, Return", expected: startAnna },
            { tag: "PgDown stops at the last row", keys: "PgDown, PgDown, Return",
              expected: [["startConversation", ["1"]]] },
            { tag: "PgUp stops at the first row", keys: "End, PgUp, PgUp, Return", expected: startAnna },
            { tag: "calls arriving in an empty list make the first current", later: true,
              keys: "Return", expected: startAnna },
            { tag: "Esc takes nothing", keys: "Esc", expected: [] },
            { tag: "F5 gets data", keys: "F5", expected: [["getDataFromServer", []]] },
            { tag: "Ctrl+Q quits", keys: "Ctrl+Q", expected: [["exitProgramm", []]] },
            { tag: "a click on a request takes it", click: "Clara",
              expected: [["startConversation", ["2"]]] },
            { tag: "a click on a number dials it, no take", click: "+7 900 000-00-01",
              expected: [["dial", ["+7 900 000-00-01"]]] },
            { tag: "Ctrl+C copies the current number", keys: "Down, Ctrl+C", expected: [],
              copied: "+7 900 000-00-02" },
            { tag: "a screen reader's press on a row takes it", press: "callRow_2",
              expected: [["startConversation", ["2"]]] }
        ]
    }

    function test_take(data) {
        var window = openWindow(data.later ? [] : calls)
        if (data.later)
            desk.listCalls(calls)
        tryCompare(named(window, "callList"), "activeFocus", true)
        if (data.click)
            mouseClick(textItem(window.contentItem, data.click))
        else if (data.press)
            named(window, data.press).Accessible.pressAction()
        else
            keySequence(data.keys)
        compare(received(), data.expected)
        compare(clipboard.read(), data.copied === undefined ? "nothing copied" : data.copied)
    }

    function test_rowReadAsOne_data() {
        return [
            { tag: "a known arrival says how long it waits", record: calls[1],
              spoken: /^Clara, \+7 900 000-00-02, waiting .+, processing$/ },
            { tag: "an unreadable date leaves the wait out",
              record: { callID: "7", cr_date: "soon", name: "Dora", phone: "+7 900 7", status: "new" },
              spoken: /^Dora, \+7 900 7, new$/ },
            { tag: "a right-to-left name is set apart from the number",
              record: { callID: "8", cr_date: "soon", name: "שרה כהן", phone: "+972 50 1", status: "new" },
              spoken: /^\u2068שרה כהן\u2069, \+972 50 1, new$/ }
        ]
    }

    function test_rowReadAsOne(data) {
        var window = openWindow([data.record])
        var row = named(window, "callRow_" + data.record.callID)
        compare(row.Accessible.role, Accessible.ListItem)
        verify(data.spoken.test(row.Accessible.name), row.Accessible.name)
    }

    // A site's date as the controller hands it to the list, its space widened to three.
    function siteDate(minutesAgo) {
        return Qt.formatDateTime(new Date(Date.now() - minutesAgo * 60000), "yyyy-MM-dd   HH:mm:ss")
    }

    // At the default width a row shows its arrival, wait and number in full; at the minimum
    // width the number, the wait and the status still are.
    function test_columnsFit_data() {
        var twoWeeks = (14 * 24 + 3) * 60 + 10
        return [
            { tag: "today: the time only", minutesAgo: 0, phone: "+7 900 000-00-01",
              received: Qt.formatTime(new Date(), "HH:mm"), waiting: "0 min" },
            { tag: "two weeks ago: date and time, days", minutesAgo: twoWeeks,
              phone: "+7 900 000-00-01",
              received: Qt.formatDateTime(new Date(Date.now() - twoWeeks * 60000), "yyyy-MM-dd HH:mm"),
              waiting: "14 d 3 h" },
            { tag: "a long number is not cut", minutesAgo: 5, phone: "+7 (900) 555-01-00 ext. 12345" },
            // Waits count wall-clock minutes: a slow run may cross one or two of them.
            { tag: "a long wait, in conversation", minutesAgo: 23 * 60 + 35, phone: "+7 900 1",
              status: "processing", waiting: /^23 h 3\d min$/ }
        ]
    }

    function test_columnsFit(data) {
        var window = openWindow([{ callID: "1", cr_date: siteDate(data.minutesAgo), name: "Boris",
                                   phone: data.phone, status: data.status || "new" }])
        var row = named(window, "callRow_1")
        var kept = [data.phone, data.waiting, data.status].filter(function (text) { return text })
        var texts = data.received ? kept.concat([data.received]) : kept
        for (var i = 0; i < texts.length; ++i) {
            var shown = textItem(row, texts[i])
            verify(shown, texts[i])
            tryCompare(shown, "truncated", false, 1000, texts[i])
        }
        window.width = window.minimumWidth
        kept.forEach(function (text) {
            var shown = textItem(row, text)
            tryCompare(shown, "truncated", false, 1000, text + " at the minimum width")
            // A column pushed past the window's edge is cut by the edge, not by its text.
            var right = shown.mapToItem(window.contentItem, shown.width, 0).x
            verify(right <= window.contentItem.width, text + " ends at " + right)
        })
    }

    function test_scrollBarWhenRowsOverflow_data() {
        return [{ tag: "three rows fit", rows: 3, shown: false },
                { tag: "forty rows do not", rows: 40, shown: true }]
    }

    function test_scrollBarWhenRowsOverflow(data) {
        var records = []
        for (var i = 1; i <= data.rows; ++i)
            records.push({ callID: String(i), cr_date: siteDate(i), name: "Caller " + i,
                           phone: "+7 900 " + i, status: "new" })
        var bar = named(openWindow(records), "callScrollBar")
        tryCompare(bar, "visible", data.shown)
        if (data.shown)
            verify(bar.size < 1)
    }

    function test_dialNote_data() {
        return [
            { tag: "a program for calls", answer: true, note: "" },
            { tag: "none: the number is copied and the window says so", answer: false,
              note: "No program for calls is set up on this computer; the number +7 900 000-00-03 was copied." }
        ]
    }

    function test_dialNote(data) {
        var window = openWindow(calls)
        GUI.dialAnswer = data.answer
        var number = textItem(window.contentItem, "+7 900 000-00-03")
        // Only a call's number is drawn as a link: not its name, not the column's heading.
        verify(Qt.colorEqual(number.color, Theme.linkText))
        verify(Qt.colorEqual(textItem(window.contentItem, "Anna").color, Theme.text))
        verify(Qt.colorEqual(textItem(window.contentItem, "Phone").color, Theme.text))
        mouseClick(number)
        compare(received(), [["dial", ["+7 900 000-00-03"]]])
        compare(named(window, "dialNoteBox").visible, data.note !== "")
        compare(named(window, "dialNote").text, data.note)
        compare(clipboard.read(), data.note !== "" ? "+7 900 000-00-03" : "nothing copied")
    }

    // Each row starts from a site the program has not heard from yet.
    function test_statusLine_data() {
        var refused = "no connection: Connection refused"
        var notice = "Could not reach the site to take the request \\(" + refused + "\\)\\. Try again\\.  "
        return [
            { tag: "nothing heard yet", steps: [], text: null, alarm: false },
            { tag: "busy", steps: ["requestStarted"], text: /^Getting data from the site…$/, alarm: false },
            { tag: "up to date", steps: ["listReceived"], text: /^Up to date at \d\d?:\d\d/, alarm: false },
            { tag: "site gone", steps: ["listReceived", "siteGone"],
              text: new RegExp("^Site unreachable since \\d\\d?:\\d\\d.*: " + refused + "$"), alarm: true },
            { tag: "busy again while failing", steps: ["siteGone", "requestStarted"],
              text: /^Getting data from the site…$/, alarm: false },
            { tag: "take unreachable", steps: ["siteGone", "takeUnreachable"],
              text: new RegExp("^" + notice + "Site unreachable since "), alarm: true },
            { tag: "site back", steps: ["siteGone", "listReceived"], text: /^Up to date at /, alarm: false },
            { tag: "site back after a failed take", steps: ["takeUnreachable", "listReceived"],
              text: new RegExp("^" + notice + "Up to date at "), alarm: true }
        ]
    }

    function test_statusLine(data) {
        var window = openWindow([])
        data.steps.forEach(function (step) { desk[step]() })
        var line = named(window, "statusLine")
        var state = named(window, "siteStatusText")
        compare(state.visible, data.text !== null)
        if (data.text !== null) {
            verify(data.text.test(state.text), state.text)
            compare(state.truncated, false)
            compare(state.text, siteStatus.notice === "" ? siteStatus.summary
                                                         : siteStatus.notice + "  " + siteStatus.summary)
        }
        verify(Qt.colorEqual(line.color, data.alarm ? Theme.alarmBackground : Theme.windowBackground))
        if (state.visible)
            verify(Qt.colorEqual(state.color, data.alarm ? Theme.alarmText : Theme.statusText))
        // Room goes to what went wrong: the hint gives way.
        compare(textItem(line, hint) !== null, !data.alarm)
    }

    function test_conversationBanner_data() {
        return [
            { tag: "call still pending", closedMeanwhile: false },
            { tag: "call closed while the dialog was open", closedMeanwhile: true }
        ]
    }

    // A controller that lists no held calls: the bar follows the conversation alone.
    function test_conversationBanner(data) {
        desk.publishHeldCalls(false)
        var window = openWindow(calls)
        var banner = named(window, "conversationBanner")
        window.showCloseConversationDialog(calls[1])
        verify(window.conversationDialog)
        compare(banner.visible, false)
        if (data.closedMeanwhile)
            desk.listCalls([calls[0], calls[2]])
        window.conversationDialog.close()
        tryCompare(window, "conversationDialog", null)
        compare(banner.visible, !data.closedMeanwhile)
        if (data.closedMeanwhile)
            return
        verify(textItem(banner, "In conversation: Clara, +7 900 000-00-02"))
        mouseClick(named(window, "resumeButton"))
        compare(received(), [["closeConversation", ["2"]]])
        // The site closed it: the offer goes away with the call.
        desk.listCalls([calls[0], calls[2]])
        compare(banner.visible, false)
    }

    // One line for each held call, in the order held, whether taken here or held since before a
    // restart, listed or not; the offer waits while a conversation dialog is open.
    function test_heldCallsBar_data() {
        var unlisted = { callID: "9", cr_date: "", name: "שרה <b>Levi</b>", phone: "+972 50", status: "processing" }
        return [
            { tag: "nothing held", held: [], click: null },
            { tag: "a draft kept since before a restart", held: [calls[1]], click: "2" },
            { tag: "two taken, the earliest first", held: [calls[2], calls[0]], click: "1" },
            { tag: "a held call the site no longer lists", held: [calls[0], unlisted], click: "9" },
            { tag: "a conversation dialog open", held: [calls[2], calls[0]], dialog: true, click: null }
        ]
    }

    function test_heldCallsBar(data) {
        var window = openWindow(calls)
        desk.holdCalls(data.held)
        if (data.dialog)
            window.showCloseConversationDialog(data.held[0])
        var banner = named(window, "conversationBanner")
        compare(banner.visible, data.held.length > 0 && !data.dialog)
        if (!banner.visible)
            return
        var lines = data.held.map(function (call) {
            var line = named(window, "heldCall_" + call.callID)
            var text = textItem(line, "In conversation: " + window.isolated(call.name) + ", " + call.phone)
            verify(text, call.callID)
            compare(text.textFormat, Text.PlainText)
            return line
        })
        tryVerify(function () {
            return lines.every(function (line, i) { return i === 0 || line.y > lines[i - 1].y })
        })
        verify(textItem(lines[0], "Write the result") === named(window, "resumeButton"))
        // A right-to-left name cannot carry the phone after it into its own order.
        compare(window.isolated("שרה Levi"), "\u2068שרה Levi\u2069")
        compare(window.isolated("Anna 👩\u200D👩"), "Anna 👩\u200D👩")
        mouseClick(textItem(named(window, "heldCall_" + data.click), "Write the result"))
        compare(received(), [["closeConversation", [data.click]]])
    }

    // Choosing a call while another waits for its result asks first; getting back to a held call,
    // or a controller that lists no held calls, takes at once.
    function test_takeWhileHeld_data() {
        var held = [calls[1]]
        return [
            { tag: "nothing held", held: [], keys: "Return", expected: [["startConversation", ["3"]]] },
            { tag: "Enter, then Enter takes", held: held, keys: "Return", answer: "Return",
              expected: [["startConversation", ["3"]]] },
            { tag: "Enter, then keypad Enter takes", held: held, keys: "Return", answer: "Enter",
              expected: [["startConversation", ["3"]]] },
            { tag: "Enter, then Esc takes nothing", held: held, keys: "Return", answer: "Esc",
              expected: [] },
            { tag: "a click on a name, then Take", held: held, click: "Boris", answer: "Take",
              expected: [["startConversation", ["1"]]] },
            { tag: "a click on a name, then Cancel", held: held, click: "Boris", answer: "Cancel",
              expected: [] },
            { tag: "the held call itself", held: held, keys: "Down, Return",
              expected: [["startConversation", ["2"]]] },
            { tag: "no held calls published", held: held, absent: true, keys: "Return",
              expected: [["startConversation", ["3"]]] }
        ]
    }

    function test_takeWhileHeld(data) {
        if (data.absent)
            desk.publishHeldCalls(false)
        var window = openWindow(calls)
        desk.holdCalls(data.held)
        tryCompare(named(window, "callList"), "activeFocus", true)
        if (data.click)
            mouseClick(textItem(window.contentItem, data.click))
        else if (data.press)
            named(window, data.press).Accessible.pressAction()
        else
            keySequence(data.keys)
        var question = findChild(window, "takeQuestion")
        compare(question !== null, data.answer !== undefined)
        if (question) {
            compare(received(), [])
            question.requestActivate()
            tryVerify(function () { return question.activeFocusItem !== null })
            verify(textItem(question.contentItem,
                            "You hold a call whose result is not sent yet. Take another call?"))
            var button = textItem(question.contentItem, data.answer)
            // The press alone: the dialog is gone before a release could reach it.
            if (button)
                mouseClick(button)
            else
                keyPress(data.answer === "Esc" ? Qt.Key_Escape
                         : data.answer === "Enter" ? Qt.Key_Enter : Qt.Key_Return)
            tryVerify(function () { return findChild(window, "takeQuestion") === null })
        }
        compare(received(), data.expected)
    }

    // A draft that cannot be saved is said in the dialog until a later one is.
    function test_draftNotice_data() {
        return [
            { tag: "saved", blocked: false, recovers: false },
            { tag: "not saved", blocked: true, recovers: false },
            { tag: "saved again later", blocked: true, recovers: true }
        ]
    }

    function test_draftNotice(data) {
        var window = openWindow(calls)
        desk.blockDrafts(data.blocked)
        window.showCloseConversationDialog(calls[1])
        var dialog = window.conversationDialog
        var notice = findChild(dialog.contentItem, "draftNotice")
        var result = findChild(dialog.contentItem, "resultText")
        compare(notice.visible, false)
        result.text = "Called back"
        if (data.blocked)
            tryCompare(notice, "visible", true)
        else
            tryVerify(function () { return drafts.has("2") })
        compare(notice.text, "The draft could not be saved; the text is kept only while this dialog is open.")
        if (data.recovers) {
            desk.blockDrafts(false)
            result.text += "."
            tryCompare(notice, "visible", false)
        }
        compare(drafts.text("2"), data.blocked && !data.recovers ? "" : result.text)
        compare(notice.visible, data.blocked && !data.recovers)
    }

    // The operator closes the dialog before the site has answered the result: the dialog says
    // it is sending, stays (the send runs in its handler), and closes once the answer is in.
    function test_closeWhileSending_data() {
        return [
            { tag: "Esc, confirmed", esc: true, answer: true },
            { tag: "Esc, refused: the draft stays", esc: true, answer: false },
            { tag: "title bar, confirmed", esc: false, answer: true },
            { tag: "title bar, refused: the draft stays", esc: false, answer: false }
        ]
    }

    function test_closeWhileSending(data) {
        drafts.keep("2", "")
        var window = openWindow(calls)
        window.showCloseConversationDialog(calls[1])
        var dialog = window.conversationDialog
        dialog.requestActivate()
        tryVerify(function () { return dialog.activeFocusItem !== null })
        findChild(dialog.contentItem, "resultText").text = "Called back"
        GUI.sendResultAnswer = data.answer
        GUI.sendResultDelay = 400
        var during = null
        duringSend.action = function () {
            during = { sending: findChild(dialog.contentItem, "sendingNotice").visible }
            if (data.esc)
                keyClick(Qt.Key_Escape)
            else
                dialog.close()
            during.open = window.conversationDialog === dialog && dialog.visible
        }
        duringSend.start()
        // The press alone: the dialog may be gone before a release could reach it.
        keyPress(Qt.Key_Return, Qt.ControlModifier)
        compare(during, { sending: true, open: true })
        compare(received(), [["closeConversationSendResult", ["Called back"]]])
        tryCompare(window, "conversationDialog", null)
        if (!data.answer)
            compare(drafts.text("2"), "Called back")
    }

    // Polls raise the window and never take the keyboard, whatever arrived: the controller
    // hands it over when the operator asks for the window.
    function test_raise_data() {
        return [
            { tag: "new call while away", arrives: "away" },
            { tag: "no new call", arrives: "" },
            { tag: "new call arriving while active", arrives: "active" },
            { tag: "new call seen when the operator came back", arrives: "away", seen: true },
            { tag: "new call while a conversation dialog is open", arrives: "away", dialog: true },
            { tag: "new call while away, raised twice", arrives: "away", twice: true }
        ]
    }

    function test_raise(data) {
        var window = openWindow(calls.slice(0, 1))
        if (data.dialog) {
            window.showCloseConversationDialog(calls[0])
            verify(window.conversationDialog)
        }
        if (data.arrives === "active")
            desk.listCalls(calls.slice(0, 2))
        var other = createTemporaryObject(otherProgram, null)
        activate(other)
        if (data.arrives === "away")
            desk.listCalls(calls)
        if (data.seen) {
            activate(window)
            activate(other)
        }
        window.raiseWindow()
        if (data.twice)
            window.raiseWindow()
        wait(100)
        verify(other.active)
        compare(window.active, false)
    }

    function test_infoDialogs_data() {
        return [
            { tag: "workplace", item: 0, dialog: "workplaceDialog",
              values: { "Site": "http://calls.example", "Workplace name": "Desk 12",
                        "Operator ID": "{op-1}" } },
            { tag: "about", item: 1, dialog: "aboutDialog", values: {} }
        ]
    }

    function test_infoDialogs(data) {
        var window = openWindow([])
        var help = window.menuBar.menus[2]
        help.items[data.item].trigger()
        var dialog = findChild(window, data.dialog)
        verify(dialog)
        // A transient dialog counts as active while its main window has the keyboard.
        dialog.requestActivate()
        tryVerify(function () { return dialog.activeFocusItem !== null })
        for (var label in data.values)
            compare(findChild(dialog.contentItem, "value_" + label).text, data.values[label])
        // The press alone: the dialog is gone before a release could reach it.
        keyPress(Qt.Key_Escape)
        tryVerify(function () { return findChild(window, data.dialog) === null })
        compare(received(), [])
    }

    // A returning caller's row carries the count of the number's earlier calls, the same number
    // however it was typed; a close recounts the rows, and the status line counts the day.
    function test_returningCallerMark() {
        desk.recordClose("+79000000001", "Agreed on Monday", 30)
        var window = openWindow(calls)
        var boris = named(window, "callRow_1")
        compare(boris.earlierCalls, 1)
        verify(textItem(boris, "\u21BB1 Boris"))
        compare(named(window, "callRow_3").earlierCalls, 0)
        verify(textItem(named(window, "callRow_3"), "Anna"))
        desk.recordClose("+7 (900) 000-00-01", "Sent the offer", 10)
        compare(boris.earlierCalls, 2)
        verify(/^Closed today: 2 · median wait until taken: 1 min$/.test(named(window, "dayFigures").text),
               named(window, "dayFigures").text)
    }

    function test_conversationEarlierResults_data() {
        return [
            { tag: "returning caller", published: true, call: 0,
              shown: /^.+: Sent the offer\n.+: Agreed on Monday$/ },
            { tag: "first call of the number", published: true, call: 2, shown: null },
            { tag: "controller without a history", published: false, call: 0, shown: null }
        ]
    }

    // Newest first, read-only, above the result field; a controller without a history, or a
    // caller without one, leaves the dialog as it always was.
    function test_conversationEarlierResults(data) {
        desk.recordClose("+7 900 000-00-01", "Agreed on Monday", 30)
        desk.recordClose("+7 900 000-00-01", "Sent the offer", 10)
        desk.publishHistory(data.published)
        var window = openWindow(calls)
        window.showCloseConversationDialog(calls[data.call])
        var dialog = window.conversationDialog
        var earlier = findChild(dialog.contentItem, "earlierResults")
        var result = findChild(dialog.contentItem, "resultText")
        compare(earlier.visible, data.shown !== null)
        compare(dialog.height, data.shown !== null ? 300 + earlier.parent.height + Theme.paddingXLarge : 300)
        verify(result.focus)
        if (data.shown !== null) {
            verify(data.shown.test(earlier.text), earlier.text)
            verify(earlier.readOnly)
            verify(earlier.y + earlier.parent.y < result.parent.y + result.y)
        }
        compare(window.keepsHistory, data.published)
    }

    // One history window, answering the search as it is typed, and letting its rows go when
    // it closes.
    function test_historyWindow() {
        desk.recordClose("+7 900 000-00-01", "Agreed on Monday", 30)
        desk.recordClose("+7 900 000-00-02", "Sent the offer", 10)
        var window = openWindow(calls)
        window.showHistory()
        var history = window.historyWindow
        verify(history)
        window.showHistory()
        compare(window.historyWindow, history)
        compare(history.title, "History: 2")
        var search = findChild(history.contentItem, "historySearch")
        search.text = "agree"
        compare(history.title, "History: 1")
        compare(callHistory.rows[0].result, "Agreed on Monday")
        desk.recordClose("+7 900 000-00-03", "Agreed again", 5)
        compare(history.title, "History: 2")
        history.close()
        tryCompare(window, "historyWindow", null)
        tryVerify(function () { return callHistory.rows.length === 0 })
    }
}
