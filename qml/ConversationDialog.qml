import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Layouts 1.0
import QtQuick.Window 2.2

Window {
    id: conversationDialog
    objectName: "conversationDialog"
    visible: true
    width: 400
    height: 300
    minimumWidth: 400
    minimumHeight: 300
    maximumHeight: 300
    // The dialog grows by the line that says a draft could not be saved, by the lines a long
    // name wraps onto and by the caller's earlier results; it can be widened for a long name
    // or result.
    readonly property int fittingHeight: 300
            + (draftNotice.visible ? draftNotice.height + Theme.paddingSmall : 0)
            + nameRow.extraHeight
            + (earlierBlock.visible ? earlierBlock.height + Theme.paddingXLarge : 0)
    // The window manager holds a shown window to its limits: the limit that lets the new
    // height in moves first.
    onFittingHeightChanged: {
        if (fittingHeight > height) {
            maximumHeight = fittingHeight
            height = fittingHeight
            minimumHeight = fittingHeight
        } else {
            minimumHeight = fittingHeight
            height = fittingHeight
            maximumHeight = fittingHeight
        }
    }
    title: qsTr("Conversation")
    flags: Qt.Dialog
    modality: Qt.ApplicationModal
    color: Theme.windowBackground

    // The call whose result is typed here, and whether drafts can be kept for it.
    property string callID: ""
    readonly property bool keepsDrafts: typeof drafts !== "undefined" && drafts !== null
    property bool sending: false
    property bool sent: false
    // The last keep of the draft failed: the typed text lives only in this dialog.
    property bool draftUnsaved: false
    // A close asked for while the site has not answered yet waits for the answer.
    property bool closeAfterSend: false
    // Why the site did not take the result, as the controller tells it; empty: no reason known.
    property string failureNotice: ""
    // What earlier calls of the same number ended with, newest first, from a controller that
    // keeps a history.
    property var earlierResults: []
    // The site takes no result shorter than this.
    readonly property int shortestResult: 4
    readonly property bool resultTooShort: resultText.text.length < shortestResult

    function fillDialog(par) {
        nameCaller.text = par.name
        phoneCaller.text = par.phone
        callID = par.callID !== undefined ? par.callID : ""
        if (keepsDrafts && resultText.text === "")
            resultText.text = drafts.text(callID)
        var keepsHistory = typeof callHistory !== "undefined" && callHistory !== null
        earlierResults = keepsHistory && par.phone ? callHistory.earlierResults(par.phone) : []
        // A restored draft is continued, not typed over from its start.
        resultText.cursorPosition = resultText.length
    }

    function keepDraft() {
        draftTimer.stop()
        if (keepsDrafts && !sent)
            draftUnsaved = drafts.keep(callID, resultText.text) === false
    }

    // The typed result is kept until the site confirms it, so an unconfirmed close never loses it.
    // The send waits for the site while events go on: a second click or a held key must not
    // send it again.
    function sendResult() {
        if (sending || resultTooShort)
            return
        keepDraft()
        notAcceptedNotice.visible = false
        sending = true
        sent = GUI.closeConversationSendResult(resultText.text)
        sending = false
        if (sent || closeAfterSend) {
            closeAfterSend = false
            conversationDialog.close()
            return
        }
        failureNotice = typeof siteStatus !== "undefined" && siteStatus !== null
                ? siteStatus.notice : ""
        notAcceptedNotice.visible = true
    }

    // The send runs in a handler of this window: whoever closes it then would destroy it under
    // that handler, so the close is refused until the site has answered.
    onClosing: {
        if (sending) {
            close.accepted = false
            closeAfterSend = true
            return
        }
        keepDraft()
    }
    // A main window may destroy the dialog without closing it, to open another.
    Component.onDestruction: keepDraft()

    Timer {
        id: draftTimer
        interval: 400
        onTriggered: conversationDialog.keepDraft()
    }

    Shortcut {
        sequence: "Ctrl+Return"
        autoRepeat: false
        onActivated: conversationDialog.sendResult()
    }
    Shortcut {
        sequence: "Ctrl+Enter"
        autoRepeat: false
        onActivated: conversationDialog.sendResult()
    }
    // The main window's quit works from here too, so the dialog never traps the operator.
    Shortcut {
        sequence: "Ctrl+Q"
        autoRepeat: false
        onActivated: GUI.exitProgramm()
    }
    Shortcut {
        sequence: "Esc"
        autoRepeat: false
        onActivated: conversationDialog.close()
    }

    Item {
        anchors.fill: parent

        Item {
            id: nameRow
            readonly property real extraHeight: nameCaller.height - nameCaller.height / Math.max(1, nameCaller.lineCount)
            anchors.left: parent.left
            anchors.leftMargin: Theme.paddingLarge
            anchors.top: parent.top
            anchors.topMargin: Theme.paddingLarge
            height: 10 + extraHeight

            Text {
                id: nameLabel
                text: qsTr("Name: ")
                color: Theme.text
                font.bold: true
            }
            Text {
                id: nameCaller
                objectName: "nameCaller"
                textFormat: Text.PlainText
                Accessible.role: Accessible.StaticText
                Accessible.name: nameLabel.text + text
                text: "Jhon"
                color: Theme.text
                anchors.left: nameLabel.right
                anchors.leftMargin: Theme.paddingMedium
                // A long name wraps at word ends rather than being cut; a right-to-left one
                // starts beside its label too.
                horizontalAlignment: Text.AlignLeft
                width: conversationDialog.width - 2 * Theme.paddingLarge - nameLabel.width - Theme.paddingMedium
                wrapMode: Text.Wrap
            }
        }

        Item {
            id: phoneRow
            anchors.left: parent.left
            anchors.leftMargin: Theme.paddingLarge
            anchors.top: nameRow.bottom
            anchors.topMargin: Theme.paddingLarge
            height: 10

            Text {
                id: phoneLabel
                text: qsTr("Phone: ")
                color: Theme.text
                font.bold: true
            }
            Text {
                id: phoneCaller
                objectName: "phoneCaller"
                textFormat: Text.PlainText
                Accessible.role: Accessible.StaticText
                Accessible.name: phoneLabel.text + text
                text: "12343535"
                color: Theme.text
                anchors.left: phoneLabel.right
                anchors.leftMargin: Theme.paddingMedium
            }
        }

        Item {
            id: earlierBlock
            anchors.left: parent.left
            anchors.leftMargin: Theme.paddingLarge
            anchors.top: phoneRow.bottom
            anchors.topMargin: Theme.paddingXLarge
            width: 360
            height: earlierLabel.height + Theme.paddingMedium + earlierText.height
            visible: conversationDialog.earlierResults.length > 0

            Text {
                id: earlierLabel
                text: qsTr("Earlier results")
                color: Theme.text
            }
            TextArea {
                id: earlierText
                objectName: "earlierResults"
                anchors.top: earlierLabel.bottom
                anchors.topMargin: Theme.paddingMedium
                width: parent.width
                height: 80
                readOnly: true
                tabChangesFocus: true
                textFormat: TextEdit.PlainText
                text: conversationDialog.earlierResults.map(function (earlier) {
                    return earlier.closed + ": " + earlier.result
                }).join("\n")
            }
        }

        Item {
            id: resultBlock
            anchors.left: parent.left
            anchors.leftMargin: Theme.paddingLarge
            anchors.top: earlierBlock.visible ? earlierBlock.bottom : phoneRow.bottom
            anchors.topMargin: Theme.paddingXLarge

            Text {
                id: resultLabel
                text: qsTr("Describe call result")
                color: Theme.text
            }
            TextArea {
                id: resultText
                objectName: "resultText"
                Accessible.name: resultLabel.text
                anchors.top: resultLabel.bottom
                anchors.topMargin: Theme.paddingMedium
                anchors.left: resultLabel.left
                width: conversationDialog.width - 2 * Theme.paddingLarge
                height: 140
                focus: true
                readOnly: conversationDialog.sending
                onTextChanged: {
                    notAcceptedNotice.visible = false
                    draftTimer.restart()
                }
            }
            Text {
                id: draftNotice
                objectName: "draftNotice"
                anchors.top: resultText.bottom
                anchors.topMargin: Theme.paddingSmall
                anchors.left: resultText.left
                width: resultText.width
                visible: conversationDialog.draftUnsaved
                Accessible.role: Accessible.AlertMessage
                Accessible.name: text
                color: Theme.errorText
                font.pixelSize: Theme.fontSizeSmall
                wrapMode: Text.WordWrap
                text: qsTr("The draft could not be saved; the text is kept only while this dialog is open.")
            }
        }

        Text {
            objectName: "sendingNotice"
            anchors.left: parent.left
            anchors.leftMargin: Theme.paddingLarge
            anchors.verticalCenter: buttonRow.verticalCenter
            visible: conversationDialog.sending
            Accessible.role: Accessible.StaticText
            Accessible.name: text
            color: Theme.statusText
            font.pixelSize: Theme.fontSizeSmall
            text: qsTr("Sending...")
        }

        Text {
            objectName: "tooShortNotice"
            anchors.left: parent.left
            anchors.leftMargin: Theme.paddingLarge
            anchors.right: buttonRow.left
            anchors.rightMargin: Theme.paddingMedium
            anchors.verticalCenter: buttonRow.verticalCenter
            visible: conversationDialog.resultTooShort && !conversationDialog.sending
            color: Theme.hintText
            font.pixelSize: Theme.fontSizeSmall
            wrapMode: Text.WordWrap
            text: qsTr("Write at least %1 characters to send the result.").arg(conversationDialog.shortestResult)
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        Text {
            id: notAcceptedNotice
            objectName: "notAcceptedNotice"
            Accessible.role: Accessible.AlertMessage
            Accessible.name: text
            anchors.left: parent.left
            anchors.leftMargin: Theme.paddingLarge
            anchors.right: buttonRow.left
            anchors.rightMargin: Theme.paddingMedium
            anchors.verticalCenter: buttonRow.verticalCenter
            visible: false
            color: Theme.errorText
            font.pixelSize: Theme.fontSizeSmall
            wrapMode: Text.WordWrap
            textFormat: Text.PlainText
            text: conversationDialog.failureNotice !== "" ? conversationDialog.failureNotice
                  : qsTr("The site did not accept the result. You can send it again.")
        }

        Row {
            id: buttonRow
            anchors.right: parent.right
            anchors.rightMargin: Theme.paddingLarge
            anchors.bottom: parent.bottom
            anchors.bottomMargin: Theme.paddingMedium
            spacing: Theme.paddingMedium

            Button {
                id: closeButton
                objectName: "closeButton"
                text: qsTr("Close conversation")
                enabled: !conversationDialog.sending && !conversationDialog.resultTooShort
                onClicked: conversationDialog.sendResult()
            }
        }
    }
}
