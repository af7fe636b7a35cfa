import QtQuick 2.0

Item {
    property string str_APPLICATION: qsTr("Application")
    property string str_SERVER: qsTr("Server")
    property string str_GETDATA: qsTr("Get data")
    property string str_QUITAPPLICATION: qsTr("Quit application")
    property string str_HELP: qsTr("Help")
    property string str_ABOUT: qsTr("About...")
}
