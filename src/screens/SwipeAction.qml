import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// A button revealed by swiping a row: a symbol above its label on a tinted background.
AbstractButton {
    id: action
    property string symbol
    property color tint
    height: parent ? parent.height : implicitHeight
    width: 88
    background: Rectangle { color: action.tint }
    contentItem: ColumnLayout {
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
            color: "white"
            font: SystemStyle.caption
        }
    }
}
