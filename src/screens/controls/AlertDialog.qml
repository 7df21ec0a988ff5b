import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// A modal alert in the phone's manner: a title, a message and one button that closes it, or
// two. However long the message, the buttons stay on screen: the message scrolls in the room
// the window leaves, also by keyboard (arrows, Page Up/Down, Home, End), and its text can be
// selected and copied (Ctrl+C copies the selection, or all of it when none). Escape, Enter and
// Return close it like the first button. Its content is made anew at every showing, so a
// screen reader that keeps the previous alert in its cache still reads the new title and
// message. A dialog, so that its title names it for a reader.
Dialog {
    id: alert
    property string message
    property string buttonText
    // A second button beside the first, which closes the alert and triggers `secondary`.
    property string secondaryButtonText
    signal secondary()

    readonly property real margin: 24
    readonly property real maximumHeight: (parent ? parent.height : 600) - 2 * margin

    parent: Overlay.overlay
    header: null
    footer: null
    anchors.centerIn: parent
    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    // Wider with the window, so that addresses do not break into fragments.
    width: Math.min(560, (parent ? parent.width : 280) - 2 * margin)
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

    component AlertButton: AbstractButton {
        id: button
        Layout.fillWidth: true
        Layout.preferredWidth: 1
        implicitHeight: 44
        focusPolicy: Qt.NoFocus
        Accessible.name: text
        Accessible.onPressAction: clicked()
        contentItem: Label {
            text: button.text
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            wrapMode: Text.Wrap
            font: SystemStyle.headline
            color: SystemStyle.blue
        }
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
            Keys.onPressed: event => {
                const line = messageLabel.font.pixelSize * 1.5
                const page = Math.max(line, messageArea.height - line)
                const bottom = Math.max(0, messageArea.contentHeight - messageArea.height)
                let y = messageArea.contentY
                if (event.key === Qt.Key_Down) y += line
                else if (event.key === Qt.Key_Up) y -= line
                else if (event.key === Qt.Key_PageDown) y += page
                else if (event.key === Qt.Key_PageUp) y -= page
                else if (event.key === Qt.Key_End) y = bottom
                else if (event.key === Qt.Key_Home) y = 0
                else if (event.matches(StandardKey.Copy)) {
                    // What is copied holds no marks of direction, only the message's own text.
                    const text = messageLabel.selectedText === "" ? alert.message : messageLabel.selectedText
                    clipboardText.text = text.replace(/[\u2066-\u2069]/g, "")
                    clipboardText.selectAll()
                    clipboardText.copy()
                    event.accepted = true
                    return
                } else if (event.matches(StandardKey.SelectAll)) {
                    messageLabel.selectAll()
                    event.accepted = true
                    return
                } else
                    return
                messageArea.contentY = Math.max(0, Math.min(bottom, y))
                event.accepted = true
            }

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

                TextEdit {
                    id: messageLabel
                    objectName: "alertMessage"
                    x: 16
                    width: messageArea.width - 32
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.Wrap
                    textFormat: Text.PlainText
                    text: BidirectionalText.message(alert.message)
                    Accessible.role: Accessible.StaticText
                    Accessible.name: AccessibleTexts.spoken(alert.message)
                    Accessible.readOnly: true
                    font: SystemStyle.subheadline
                    color: SystemStyle.primary
                    readOnly: true
                    selectByMouse: true
                    activeFocusOnPress: false
                    selectionColor: SystemStyle.accent
                }
            }
            // Puts text on the clipboard.
            TextEdit { id: clipboardText; visible: false; Layout.maximumHeight: 0 }
            Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: SystemStyle.separator }
            RowLayout {
                Layout.fillWidth: true
                spacing: 0
                LayoutMirroring.enabled: false
                AlertButton {
                    objectName: "alertSecondaryButton"
                    visible: alert.secondaryButtonText !== ""
                    text: alert.secondaryButtonText
                    onClicked: {
                        alert.close()
                        alert.secondary()
                    }
                }
                Rectangle {
                    visible: alert.secondaryButtonText !== ""
                    Layout.fillHeight: true
                    implicitWidth: 1
                    color: SystemStyle.separator
                }
                AlertButton {
                    objectName: "alertButton"
                    text: alert.buttonText
                    onClicked: alert.close()
                }
            }
        }
    }
}
