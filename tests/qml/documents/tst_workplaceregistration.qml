import QtQuick 2.5
import QtTest 1.2

TestCase {
    id: testCase
    name: "WorkplaceRegistration"
    when: windowShown

    function init() {
        GUI.reset()
    }

    function createForm() {
        var component = Qt.createComponent("qrc:/WorkplaceRegistration.qml")
        compare(component.status, Component.Ready, component.errorString())
        var form = createTemporaryObject(component, testCase)
        verify(form)
        tryCompare(form, "visible", true)
        return form
    }

    function item(form, name) {
        var found = findChild(form.contentItem, name)
        verify(found, name)
        return found
    }

    function marks(form) {
        return [item(form, "siteUrl").wrongValue, item(form, "workplaseName").wrongValue,
                item(form, "vorlanSrvPasswd").wrongValue]
    }

    function press(form) {
        mouseClick(item(form, "registerButton"))
    }

    function test_emptyFieldsMarked() {
        var form = createForm()
        press(form)
        compare(marks(form), [true, true, true])

        item(form, "siteUrl").setInputText("http://shop.test")
        compare(marks(form), [false, true, true])
        press(form)
        compare(marks(form), [false, true, true])
        verify(item(form, "workplaseName").fieldId.activeFocus)

        item(form, "workplaseName").setInputText("Desk 4")
        press(form)
        compare(marks(form), [false, false, true])
        compare(GUI.calls.length, 0)
    }

    function test_markStaysOnOtherFieldsChange() {
        var form = createForm()
        press(form)
        item(form, "vorlanSrvPasswd").setInputText("secret")
        compare(marks(form), [true, true, false])
    }

    function test_registrationArguments_data() {
        return [
            { tag: "typed values", url: "http://shop.test/", name: "Desk 4", pass: "s3cret" },
            { tag: "blanks are text", url: " ", name: "  ", pass: "   " }
        ]
    }

    function test_registrationArguments(data) {
        var form = createForm()
        item(form, "siteUrl").setInputText(data.url)
        item(form, "workplaseName").setInputText(data.name)
        item(form, "vorlanSrvPasswd").setInputText(data.pass)
        press(form)
        compare(marks(form), [false, false, false])
        compare(GUI.calls.length, 1)
        compare(GUI.calls[0].name, "registerWorkplace")
        compare(GUI.calls[0].args, [data.name, data.url, data.pass])
    }

    function test_buttonDisabledDuringRegistration() {
        var form = createForm()
        var button = item(form, "registerButton")
        GUI.watchDuringRegistration(form, "registerButton")
        item(form, "siteUrl").setInputText("http://shop.test")
        item(form, "workplaseName").setInputText("Desk 4")
        item(form, "vorlanSrvPasswd").setInputText("s3cret")
        compare(button.enabled, true)

        press(form)
        compare(GUI.calls.length, 1)
        compare(GUI.calls[0].watchedEnabled, false)
        // The call returned, so the registration failed: the operator may try again.
        compare(button.enabled, true)
        press(form)
        compare(GUI.calls.length, 2)
    }

    function test_keyboardOrder() {
        var form = createForm()
        // Key events go to the focus window.
        form.requestActivate()
        tryCompare(form, "active", true)
        var site = item(form, "siteUrl").fieldId
        tryCompare(site, "activeFocus", true)
        var order = [item(form, "workplaseName").fieldId, item(form, "vorlanSrvPasswd").fieldId,
                     item(form, "registerButton")]
        for (var i = 0; i < order.length; ++i) {
            keyClick(Qt.Key_Tab)
            verify(order[i].activeFocus, "Tab step " + (i + 1))
        }
        // Space on the focused button presses it: all fields are empty, so all get marked.
        keyClick(Qt.Key_Space)
        compare(marks(form), [true, true, true])
        verify(site.activeFocus)
        // Enter in a field sends the form, as in any form.
        item(form, "siteUrl").setInputText("http://shop.test")
        item(form, "workplaseName").setInputText("Desk 4")
        item(form, "vorlanSrvPasswd").setInputText("s3cret")
        keyClick(Qt.Key_Return)
        compare(GUI.calls.length, 1)
        compare(GUI.calls[0].name, "registerWorkplace")
    }

    function test_layout() {
        var form = createForm()
        // The content item takes the window's size once the window system reports it.
        tryCompare(form.contentItem, "width", 600)
        compare(Qt.size(form.minimumWidth, form.minimumHeight), Qt.size(600, 500))
        compare(Qt.size(form.maximumWidth, form.maximumHeight), Qt.size(600, 500))
        verify(form.title.length > 0)
        var names = ["siteUrl", "workplaseName", "vorlanSrvPasswd"]
        var previous = null
        for (var i = 0; i < names.length; ++i) {
            var field = item(form, names[i])
            var pos = field.mapToItem(form.contentItem, 0, 0)
            compare(field.width, 330)
            if (previous) {
                compare(pos.x, previous.x)
                compare(pos.y - previous.bottom, 20)
            }
            previous = { x: pos.x, bottom: pos.y + field.height }
        }
        var button = item(form, "registerButton")
        compare(button.y - previous.bottom, 40)
        fuzzyCompare(button.x + button.width / 2, form.width / 2, 1)
        verify(item(form, "siteUrl").label.indexOf("http://") >= 0)
    }

    function test_plainHttpWarning_data() {
        return [
            { tag: "plain http to a site", address: "http://shop.example", warned: true },
            { tag: "upper-case scheme", address: "HTTP://Shop.Example/calls", warned: true },
            { tag: "with user and port", address: "http://me@shop.example:8080", warned: true },
            { tag: "looks like loopback", address: "http://127.0.0.1.evil.example", warned: true },
            { tag: "https", address: "https://shop.example", warned: false },
            { tag: "loopback address", address: "http://127.0.0.1:8080", warned: false },
            { tag: "localhost", address: "http://localhost/shop", warned: false },
            { tag: "IPv6 loopback", address: "http://[::1]:8080", warned: false },
            { tag: "no scheme yet", address: "shop.example", warned: false }
        ]
    }

    // A warning only: the registration still goes ahead.
    function test_plainHttpWarning(data) {
        var form = createForm()
        item(form, "siteUrl").setInputText(data.address)
        compare(item(form, "plainHttpWarning").visible, data.warned)
        item(form, "workplaseName").setInputText("Desk")
        item(form, "vorlanSrvPasswd").setInputText("pw")
        press(form)
        compare(GUI.calls.length, 1)
    }
}
