import QtQuick
import Vexlo

// The ring around the control that has the keyboard focus: drawn over its parent, only when
// the focus came from the keyboard (controls) or while the item has it (rows, segments). The
// reader ignores it.
Rectangle {
    id: ring
    // Drawn this far outside the parent (negative: inside, where the parent clips).
    property real outset: 3
    property real cornerRadius: 8
    readonly property Item target: parent
    readonly property bool shown: target !== null
                                  && (target.visualFocus !== undefined ? target.visualFocus : target.activeFocus)

    anchors.fill: parent
    anchors.margins: -outset
    z: 100
    visible: shown
    radius: cornerRadius + outset
    color: "transparent"
    border.width: 2
    border.color: SystemStyle.accent
    Accessible.ignored: true
}
