import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// A modal alert in the phone's manner: a title, a message and one button that closes it.
Popup {
    id: alert
    property string title
    property string message
    property string buttonText

    modal: true
    closePolicy: Popup.NoAutoClose
    width: 280
    padding: 0
    background: Rectangle { radius: 14; color: "#F2F2F2" }

    contentItem: ColumnLayout {
        spacing: 0
        Label {
            objectName: "alertTitle"
            Layout.fillWidth: true
            Layout.topMargin: 20
            Layout.leftMargin: 16
            Layout.rightMargin: 16
            horizontalAlignment: Text.AlignHCenter
            text: alert.title
            font: SystemStyle.headline
            color: SystemStyle.primary
        }
        Label {
            objectName: "alertMessage"
            Layout.fillWidth: true
            Layout.topMargin: 4
            Layout.bottomMargin: 20
            Layout.leftMargin: 16
            Layout.rightMargin: 16
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            textFormat: Text.PlainText
            text: alert.message
            font: SystemStyle.subheadline
            color: SystemStyle.primary
        }
        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: SystemStyle.separator }
        AbstractButton {
            objectName: "alertButton"
            Layout.fillWidth: true
            implicitHeight: 44
            text: alert.buttonText
            contentItem: Label {
                text: alert.buttonText
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                font: SystemStyle.headline
                color: SystemStyle.blue
            }
            onClicked: alert.close()
        }
    }
}
