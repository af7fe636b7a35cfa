import QtQuick 2.15
import QtQuick.Controls 1.4
import QtQuick.Layouts 1.0
import QtQuick.Window 2.2
import QtQuick.Controls 2.15 as Controls2
import "qrc:/"

// The default main window: the pending call-back requests of this workplace.
// It is loaded without a file name, so packaged documents and the theme are reached by qrc:
// URLs and its own texts carry the translation context "MainWindow" explicitly.
ApplicationWindow {
    id: mainWindow
    objectName: "mainWindow"
    width: 680
    height: 480
    // The name and the date give way down to their least; the phone, wait and status columns
    // never do.
    minimumWidth: 2 * Theme.paddingRow + 4 * Theme.paddingCompact + 90 + 50 + phoneColumnWidth
                  + waitColumnWidth + statusColumnWidth
    minimumHeight: 240
    visible: true
    title: pendingCalls.count === 0
           ? qsTranslate("MainWindow", "Vorlan")
           : qsTranslate("MainWindow", "Vorlan: %1 pending").arg(pendingCalls.count)

    // The phone's column is as wide as the widest number; the wait and status columns as their
    // longest texts in the list's font, so a larger desktop font or a translation cuts none.
    property real phoneColumnWidth: 140
    readonly property real waitColumnWidth: Math.max(80, Math.ceil(longestWait.advanceWidth))
    readonly property real statusColumnWidth: Math.max(90, Math.ceil(longestStatus.advanceWidth))
    TextMetrics { id: longestWait; text: waitingText(24 * 60 - 1) }
    TextMetrics { id: longestStatus; text: statusText("processing") }
    property var strings: Qt.createComponent("qrc:/strings.qml").createObject(mainWindow)
    // Without a tray the window must stay reachable, so it is minimised instead of hidden.
    readonly property bool hasTray: typeof systemTrayAvailable === "undefined" || systemTrayAvailable
    property var conversationDialog: null
    property string conversationCallID: ""
    property var conversationCall: null
    readonly property bool tracksHeldCalls: typeof heldCalls !== "undefined" && heldCalls !== null
    // A controller that keeps a history of closed calls publishes it as "callHistory".
    readonly property bool keepsHistory: typeof callHistory !== "undefined" && callHistory !== null
    // The calls the bar offers the result for: every call held here, or, from a controller that
    // does not list them, the one last in conversation.
    readonly property var barCalls: tracksHeldCalls ? heldCalls.records
                                    : conversationCallID !== "" && conversationCall ? [conversationCall] : []

    function getServer() { return workplace.server }
    function getOperatorID() { return workplace.operatorID }
    function isVisible() { return visible && visibility !== Window.Minimized }
    function showWindow() {
        if (visibility === Window.Minimized)
            showNormal()
        else
            show()
    }
    function hideWindow() {
        if (hasTray)
            hide()
        else
            showMinimized()
    }
    // Polls raise the window while calls are pending; the keyboard stays where the operator is
    // typing, and the controller hands it over only when the operator asks for the window.
    function raiseWindow() { raise() }

    function showCloseConversationDialog(call) {
        if (conversationDialog)
            conversationDialog.destroy()
        conversationCallID = call.callID
        conversationCall = call
        conversationDialog = Qt.createComponent("qrc:/ConversationDialog.qml").createObject(mainWindow)
        conversationDialog.fillDialog(call)
        // A dialog that refuses its close (it waits for the site) is kept.
        conversationDialog.closing.connect(function (close) {
            if (close.accepted)
                conversationDialogClosed()
        })
    }

    function conversationDialogClosed() {
        conversationDialog.destroy()
        conversationDialog = null
        forgetClosedConversation()
    }

    function forgetClosedConversation() {
        if (!pendingCalls.contains(conversationCallID))
            conversationCallID = ""
    }

    Connections {
        target: pendingCalls
        // The banner offers the result for a call still pending; a closed call takes it away.
        function onCountChanged() {
            if (conversationCallID !== "" && conversationDialog === null)
                forgetClosedConversation()
            if (callList.currentIndex < 0 && pendingCalls.count > 0)
                callList.currentIndex = 0
        }
    }

    // A right-to-left name set apart, so that it cannot carry the phone after it into its order.
    function isolated(text) {
        return /[\u0590-\u08FF\uFB1D-\uFDFF\uFE70-\uFEFF]/.test(text) ? "\u2068" + text + "\u2069" : text
    }

    // A call whose date cannot be read has no waiting time to show.
    function waitingText(minutes) {
        if (minutes < 0)
            return ""
        if (minutes < 60)
            return qsTranslate("MainWindow", "%1 min").arg(minutes)
        if (minutes < 24 * 60)
            return qsTranslate("MainWindow", "%1 h %2 min").arg(Math.floor(minutes / 60)).arg(minutes % 60)
        return qsTranslate("MainWindow", "%1 d %2 h").arg(Math.floor(minutes / (24 * 60)))
                .arg(Math.floor(minutes / 60) % 24)
    }

    // Arrival as short as it can be read: the time for today, the date and time before it;
    // a date that cannot be read is shown as the site gave it.
    function receivedText(siteDate) {
        // The controller hands the site's date over with each space widened to three.
        var parts = /^(\d{4})-(\d\d)-(\d\d)(?:T|\s+)(\d\d):(\d\d)/.exec(siteDate)
        if (!parts)
            return siteDate
        var arrival = new Date(parts[1], parts[2] - 1, parts[3], parts[4], parts[5])
        return arrival.toDateString() === new Date().toDateString()
                ? Qt.formatTime(arrival, "HH:mm") : Qt.formatDateTime(arrival, "yyyy-MM-dd HH:mm")
    }

    // What a screen reader says for a row: its columns as one sentence.
    function rowSpokenText(name, phone, waiting, status) {
        return waiting === ""
                ? qsTranslate("MainWindow", "%1, %2, %3").arg(isolated(name)).arg(phone).arg(status)
                : qsTranslate("MainWindow", "%1, %2, waiting %3, %4").arg(isolated(name)).arg(phone)
                  .arg(waiting).arg(status)
    }

    // A returning caller's name carries the count of the number's earlier closed calls.
    function withEarlierMark(name, earlier) {
        return earlier > 0 ? "\u21BB" + earlier + " " + name : name
    }

    // The first letter of a command is its mnemonic.
    function mnemonic(text) { return "&" + text }

    function openDialog(component, properties) {
        var window = component.createObject(mainWindow, properties || {})
        window.closing.connect(function () { window.destroy() })
        window.requestActivate()
    }

    // One row of the list's columns. Name and phone keep the width they need; the date gives
    // way first. A text that does not fit shows in full in the shared tooltip.
    component CallColumns: RowLayout {
        id: columns
        // The text of each column, by the column's name.
        property var texts: ({})
        property font font
        property bool dialable: false
        // A row is read as one item, so its columns are not read again one by one.
        property bool readAsOne: false
        // A number is never cut: the phone column of every row widens to the widest number.
        property real phoneWidth: 140
        signal phoneTooNarrow(real needed)
        function widenPhone(needed) {
            if (needed > phoneWidth)
                phoneTooNarrow(needed)
        }
        signal phoneClicked()
        anchors.leftMargin: Theme.paddingRow
        anchors.rightMargin: Theme.paddingRow
        spacing: Theme.paddingCompact
        Repeater {
            // Minimum and widest width of each column; the date takes what is left.
            model: [
                { name: "name", minimumWidth: 90, preferredWidth: 120, maximumWidth: 150 },
                { name: "phone", minimumWidth: columns.phoneWidth, preferredWidth: columns.phoneWidth,
                  maximumWidth: columns.phoneWidth },
                { name: "received", minimumWidth: 50, preferredWidth: 160,
                  maximumWidth: Number.POSITIVE_INFINITY },
                { name: "waiting", minimumWidth: waitColumnWidth, preferredWidth: waitColumnWidth,
                  maximumWidth: waitColumnWidth },
                { name: "status", minimumWidth: statusColumnWidth, preferredWidth: statusColumnWidth,
                  maximumWidth: statusColumnWidth }
            ]
            Text {
                readonly property bool dialable: modelData.name === "phone" && columns.dialable
                Layout.minimumWidth: modelData.minimumWidth
                Layout.preferredWidth: modelData.preferredWidth
                Layout.maximumWidth: modelData.maximumWidth
                Layout.fillWidth: true
                // A right-to-left name starts where the column starts, as every other name does,
                // rather than running into the number beside it.
                horizontalAlignment: Text.AlignLeft
                elide: Text.ElideRight
                textFormat: Text.PlainText
                font: columns.font
                color: dialable ? Theme.linkText : Theme.text
                text: columns.texts[modelData.name] === undefined ? "" : columns.texts[modelData.name]
                Accessible.name: text
                Accessible.ignored: columns.readAsOne
                readonly property real neededWidth: modelData.name === "phone" ? Math.ceil(implicitWidth) : 0
                onNeededWidthChanged: Qt.callLater(columns.widenPhone, neededWidth)

                HoverHandler {
                    onHoveredChanged: textTip.follow(hovered && parent.truncated ? parent : null)
                }
                MouseArea {
                    anchors.fill: parent
                    enabled: parent.dialable
                    cursorShape: Qt.PointingHandCursor
                    onClicked: columns.phoneClicked()
                }
            }
        }
    }

    // A read-only dialog of label and value pairs, closed with Esc or its button; the values
    // are fields so that the operator can select and copy them.
    component InfoDialog: Window {
        id: dialog
        property string heading: ""
        property var rows: []
        flags: Qt.Dialog
        visible: true
        color: Theme.windowBackground
        width: Math.max(420, content.implicitWidth + 2 * Theme.paddingLarge)
        height: content.implicitHeight + 2 * Theme.paddingLarge
        minimumWidth: 420
        minimumHeight: height
        maximumHeight: height

        Shortcut {
            sequence: "Esc"
            onActivated: dialog.close()
        }
        ColumnLayout {
            id: content
            anchors.fill: parent
            anchors.margins: Theme.paddingLarge
            spacing: Theme.paddingRow
            Text {
                visible: dialog.heading !== ""
                font.bold: true
                color: Theme.text
                text: dialog.heading
            }
            GridLayout {
                columns: 2
                columnSpacing: Theme.paddingRow
                Layout.fillWidth: true
                Repeater {
                    model: dialog.rows.length * 2
                    delegate: Loader {
                        readonly property var row: dialog.rows[Math.floor(index / 2)]
                        Layout.fillWidth: index % 2 === 1
                        sourceComponent: index % 2 === 0 ? labelText : valueField
                        Component {
                            id: labelText
                            Text {
                                color: Theme.text
                                text: row.label
                            }
                        }
                        Component {
                            id: valueField
                            TextField {
                                objectName: "value_" + row.label
                                readOnly: true
                                text: row.value
                                Accessible.name: row.label
                                implicitWidth: 320
                            }
                        }
                    }
                }
            }
            Button {
                objectName: "closeButton"
                Layout.alignment: Qt.AlignRight
                text: qsTranslate("MainWindow", "Close")
                focus: true
                onClicked: dialog.close()
                Keys.onReturnPressed: dialog.close()
                Keys.onEnterPressed: dialog.close()
            }
        }
    }

    Component {
        id: workplaceDialog
        InfoDialog {
            objectName: "workplaceDialog"
            title: qsTranslate("MainWindow", "Workplace")
            rows: [
                { label: qsTranslate("MainWindow", "Site"), value: workplace.server },
                { label: qsTranslate("MainWindow", "Workplace name"), value: workplace.name },
                { label: qsTranslate("MainWindow", "Operator ID"), value: workplace.operatorID }
            ]
        }
    }
    Component {
        id: aboutDialog
        InfoDialog {
            objectName: "aboutDialog"
            title: qsTranslate("MainWindow", "About Vorlan")
            heading: qsTranslate("MainWindow", "Vorlan: call-back requests of your site")
            rows: [{ label: qsTranslate("MainWindow", "Version"), value: Qt.application.version }]
        }
    }

    // One history window at a time: asked for again, the open one comes forward.
    property var historyWindow: null
    function showHistory() {
        if (!historyWindow) {
            historyWindow = Qt.createComponent("qrc:/HistoryWindow.qml").createObject(mainWindow)
            historyWindow.closing.connect(function () {
                historyWindow.destroy()
                historyWindow = null
            })
        }
        historyWindow.raise()
        historyWindow.requestActivate()
    }

    // Taking another call while one still waits for its result is asked first; getting back to a
    // held call is not.
    function choose(callID) {
        if (tracksHeldCalls && heldCalls.count > 0 && !heldCalls.contains(callID))
            openDialog(takeQuestion, { callID: callID })
        else
            GUI.startConversation(callID)
    }

    Component {
        id: takeQuestion
        Window {
            id: question
            objectName: "takeQuestion"
            property string callID: ""
            title: qsTranslate("MainWindow", "Take another call")
            flags: Qt.Dialog
            modality: Qt.WindowModal
            visible: true
            color: Theme.windowBackground
            width: questionContent.implicitWidth + 2 * Theme.paddingLarge
            height: questionContent.implicitHeight + 2 * Theme.paddingLarge
            minimumWidth: width
            maximumWidth: width
            minimumHeight: height
            maximumHeight: height

            // Closed before the take, which may open the conversation dialog.
            function answer(take) {
                var chosen = callID
                close()
                if (take)
                    GUI.startConversation(chosen)
            }

            Shortcut {
                sequence: "Esc"
                onActivated: question.answer(false)
            }
            ColumnLayout {
                id: questionContent
                anchors.centerIn: parent
                spacing: Theme.paddingLarge
                Text {
                    Layout.maximumWidth: 360
                    wrapMode: Text.Wrap
                    color: Theme.text
                    text: qsTranslate("MainWindow", "You hold a call whose result is not sent yet. Take another call?")
                }
                RowLayout {
                    Layout.alignment: Qt.AlignRight
                    spacing: Theme.paddingMedium
                    Button {
                        objectName: "takeAnotherButton"
                        text: qsTranslate("MainWindow", "Take")
                        focus: true
                        onClicked: question.answer(true)
                        Keys.onReturnPressed: question.answer(true)
                        Keys.onEnterPressed: question.answer(true)
                    }
                    Button {
                        objectName: "keepHeldButton"
                        text: qsTranslate("MainWindow", "Cancel")
                        onClicked: question.answer(false)
                        Keys.onReturnPressed: question.answer(false)
                        Keys.onEnterPressed: question.answer(false)
                    }
                }
            }
        }
    }

    // Copies through a text field, the one clipboard a document has.
    TextInput {
        id: clipboardHelper
        visible: false
        function copyText(text) {
            clipboardHelper.text = text
            selectAll()
            copy()
        }
    }

    Rectangle {
        id: textTip
        objectName: "textTip"
        parent: mainWindow.contentItem
        z: 10
        visible: false
        color: Theme.tooltipBackground
        border.color: Theme.placeholderText
        width: tipText.implicitWidth + Theme.paddingMedium
        height: tipText.implicitHeight + Theme.paddingCompact
        function follow(item) {
            visible = item !== null
            if (!item)
                return
            tipText.text = item.text
            var place = item.mapToItem(parent, 0, item.height)
            x = Math.max(0, Math.min(place.x, parent.width - width))
            y = place.y
        }
        Text {
            id: tipText
            anchors.centerIn: parent
            textFormat: Text.PlainText
            color: Theme.text
        }
    }

    // Without a program for tel: addresses the number is copied instead, and the window says so.
    function dial(phone) {
        if (GUI.dial(phone))
            return
        clipboardHelper.copyText(phone)
        dialNote.text = qsTranslate("MainWindow", "No program for calls is set up on this computer; the number %1 was copied.").arg(phone)
        dialNoteBox.visible = true
        dialNoteTimer.restart()
    }

    function statusText(status) {
        if (status === "new")
            return qsTranslate("MainWindow", "new")
        if (status === "processing")
            return qsTranslate("MainWindow", "processing")
        return status
    }

    onClosing: {
        close.accepted = false
        hideWindow()
    }

    menuBar: MenuBar {
        Menu {
            title: mnemonic(strings.str_APPLICATION)
            MenuItem {
                text: mnemonic(strings.str_QUITAPPLICATION)
                shortcut: "Ctrl+Q"
                onTriggered: GUI.exitProgramm()
            }
        }
        Menu {
            title: mnemonic(strings.str_SERVER)
            MenuItem {
                text: mnemonic(strings.str_GETDATA)
                shortcut: "F5"
                onTriggered: GUI.getDataFromServer()
            }
            MenuItem {
                text: mnemonic(qsTranslate("MainWindow", "History..."))
                shortcut: "Ctrl+H"
                visible: keepsHistory
                onTriggered: showHistory()
            }
        }
        Menu {
            title: mnemonic(strings.str_HELP)
            MenuItem {
                text: mnemonic(qsTranslate("MainWindow", "Workplace..."))
                onTriggered: openDialog(workplaceDialog)
            }
            MenuItem {
                text: mnemonic(strings.str_ABOUT)
                onTriggered: openDialog(aboutDialog)
            }
            MenuItem {
                text: mnemonic(qsTranslate("MainWindow", "Forget history"))
                visible: keepsHistory
                onTriggered: callHistory.forget()
            }
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        Rectangle {
            id: conversationBanner
            objectName: "conversationBanner"
            Layout.fillWidth: true
            Layout.preferredHeight: bannerLines.implicitHeight
            visible: barCalls.length > 0 && conversationDialog === null
            color: Theme.bannerBackground
            Accessible.role: Accessible.Pane
            Accessible.name: qsTranslate("MainWindow", "Calls in conversation")

            Column {
                id: bannerLines
                anchors.left: parent.left
                anchors.right: parent.right
                Repeater {
                    model: barCalls
                    Item {
                        objectName: "heldCall_" + modelData.callID
                        width: bannerLines.width
                        height: resumeButton.implicitHeight + 2 * Theme.paddingCompact

                        Text {
                            anchors.left: parent.left
                            anchors.leftMargin: Theme.paddingRow
                            anchors.right: resumeButton.left
                            anchors.rightMargin: Theme.paddingRow
                            anchors.verticalCenter: parent.verticalCenter
                            elide: Text.ElideRight
                            textFormat: Text.PlainText
                            color: Theme.text
                            text: qsTranslate("MainWindow", "In conversation: %1, %2")
                                  .arg(isolated(modelData.name)).arg(modelData.phone)
                            Accessible.role: Accessible.StaticText
                            Accessible.name: text
                        }
                        Button {
                            id: resumeButton
                            objectName: index === 0 ? "resumeButton" : "resumeButton_" + modelData.callID
                            anchors.right: parent.right
                            anchors.rightMargin: Theme.paddingRow
                            anchors.verticalCenter: parent.verticalCenter
                            text: qsTranslate("MainWindow", "Write the result")
                            Accessible.description: qsTranslate("MainWindow", "In conversation: %1, %2")
                                                    .arg(isolated(modelData.name)).arg(modelData.phone)
                            onClicked: GUI.closeConversation(modelData.callID)
                        }
                    }
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 28
            color: Theme.headerBackground
            Accessible.role: Accessible.ColumnHeader
            Accessible.name: qsTranslate("MainWindow", "Columns")

            CallColumns {
                anchors.fill: parent
                font.bold: true
                phoneWidth: phoneColumnWidth
                onPhoneTooNarrow: phoneColumnWidth = needed
                texts: ({
                    name: qsTranslate("MainWindow", "Name"),
                    phone: qsTranslate("MainWindow", "Phone"),
                    received: qsTranslate("MainWindow", "Received"),
                    waiting: qsTranslate("MainWindow", "Waiting"),
                    status: qsTranslate("MainWindow", "Status")
                })
            }
        }

        // Bound to the controller's model: a poll changes only the rows that changed, so the
        // view keeps its scroll position and current row by itself. The list is not named
        // "callerList", so the controller's by-name redraw finds nothing here.
        ListView {
            id: callList
            objectName: "callList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            focus: true
            model: pendingCalls
            boundsBehavior: Flickable.StopAtBounds
            highlightMoveDuration: 0
            Accessible.role: Accessible.List
            Accessible.name: qsTranslate("MainWindow", "Pending requests")
            // Shown whenever the rows do not all fit, not only while the list moves.
            Controls2.ScrollBar.vertical: Controls2.ScrollBar {
                objectName: "callScrollBar"
                policy: callList.contentHeight > callList.height ? Controls2.ScrollBar.AlwaysOn
                                                                 : Controls2.ScrollBar.AlwaysOff
            }
            // A page is the rows that fit, less one so that the operator keeps a row in sight.
            readonly property int pageRows: Math.max(1, Math.floor(height / 36) - 1)

            function take(row) {
                if (row >= 0 && row < count)
                    choose(pendingCalls.callID(row))
            }
            function moveTo(row) {
                if (count > 0) {
                    currentIndex = Math.max(0, Math.min(count - 1, row))
                    positionViewAtIndex(currentIndex, ListView.Contain)
                }
            }

            Keys.onReturnPressed: take(currentIndex)
            Keys.onEnterPressed: take(currentIndex)
            Keys.onPressed: {
                if (event.key === Qt.Key_PageDown)
                    moveTo(currentIndex + pageRows)
                else if (event.key === Qt.Key_PageUp)
                    moveTo(currentIndex - pageRows)
                else if (event.key === Qt.Key_Home)
                    moveTo(0)
                else if (event.key === Qt.Key_End)
                    moveTo(count - 1)
                else if (event.matches(StandardKey.Copy) && currentItem)
                    clipboardHelper.copyText(currentItem.phone)
                else
                    return
                event.accepted = true
            }

            delegate: Rectangle {
                objectName: "callRow_" + model.callID
                readonly property string phone: model.phone
                // Bound to the history's revision, so that a close recounts every row.
                readonly property int earlierCalls: keepsHistory
                    ? (callHistory.revision, callHistory.earlierCount(model.phone)) : 0
                width: callList.width
                height: 36
                Accessible.role: Accessible.ListItem
                Accessible.name: rowSpokenText(model.name, model.phone, waitingText(model.minutesWaited),
                                               statusText(model.status))
                Accessible.selectable: true
                Accessible.selected: ListView.isCurrentItem
                Accessible.onPressAction: {
                    callList.currentIndex = index
                    callList.take(index)
                }
                color: ListView.isCurrentItem ? Theme.rowCurrentBackground
                       : rowArea.containsMouse ? Theme.rowHoverBackground
                       : index % 2 ? Theme.rowAlternateBackground : Theme.rowBackground

                MouseArea {
                    id: rowArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: {
                        callList.currentIndex = index
                        callList.take(index)
                    }
                }
                CallColumns {
                    anchors.fill: parent
                    phoneWidth: phoneColumnWidth
                    onPhoneTooNarrow: phoneColumnWidth = needed
                    texts: ({
                        name: withEarlierMark(model.name, earlierCalls),
                        phone: model.phone,
                        received: receivedText(model.cr_date),
                        waiting: waitingText(model.minutesWaited),
                        status: statusText(model.status)
                    })
                    dialable: true
                    readAsOne: true
                    onPhoneClicked: dial(model.phone)
                }
            }

            Rectangle {
                id: dialNoteBox
                objectName: "dialNoteBox"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                height: dialNote.implicitHeight + 2 * Theme.paddingCompact
                visible: false
                color: Theme.bannerBackground
                Text {
                    id: dialNote
                    objectName: "dialNote"
                    Accessible.role: Accessible.AlertMessage
                    Accessible.name: text
                    anchors.fill: parent
                    anchors.margins: Theme.paddingCompact
                    wrapMode: Text.Wrap
                    textFormat: Text.PlainText
                    color: Theme.text
                }
                Timer {
                    id: dialNoteTimer
                    interval: 8000
                    onTriggered: dialNoteBox.visible = false
                }
            }

            Text {
                objectName: "noPendingRequests"
                anchors.centerIn: parent
                visible: callList.count === 0
                color: Theme.placeholderText
                font.pixelSize: Theme.fontSizeLarge
                text: qsTranslate("MainWindow", "No pending requests")
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }

        // The status line: the site's state (when the list was last brought up to date, or
        // since when and why the site fails), what became of the last take, and a hint.
        Rectangle {
            id: statusLine
            objectName: "statusLine"
            Layout.fillWidth: true
            // What went wrong takes a second line rather than being cut.
            Layout.preferredHeight: Math.max(24, siteStatusText.implicitHeight + Theme.paddingCompact)
            color: alarming ? Theme.alarmBackground : Theme.windowBackground
            Accessible.role: Accessible.StatusBar
            Accessible.name: qsTranslate("MainWindow", "Status")
            readonly property bool hasSiteStatus: typeof siteStatus !== "undefined" && siteStatus !== null
            readonly property bool siteFailing: hasSiteStatus && siteStatus.failing && !siteStatus.busy
            readonly property bool alarming: siteFailing || (hasSiteStatus && siteStatus.notice !== "")
            readonly property string stateText: {
                if (!hasSiteStatus)
                    return ""
                return siteStatus.notice !== "" ? siteStatus.notice + "  " + siteStatus.summary
                                                : siteStatus.summary
            }

            RowLayout {
                anchors.fill: parent
                anchors.leftMargin: Theme.paddingRow
                anchors.rightMargin: Theme.paddingRow
                spacing: Theme.paddingRow
                Text {
                    id: siteStatusText
                    objectName: "siteStatusText"
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    Layout.fillWidth: statusLine.stateText !== ""
                    visible: statusLine.stateText !== ""
                    wrapMode: Text.Wrap
                    maximumLineCount: 2
                    elide: Text.ElideRight
                    textFormat: Text.PlainText
                    color: statusLine.alarming ? Theme.alarmText : Theme.statusText
                    font.pixelSize: Theme.fontSizeSmall
                    text: statusLine.stateText
                }
                Text {
                    objectName: "dayFigures"
                    visible: keepsHistory && !statusLine.alarming
                    color: Theme.statusText
                    font.pixelSize: Theme.fontSizeSmall
                    textFormat: Text.PlainText
                    text: keepsHistory ? callHistory.dayFigures : ""
                }
                // Room goes to what went wrong; an operator who has closed calls today needs no hint.
                Text {
                    visible: !statusLine.alarming && !(keepsHistory && callHistory.closedToday > 0)
                    Layout.fillWidth: statusLine.stateText === ""
                    horizontalAlignment: statusLine.stateText === "" ? Text.AlignLeft : Text.AlignRight
                    elide: Text.ElideRight
                    color: Theme.hintText
                    font.pixelSize: Theme.fontSizeSmall
                    text: qsTranslate("MainWindow", "Click a request to take it; click a number to dial it.")
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
            }
        }
    }
}
