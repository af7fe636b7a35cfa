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
    color: Theme.formBackground

    // The shown identity; the fields bind to it until the operator edits them.
    property var identity: ({ id: "", name: "" })

    function fillDialog(par) {
        identity = par
    }

    Item {
        anchors.left: parent.left
        anchors.leftMargin: Theme.paddingLarge
        anchors.top: parent.top
        anchors.topMargin: Theme.paddingXXLarge
        anchors.right: parent.right
        anchors.rightMargin: Theme.paddingXXLarge

        ColumnLayout {
            spacing: Theme.paddingSmall

            ColumnLayout {
                Label {
                    text: "Уникальный ID рабочего места"
                }
                TextField {
                    id: worksetID
                    objectName: "worksetID"
                    text: opID.identity.id
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
                    text: opID.identity.name
                    Layout.preferredWidth: 300
                }
            }
        }
    }

    Row {
        anchors.right: parent.right
        anchors.rightMargin: Theme.paddingMedium
        anchors.bottom: parent.bottom
        anchors.bottomMargin: Theme.paddingMedium
        spacing: Theme.paddingMedium

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
