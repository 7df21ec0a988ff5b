import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// A button uncovered by swiping a row: a symbol above its label on a tinted background. It
// fills whatever the swipe uncovered; its label stays beside the row's content, as on the
// phone when a full swipe stretches the button.
AbstractButton {
    id: action
    property string symbol
    property color tint
    // The side (Qt.AlignLeft or Qt.AlignRight, before mirroring) that touches the content.
    property int innerEdge: Qt.AlignLeft
    readonly property real restingWidth: 88

    clip: true
    focusPolicy: Qt.NoFocus
    Accessible.name: text
    Accessible.onPressAction: clicked()
    background: Rectangle { color: action.tint }
    contentItem: Item {
        ColumnLayout {
            width: action.restingWidth
            anchors.verticalCenter: parent.verticalCenter
            anchors.left: action.innerEdge === Qt.AlignLeft ? parent.left : undefined
            anchors.right: action.innerEdge === Qt.AlignRight ? parent.right : undefined
            spacing: 4
            SymbolIcon {
                Layout.alignment: Qt.AlignHCenter
                name: action.symbol
                color: "white"
                size: 22
            }
            Label {
                Layout.alignment: Qt.AlignHCenter
                text: action.text
                Accessible.ignored: true
                color: "white"
                font: SystemStyle.caption
            }
        }
    }
}
