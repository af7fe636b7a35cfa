import QtQuick 2.2
import QtQuick.Dialogs 1.0
import QtQuick.Controls 1.4

Item {
    id: fsfItem

    property alias filePath: input.inputText
    property string label: qsTr("Select file")
    property int itemWidth: 100
    property bool wrongValue: false

    width: itemWidth
    height: childrenRect.height

    LabeledTextInput {
        id: input
        objectName: "fileInput"
        label: fsfItem.label
        width: fsfItem.itemWidth
        wrongValue: fsfItem.wrongValue
    }

    Button {
        id: browseButton
        objectName: "browseButton"
        width: 30
        text: "..."
        anchors.left: input.right
        anchors.bottom: input.bottom
        onClicked: fileDialog.open()
    }

    FileDialog {
        id: fileDialog
        objectName: "fileDialog"
        title: qsTr("Please choose a file")
        folder: shortcuts.home
        selectMultiple: false
        onAccepted: {
            console.log("You chose: " + fileDialog.fileUrls)
            input.setInputText(fileDialog.fileUrls[0].toString())
        }
        onRejected: console.log("Canceled")
    }
}
