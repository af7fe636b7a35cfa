import QtQuick 2.5

// A main-window document for tests: it records every function the controller invokes on it,
// in order, and answers getServer, getOperatorID and isVisible from the test's settings.
Item {
    id: root
    property var log: []
    property bool windowShown: testSettings.visible
    // Evaluated while the document loads: the controller must already be published.
    readonly property bool controllerAtLoad: typeof GUI !== "undefined" && GUI !== null

    function record(entry) {
        var entries = log
        entries.push(entry)
        log = entries
    }

    function getServer() { record("getServer"); return testSettings.server }
    function getOperatorID() { record("getOperatorID"); return testSettings.operatorID }
    function isVisible() { record("isVisible"); return windowShown }
    function showWindow() { record("showWindow"); windowShown = true }
    function hideWindow() { record("hideWindow"); windowShown = false }
    function raiseWindow() { record("raiseWindow") }
    function showCloseConversationDialog(call) {
        record("showCloseConversationDialog " + JSON.stringify(call))
    }

    // Two lists of that name: the one in the first subtree counts, though it lies deeper.
    Item {
        Item {
            Item {
                objectName: "callerList"
                function clearList() { root.record("clearList") }
                function appendElement(element) { root.record("appendElement " + JSON.stringify(element)) }
            }
        }
    }
    Item {
        Item {
            objectName: "callerList"
            function clearList() { root.record("wrong clearList") }
            function appendElement(element) { root.record("wrong appendElement") }
        }
    }
}
