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
    title: shownCount === 0
           ? qsTranslate("MainWindow", "Vorlan")
           : qsTranslate("MainWindow", "Vorlan: %1 pending").arg(shownCount)

    property var strings: Qt.createComponent("qrc:/strings.qml").createObject(mainWindow)
    // Without a tray the window must stay reachable, so it is minimised instead of hidden.
    readonly property bool hasTray: typeof systemTrayAvailable === "undefined" || systemTrayAvailable
    property var conversationDialog: null
    property string conversationCallID: ""
    property var conversationCall: null
    // The count once a redraw is complete: a title set per appended row costs the window
    // system a round of work each time.
    property int shownCount: 0

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
        if (!callerList.contains(conversationCallID))
            conversationCallID = ""
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

    ListModel { id: callModel }

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
                Text { Layout.preferredWidth: 90; font.bold: true; text: qsTranslate("MainWindow", "Status") }
            }
        }

        ListView {
            id: callerList
            objectName: "callerList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: callModel
            currentIndex: -1
            boundsBehavior: Flickable.StopAtBounds

            // A redraw clears and appends every call; rows are overwritten in place and
            // the surplus trimmed afterwards, so the view keeps its scroll position and the
            // row under the operator's pointer.
            property int fillIndex: 0

            function clearList() {
                fillIndex = 0
                Qt.callLater(trimList)
            }
            function appendElement(element) {
                if (fillIndex < callModel.count)
                    callModel.set(fillIndex, element)
                else
                    callModel.append(element)
                fillIndex += 1
            }
            function trimList() {
                if (callModel.count > fillIndex)
                    callModel.remove(fillIndex, callModel.count - fillIndex)
                shownCount = callModel.count
                // Looking a row up makes an object for it, so only a pending conversation looks.
                if (conversationCallID !== "" && conversationDialog === null
                        && !contains(conversationCallID))
                    conversationCallID = ""
            }
            function contains(id) {
                // Rows past fillIndex are left over from before the current redraw.
                var shown = Math.min(fillIndex, callModel.count)
                for (var i = 0; i < shown; ++i) {
                    if (callModel.get(i).callID === id)
                        return true
                }
                return false
            }

            delegate: Rectangle {
                objectName: "callRow_" + model.callID
                width: callerList.width
                height: 36
                color: rowArea.containsMouse ? "#dde6f7" : (index % 2 ? "#f5f5fa" : "#ffffff")

                MouseArea {
                    id: rowArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: GUI.startConversation(model.callID)
                }
                RowLayout {
                    anchors.fill: parent
                    anchors.leftMargin: 12
                    anchors.rightMargin: 12
                    Text { Layout.preferredWidth: 150; elide: Text.ElideRight; textFormat: Text.PlainText; text: model.name }
                    Text {
                        Layout.preferredWidth: 140
                        elide: Text.ElideRight
                        color: "#1a4fb5"
                        font.underline: phoneArea.containsMouse
                        textFormat: Text.PlainText
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
                    Text { Layout.preferredWidth: 90; elide: Text.ElideRight; textFormat: Text.PlainText; text: model.status }
                }
            }

            Text {
                objectName: "noPendingRequests"
                anchors.centerIn: parent
                visible: callModel.count === 0
                color: "#777788"
                font.pixelSize: 16
                text: qsTranslate("MainWindow", "No pending requests")
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 24
            color: "#eeeef5"
            Text {
                anchors.left: parent.left
                anchors.leftMargin: 12
                anchors.verticalCenter: parent.verticalCenter
                color: "#555566"
                font.pixelSize: 11
                text: qsTranslate("MainWindow", "Click a request to take it; click a number to dial it.")
            }
        }
    }
}
