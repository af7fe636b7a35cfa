import QtQuick 2.15
import QtQuick.Controls 1.4
import QtQuick.Layouts 1.0
import QtQuick.Window 2.2

// This workplace's closed calls, newest first, narrowed by the words typed into the search
// field as the operator types, and exported as shown. Needs the controller's "callHistory".
Window {
    id: historyWindow
    objectName: "historyWindow"
    width: 760
    height: 480
    minimumWidth: 480
    minimumHeight: 240
    visible: true
    color: Theme.windowBackground
    title: qsTr("History: %1").arg(callList.count)

    Component.onCompleted: callHistory.search("")
    Component.onDestruction: callHistory.endSearch()

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

    Shortcut {
        sequence: "Esc"
        onActivated: historyWindow.close()
    }
    Shortcut {
        sequence: StandardKey.Find
        onActivated: searchField.forceActiveFocus()
    }
    Shortcut {
        sequence: "Ctrl+E"
        onActivated: callHistory.exportShown()
    }

    // Widths of the columns: the result takes what is left.
    readonly property var columns: [
        { name: "closed", width: 150 },
        { name: "name", width: 150 },
        { name: "phone", width: 140 },
        { name: "result", width: -1 }
    ]

    component HistoryColumns: RowLayout {
        id: row
        property var texts: ({})
        property bool bold: false
        spacing: Theme.paddingCompact
        Repeater {
            model: historyWindow.columns
            Text {
                Layout.preferredWidth: modelData.width
                Layout.fillWidth: modelData.width < 0
                elide: Text.ElideRight
                textFormat: Text.PlainText
                font.bold: row.bold
                color: Theme.text
                text: row.texts[modelData.name] === undefined ? "" : row.texts[modelData.name]
            }
        }
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: Theme.paddingMedium
        spacing: Theme.paddingMedium

        RowLayout {
            Layout.fillWidth: true
            spacing: Theme.paddingMedium
            Label {
                text: qsTr("Search:")
            }
            TextField {
                id: searchField
                objectName: "historySearch"
                Layout.fillWidth: true
                focus: true
                placeholderText: qsTr("Name, phone or words of the result")
                onTextChanged: callHistory.search(text)
                Keys.onDownPressed: {
                    callList.forceActiveFocus()
                    callList.currentIndex = 0
                }
            }
            Button {
                objectName: "exportButton"
                text: qsTr("Export...")
                onClicked: callHistory.exportShown()
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 28
            color: Theme.headerBackground
            HistoryColumns {
                anchors.fill: parent
                anchors.leftMargin: Theme.paddingRow
                anchors.rightMargin: Theme.paddingRow
                bold: true
                texts: ({
                    closed: qsTr("Closed"),
                    name: qsTr("Name"),
                    phone: qsTr("Phone"),
                    result: qsTr("Result")
                })
            }
        }

        ListView {
            id: callList
            objectName: "historyList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: callHistory.rows
            boundsBehavior: Flickable.StopAtBounds
            highlightMoveDuration: 0
            activeFocusOnTab: true

            Keys.onPressed: {
                if (event.matches(StandardKey.Copy) && currentIndex >= 0) {
                    var call = callHistory.rows[currentIndex]
                    clipboardHelper.copyText([call.closed, call.name, call.phone, call.result].join("\t"))
                    event.accepted = true
                }
            }

            delegate: Rectangle {
                width: callList.width
                height: 30
                color: ListView.isCurrentItem && callList.activeFocus ? Theme.rowCurrentBackground
                       : index % 2 ? Theme.rowAlternateBackground : Theme.rowBackground
                HistoryColumns {
                    anchors.fill: parent
                    anchors.leftMargin: Theme.paddingRow
                    anchors.rightMargin: Theme.paddingRow
                    texts: modelData
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: {
                        callList.currentIndex = index
                        callList.forceActiveFocus()
                    }
                }
            }

            Text {
                objectName: "nothingFound"
                anchors.centerIn: parent
                visible: callList.count === 0
                color: Theme.placeholderText
                font.pixelSize: Theme.fontSizeLarge
                text: searchField.text.trim() === "" ? qsTr("No closed calls yet")
                                                     : qsTr("Nothing found")
            }
        }
    }
}
