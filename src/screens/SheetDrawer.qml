import QtQuick
import QtQuick.Controls
import Vexlo

// A sheet as a phone shows one: it rises from the bottom over the dimmed screen, a little lower
// than the window's top, with rounded top corners and a grabber. `shown` follows the owner's
// flag both ways: setting it opens or closes the sheet, and closing the sheet in any way
// (dragged down, Escape, a press outside) writes false back through `dismissed`.
Drawer {
    id: sheet
    property bool shown: false
    // The sheet lives in the window's overlay, outside the screens' mirroring: its content
    // takes the application's direction.
    readonly property bool mirroredLayout: Qt.application.layoutDirection === Qt.RightToLeft
    signal dismissed()

    edge: Qt.BottomEdge
    width: Overlay.overlay ? Overlay.overlay.width : 0
    height: Overlay.overlay ? Overlay.overlay.height - 24 : 0
    modal: true
    // Only a shown sheet can be dragged, and only closed: no edge swipe opens it.
    interactive: opened
    dragMargin: 0
    padding: 0
    topPadding: 14

    background: Item {
        clip: true
        Rectangle {
            // Taller than the sheet, so only the top corners are rounded.
            width: parent.width
            height: parent.height + radius
            radius: 12
            color: SystemStyle.background
        }
        Rectangle {
            objectName: "grabber"
            anchors.horizontalCenter: parent.horizontalCenter
            y: 5
            width: 36
            height: 5
            radius: 2.5
            color: Qt.rgba(0.235, 0.235, 0.263, 0.3)
        }
    }

    onShownChanged: shown ? open() : close()
    Component.onCompleted: if (shown) open()
    onClosed: if (shown) dismissed()
}
