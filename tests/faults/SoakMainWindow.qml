import QtQuick 2.5

// The soak's main-window document: it asks for a poll every second and keeps the caller list
// in a model, as a real list would, so that its rows can be compared with the site's list.
Item {
    function getServer() { return soakServer }
    function getOperatorID() { return "{soak}" }
    function isVisible() { return true }
    function showWindow() {}
    function hideWindow() {}
    function raiseWindow() {}
    function showCloseConversationDialog(call) {}

    function shownRows() {
        var rows = []
        for (var i = 0; i < calls.count; ++i) {
            rows.push(calls.get(i).callID + "|" + calls.get(i).status)
        }
        return rows
    }

    ListModel { id: calls }
    Item {
        objectName: "callerList"
        function clearList() { calls.clear() }
        function appendElement(call) { calls.append({callID: call.callID, status: call.status}) }
    }
    Timer {
        interval: 1000
        running: true
        repeat: true
        onTriggered: GUI.getDataFromServer()
    }
}
