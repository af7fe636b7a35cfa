import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Layouts 1.0
import QtQuick.Window 2.2

// The default main window: the pending call-back requests of this workplace.
// It is loaded without a file name, so packaged documents are reached by qrc: URLs and
// its own texts carry the translation context "MainWindow" explicitly.
ApplicationWindow {
    id: mainWindow
    objectName: "mainWindow"
    width: 640
    height: 480
    minimumWidth: 420
    minimumHeight: 240
    visible: true
    title: pendingCalls.count === 0
           ? qsTranslate("MainWindow", "Vorlan")
           : qsTranslate("MainWindow", "Vorlan: %1 pending").arg(pendingCalls.count)

    property var strings: Qt.createComponent("qrc:/strings.qml").createObject(mainWindow)
    // Without a tray the window must stay reachable, so it is minimised instead of hidden.
    readonly property bool hasTray: typeof systemTrayAvailable === "undefined" || systemTrayAvailable
    property var conversationDialog: null
    property string conversationCallID: ""
    property var conversationCall: null

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
    function raiseWindow() {
        raise()
        requestActivate()
    }

    function showCloseConversationDialog(call) {
        if (conversationDialog)
            conversationDialog.destroy()
        conversationCallID = call.callID
        conversationCall = call
        conversationDialog = Qt.createComponent("qrc:/ConversationDialog.qml").createObject(mainWindow)
        conversationDialog.fillDialog(call)
        conversationDialog.closing.connect(function () { conversationDialogClosed() })
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

    // A call whose date cannot be read has no waiting time to show.
    function waitingText(minutes) {
        if (minutes < 0)
            return ""
        if (minutes < 60)
            return qsTranslate("MainWindow", "%1 min").arg(minutes)
        return qsTranslate("MainWindow", "%1 h %2 min").arg(Math.floor(minutes / 60)).arg(minutes % 60)
    }

    function openPackaged(url) {
        var window = Qt.createComponent(url).createObject(mainWindow)
        window.closing.connect(function () { window.destroy() })
        return window
    }

    onClosing: {
        close.accepted = false
        hideWindow()
    }

    menuBar: MenuBar {
        Menu {
            title: strings.str_APPLICATION
            MenuItem {
                text: strings.str_QUITAPPLICATION
                onTriggered: GUI.exitProgramm()
            }
        }
        Menu {
            title: strings.str_SERVER
            MenuItem {
                text: strings.str_GETDATA
                shortcut: "F5"
                onTriggered: GUI.getDataFromServer()
            }
        }
        Menu {
            title: strings.str_HELP
            MenuItem {
                text: qsTranslate("MainWindow", "Workplace...")
                onTriggered: openPackaged("qrc:/OperatorID.qml").fillDialog(
                                 { id: workplace.operatorID, name: workplace.name })
            }
            MenuItem {
                text: strings.str_ABOUT
                onTriggered: openPackaged("qrc:/about.qml")
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
            Layout.preferredHeight: 40
            visible: conversationCallID !== "" && conversationDialog === null
            color: "#fff4d6"

            Text {
                anchors.left: parent.left
                anchors.leftMargin: 12
                anchors.verticalCenter: parent.verticalCenter
                textFormat: Text.PlainText
                text: conversationCall
                      ? qsTranslate("MainWindow", "In conversation: %1, %2")
                        .arg(conversationCall.name).arg(conversationCall.phone)
                      : ""
            }
            Button {
                objectName: "resumeButton"
                anchors.right: parent.right
                anchors.rightMargin: 12
                anchors.verticalCenter: parent.verticalCenter
                text: qsTranslate("MainWindow", "Write the result")
                onClicked: GUI.closeConversation(conversationCallID)
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 28
            color: "#e4e4ee"

            RowLayout {
                anchors.fill: parent
                anchors.leftMargin: 12
                anchors.rightMargin: 12
                Text { Layout.preferredWidth: 150; font.bold: true; text: qsTranslate("MainWindow", "Name") }
                Text { Layout.preferredWidth: 140; font.bold: true; text: qsTranslate("MainWindow", "Phone") }
                Text { Layout.fillWidth: true; font.bold: true; text: qsTranslate("MainWindow", "Received") }
                Text { Layout.preferredWidth: 90; font.bold: true; text: qsTranslate("MainWindow", "Waiting") }
                Text { Layout.preferredWidth: 90; font.bold: true; text: qsTranslate("MainWindow", "Status") }
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
            // A page is the rows that fit, less one so that the operator keeps a row in sight.
            readonly property int pageRows: Math.max(1, Math.floor(height / 36) - 1)

            function take(row) {
                if (row >= 0 && row < count)
                    GUI.startConversation(pendingCalls.callID(row))
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
                else
                    return
                event.accepted = true
            }

            delegate: Rectangle {
                objectName: "callRow_" + model.callID
                width: callList.width
                height: 36
                color: ListView.isCurrentItem ? "#c9d8f5"
                                              : rowArea.containsMouse ? "#dde6f7"
                                                                      : (index % 2 ? "#f5f5fa" : "#ffffff")

                MouseArea {
                    id: rowArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: {
                        callList.currentIndex = index
                        callList.take(index)
                    }
                }
                RowLayout {
                    anchors.fill: parent
                    anchors.leftMargin: 12
                    anchors.rightMargin: 12
                    Text { Layout.preferredWidth: 150; elide: Text.ElideRight; textFormat: Text.PlainText; text: model.name }
                    Text {
                        Layout.preferredWidth: 140
                        elide: Text.ElideRight
                        textFormat: Text.PlainText
                        color: "#1a4fb5"
                        font.underline: phoneArea.containsMouse
                        text: model.phone

                        MouseArea {
                            id: phoneArea
                            anchors.fill: parent
                            hoverEnabled: true
                            cursorShape: Qt.PointingHandCursor
                            onClicked: GUI.launchURL("tel:" + model.phone)
                        }
                    }
                    Text { Layout.fillWidth: true; elide: Text.ElideRight; textFormat: Text.PlainText; text: model.cr_date }
                    Text {
                        Layout.preferredWidth: 90
                        elide: Text.ElideRight
                        text: waitingText(model.minutesWaited)
                    }
                    Text { Layout.preferredWidth: 90; elide: Text.ElideRight; textFormat: Text.PlainText; text: model.status }
                }
            }

            Text {
                objectName: "noPendingRequests"
                anchors.centerIn: parent
                visible: callList.count === 0
                color: "#777788"
                font.pixelSize: 16
                text: qsTranslate("MainWindow", "No pending requests")
            }
        }

        // The status line: the site's state (when the list was last brought up to date, or
        // since when and why the site fails), what became of the last take, and a hint.
        Rectangle {
            id: statusLine
            objectName: "statusLine"
            Layout.fillWidth: true
            Layout.preferredHeight: 24
            color: alarming ? "#f7e0de" : "#eeeef5"
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
                anchors.leftMargin: 12
                anchors.rightMargin: 12
                spacing: 12
                Text {
                    objectName: "siteStatusText"
                    Layout.fillWidth: statusLine.stateText !== ""
                    visible: statusLine.stateText !== ""
                    elide: Text.ElideRight
                    textFormat: Text.PlainText
                    color: statusLine.alarming ? "#a01010" : "#333344"
                    font.pixelSize: 11
                    text: statusLine.stateText
                }
                // Room goes to what went wrong.
                Text {
                    visible: !statusLine.alarming
                    Layout.fillWidth: statusLine.stateText === ""
                    horizontalAlignment: statusLine.stateText === "" ? Text.AlignLeft : Text.AlignRight
                    elide: Text.ElideRight
                    color: "#555566"
                    font.pixelSize: 11
                    text: qsTranslate("MainWindow", "Click a request to take it; click a number to dial it.")
                }
            }
        }
    }
}
