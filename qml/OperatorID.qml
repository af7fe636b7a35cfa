import QtQuick 2.5
import QtQuick.Controls 2.0
import QtQuick.Layouts 1.0
import QtQuick.Controls 1.4
import QtQuick.Window 2.2

Window {
    id: opID
    objectName: "opID"
    visible: true
    width: 400
    height: 300
    minimumWidth: 400
    minimumHeight: 300
    maximumWidth: 400
    maximumHeight: 300
    flags: Qt.Dialog
    modality: Qt.ApplicationModal
    title: qsTr("Operator ID")

    function fillDialog(par) {
        worksetID.text = par.id
        worksetName.text = par.name
    }

    Item {
        anchors.left: parent.left
        anchors.leftMargin: 20
        anchors.top: parent.top
        anchors.topMargin: 40
        anchors.right: parent.right
        anchors.rightMargin: 40

        ColumnLayout {
            spacing: 5

            ColumnLayout {
                Label {
                    text: "Уникальный ID рабочего места"
                }
                TextField {
                    id: worksetID
                    objectName: "worksetID"
                    Layout.preferredWidth: 300
                }
            }

            ColumnLayout {
                Label {
                    text: "Название рабочего места"
                }
                TextField {
                    id: worksetName
                    objectName: "worksetName"
                    Layout.preferredWidth: 300
                }
            }
        }
    }

    Row {
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 10
        spacing: 10

        Button {
            objectName: "okButton"
            text: "OK"
            onClicked: opID.close()
        }
        Button {
            objectName: "cancelButton"
            text: "Отмена"
            onClicked: opID.close()
        }
    }
}
