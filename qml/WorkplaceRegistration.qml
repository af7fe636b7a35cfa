import QtQuick 2.5
import QtQuick.Layouts 1.0
import QtQuick.Controls 1.4
import QtQuick.Window 2.2

Window {
    id: workplaceRegistration
    objectName: "workplaceRegistration"
    visible: true
    width: 600
    height: 500
    minimumWidth: 600
    minimumHeight: 500
    maximumWidth: 600
    maximumHeight: 500
    title: qsTr("Workplace registration")
    color: Theme.formBackground

    // Every empty field is marked at once, and the first of them takes the keyboard.
    function register() {
        var empty = [siteUrl, workplaseName, vorlanSrvPasswd].filter(function (input) {
            return input.inputText === ""
        })
        empty.forEach(function (input) { input.wrongValue = true })
        if (empty.length > 0) {
            empty[0].fieldId.forceActiveFocus()
            return
        }
        // The call is synchronous but serves events while it waits: a disabled button keeps a
        // second press from starting a second registration with another identifier.
        registerButton.enabled = false
        GUI.registerWorkplace(workplaseName.inputText, siteUrl.inputText, vorlanSrvPasswd.inputText)
        registerButton.enabled = true
    }

    // Plain http to another machine shows the password to everyone on the way; it is allowed,
    // since some sites offer nothing else, but said.
    function sendsPasswordInClear(address) {
        var match = /^\s*http:\/\/(?:[^\/?#@]*@)?(\[[^\]]*\]|[^\/?#:]*)/i.exec(address)
        if (!match)
            return false
        var host = match[1].toLowerCase()
        return !(host === "localhost" || host === "[::1]" || /^127(\.\d{1,3}){3}$/.test(host))
    }

    Component.onCompleted: siteUrl.fieldId.forceActiveFocus()

    Shortcut {
        sequence: "Return"
        onActivated: workplaceRegistration.register()
    }
    Shortcut {
        sequence: "Enter"
        onActivated: workplaceRegistration.register()
    }

    Column {
        id: fields
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: parent.top
        anchors.topMargin: 2 * Theme.paddingXXLarge
        spacing: Theme.paddingLarge

        LabeledTextInput {
            id: siteUrl
            objectName: "siteUrl"
            width: 330
            label: qsTr("Enter your site URL (i.e. http://www.example.com)")
        }

        LabeledTextInput {
            id: workplaseName
            objectName: "workplaseName"
            width: 330
            label: qsTr("Enter your workplace description (need for register on your Vorlan server)")
        }

        LabeledTextInput {
            id: vorlanSrvPasswd
            objectName: "vorlanSrvPasswd"
            width: 330
            label: qsTr("Enter you Vorlan Server password")
            isPassword: true
        }
    }

    // Between the fields and the button; the button moves down only for a warning longer than
    // the gap (the Russian one).
    Text {
        id: plainHttpWarning
        objectName: "plainHttpWarning"
        anchors.left: fields.left
        anchors.top: fields.bottom
        anchors.topMargin: Theme.paddingCompact
        width: 330
        visible: workplaceRegistration.sendsPasswordInClear(siteUrl.inputText)
        Accessible.role: Accessible.AlertMessage
        Accessible.name: text
        color: Theme.errorText
        font.pixelSize: Theme.fontSizeSmall
        wrapMode: Text.WordWrap
        textFormat: Text.PlainText
        text: qsTr("This address is plain http: the password will travel unencrypted. Use https:// if the site offers it.")
    }

    Button {
        id: registerButton
        objectName: "registerButton"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: fields.bottom
        anchors.topMargin: Math.max(Theme.paddingXXLarge, plainHttpWarning.visible
                                    ? plainHttpWarning.anchors.topMargin + plainHttpWarning.height + Theme.paddingMedium
                                    : 0)
        text: qsTr("Register")
        onClicked: workplaceRegistration.register()
    }
}
