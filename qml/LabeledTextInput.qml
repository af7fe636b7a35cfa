import QtQuick 2.0
import QtQuick.Controls 1.4

Item {
    id: labeledTextInput

    property alias inputText: field.text
    property string label: ""
    property var fieldId: field
    property bool isPassword: false
    property bool wrongValue: false

    function setInputText(txt) {
        field.text = txt
    }

    height: childrenRect.height

    Text {
        id: labelText
        objectName: "label"
        text: labeledTextInput.label
        font.pixelSize: Theme.fontSizeLabel
        color: labeledTextInput.wrongValue ? Theme.wrongValueText : Theme.text
    }

    TextField {
        id: field
        objectName: "field"
        anchors.top: labelText.bottom
        width: labeledTextInput.width
        echoMode: labeledTextInput.isPassword ? TextInput.Password : TextInput.Normal
        Accessible.name: labeledTextInput.label
        // The bridge withholds a password field's name; its description still says what it is.
        Accessible.description: labeledTextInput.isPassword ? labeledTextInput.label : ""
        onTextChanged: labeledTextInput.wrongValue = false
    }
}
