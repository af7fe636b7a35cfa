import QtQuick 2.5
import QtQuick.Layouts 1.0
import QtQuick.Controls 1.4
import QtQuick.Window 2.2

Window {
    id: aboutWindow
    objectName: "aboutWindow"
    flags: Qt.Dialog
    visible: true
    modality: Qt.ApplicationModal
    title: qsTr("About Vorlan")
    width: 500
    height: 300
    color: Theme.windowBackground

    Rectangle {
        id: background
        anchors.fill: parent
        color: Theme.windowBackground

        Item {
            id: content
            anchors.left: parent.left
            anchors.leftMargin: Theme.paddingXLarge
            anchors.top: parent.top
            anchors.topMargin: Theme.paddingXLarge

            Image {
                id: logo
                source: "qrc:/icon.svg"
                // Drawn from the vector source at the size shown, at any scale.
                sourceSize: Qt.size(32, 32)
                width: 32
                height: 32
                Accessible.role: Accessible.Graphic
                Accessible.name: productName.text
                smooth: false
            }

            Text {
                id: productName
                objectName: "productName"
                text: "Vorlan Client v0.1-beta"
                anchors.left: logo.right
                anchors.leftMargin: Theme.paddingLarge
                anchors.top: parent.top
                anchors.topMargin: -Theme.paddingSmall
                font.pixelSize: Theme.fontSizeTitle
                font.bold: true
                color: Theme.text
            }
        }

        Text {
            id: apiVersion
            objectName: "apiVersion"
            x: 83
            y: 67
            width: 177
            height: 17
            text: qsTr("API v1")
            font.pixelSize: Theme.fontSizeTiny
            // A softer colour rather than transparency, which left it below readable contrast.
            color: Theme.hintText
        }
    }
}
