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
    color: "#eeeef5"

    Rectangle {
        id: background
        anchors.fill: parent
        color: "#eeeef5"

        Item {
            id: content
            anchors.left: parent.left
            anchors.leftMargin: 30
            anchors.top: parent.top
            anchors.topMargin: 30

            Image {
                id: logo
                source: "qrc:/icon.png"
                width: 32
                height: 32
                mipmap: true
                smooth: false
            }

            Text {
                id: productName
                objectName: "productName"
                text: "Vorlan Client v0.1-beta"
                anchors.left: logo.right
                anchors.leftMargin: 20
                anchors.top: parent.top
                anchors.topMargin: -5
                font.pixelSize: 30
                font.bold: true
            }
        }

        Text {
            id: apiVersion
            objectName: "apiVersion"
            x: 83
            y: 67
            width: 177
            height: 17
            opacity: 0.4
            text: qsTr("API v1")
            font.pixelSize: 9
        }
    }
}
