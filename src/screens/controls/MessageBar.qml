import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// A message at the bottom of a screen for a few seconds, with at most one action: what the
// last action did and, where it can, a way to take it back. It stays while the pointer or the
// keyboard focus is on it. What it says is announced to screen readers by whoever shows it.
Rectangle {
    id: bar
    property string text
    property string actionText
    property int duration: 6000
    property bool shown: false
    readonly property bool held: hover.hovered || actionButton.activeFocus
    signal actionTriggered()
    signal expired()

    function show(message) {
        text = message
        shown = true
        if (!held)
            timer.restart()
    }
    function hide() {
        shown = false
        timer.stop()
    }

    visible: shown
    z: 50
    anchors.bottom: parent ? parent.bottom : undefined
    anchors.bottomMargin: 16
    anchors.horizontalCenter: parent ? parent.horizontalCenter : undefined
    width: Math.min((parent ? parent.width : 400) - 32, Math.max(280, row.implicitWidth + 32))
    implicitHeight: Math.max(44, row.implicitHeight + 20)
    radius: 12
    color: "#323236"
    Accessible.role: Accessible.AlertMessage
    Accessible.name: text

    HoverHandler { id: hover }
    // The time starts again when the pointer or the focus leaves.
    onHeldChanged: {
        if (held)
            timer.stop()
        else if (shown)
            timer.restart()
    }
    Timer {
        id: timer
        interval: bar.duration
        onTriggered: {
            bar.shown = false
            bar.expired()
        }
    }

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        spacing: 12
        Label {
            objectName: "messageBarText"
            Layout.fillWidth: true
            text: BidirectionalText.isolated(bar.text)
            wrapMode: Text.Wrap
            color: SystemStyle.white
            font: SystemStyle.subheadline
            horizontalAlignment: Text.AlignLeft
            Accessible.ignored: true
        }
        Button {
            id: actionButton
            objectName: "messageBarAction"
            visible: bar.actionText !== ""
            // Reached by Tab; a click does not keep the bar.
            focusPolicy: Qt.TabFocus
            flat: true
            text: bar.actionText
            Accessible.name: text
            FocusRing {}
            contentItem: Label {
                text: actionButton.text
                font: SystemStyle.headline
                color: "#64B5F6"
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
            onClicked: {
                bar.hide()
                bar.actionTriggered()
            }
        }
    }
}
