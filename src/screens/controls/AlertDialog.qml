import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// A modal alert in the phone's manner: a title, a message and one button that closes it.
// However long the message, the button stays on screen: the message scrolls in the room the
// window leaves. Escape, Enter and Return close it like the button. Its content is made anew
// at every showing, so a screen reader that keeps the previous alert in its cache still reads
// the new title and message. A dialog, so that its title names it for a reader.
Dialog {
    id: alert
    property string message
    property string buttonText

    readonly property real margin: 24
    readonly property real maximumHeight: (parent ? parent.height : 600) - 2 * margin

    parent: Overlay.overlay
    header: null
    footer: null
    anchors.centerIn: parent
    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    width: Math.min(280, (parent ? parent.width : 280) - 2 * margin)
    height: Math.min(implicitHeight, maximumHeight)
    padding: 0
    background: Rectangle { radius: 14; color: "#F2F2F2" }
    onAboutToShow: {
        content.active = false
        content.active = true
    }

    contentItem: Loader {
        id: content
        focus: true
        sourceComponent: body
    }

    Component {
        id: body
        ColumnLayout {
            spacing: 0
            focus: true
            // Read as the alert it is: its title, then its message.
            Accessible.role: Accessible.AlertMessage
            Accessible.name: AccessibleTexts.spoken(alert.title)
            Accessible.description: AccessibleTexts.spoken(alert.message)
            Keys.onReturnPressed: alert.close()
            Keys.onEnterPressed: alert.close()

            Text {
                id: titleLabel
                objectName: "alertTitle"
                Layout.fillWidth: true
                Layout.topMargin: 20
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                text: alert.title
                Accessible.role: Accessible.Heading
                Accessible.name: AccessibleTexts.spoken(text)
                font: SystemStyle.headline
                color: SystemStyle.primary
            }
            Flickable {
                id: messageArea
                objectName: "alertMessageArea"
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.topMargin: 4
                Layout.bottomMargin: 20
                implicitHeight: messageLabel.implicitHeight
                contentHeight: messageLabel.implicitHeight
                boundsBehavior: Flickable.StopAtBounds
                clip: true
                ScrollBar.vertical: ScrollBar { Accessible.name: "تمرير الرسالة"; policy: messageArea.contentHeight > messageArea.height ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff }

                Label {
                    id: messageLabel
                    objectName: "alertMessage"
                    x: 16
                    width: messageArea.width - 32
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.Wrap
                    textFormat: Text.PlainText
                    text: BidirectionalText.message(alert.message)
                    Accessible.name: AccessibleTexts.spoken(alert.message)
                    font: SystemStyle.subheadline
                    color: SystemStyle.primary
                }
            }
            Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: SystemStyle.separator }
            AbstractButton {
                objectName: "alertButton"
                Layout.fillWidth: true
                implicitHeight: 44
                text: alert.buttonText
                focusPolicy: Qt.NoFocus
                Accessible.name: text
                Accessible.onPressAction: clicked()
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
}
