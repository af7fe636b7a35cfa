import QtQuick 2.5
import QtQuick.Window 2.2

// A workplace's own main window that asks for one poll as soon as it is hidden in the tray.
Window {
    id: window
    title: "Vorlan"
    width: 320
    height: 200
    visible: true
    property bool polled: false

    function getServer() { return workplace.server }
    function getOperatorID() { return workplace.operatorID }
    function isVisible() { return visible }
    function showWindow() { show() }
    function hideWindow() { hide() }
    function raiseWindow() { raise() }
    function showCloseConversationDialog(call) {}

    Item {
        objectName: "callerList"
        function clearList() {}
        function appendElement(element) {}
    }

    Timer {
        interval: 100
        running: !window.visible && !window.polled
        onTriggered: {
            window.polled = true
            GUI.getDataFromServer()
        }
    }
}
