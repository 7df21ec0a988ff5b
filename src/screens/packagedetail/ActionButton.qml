import QtQuick
import QtQuick.Controls
import Vexlo

// A full-width coloured button of the package detail screen: a white symbol and text on the
// button's colour, with a shadow of that colour below.
AbstractButton {
    id: button
    property string symbol
    property color color

    padding: SystemStyle.padding
    Accessible.name: text
    Accessible.onPressAction: clicked()
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    implicitWidth: implicitContentWidth + leftPadding + rightPadding
    implicitHeight: implicitContentHeight + topPadding + bottomPadding

    FocusRing { cornerRadius: 15 }

    background: Rectangle {
        radius: 15
        color: button.color
        opacity: button.pressed ? 0.7 : 1
        SoftShadow {
            cornerRadius: 15
            blur: 10
            offsetY: 5
            color: Qt.rgba(button.color.r, button.color.g, button.color.b, 0.3)
        }
    }
    contentItem: Item {
        // From the label's natural width, not the row's laid-out one: inside a layout the
        // button's width follows this, and the label's width follows the button's.
        implicitWidth: icon.size + row.spacing + label.implicitWidth
        implicitHeight: row.implicitHeight
        Row {
            id: row
            anchors.centerIn: parent
            spacing: 8
            SymbolIcon {
                id: icon
                anchors.verticalCenter: parent.verticalCenter
                name: button.symbol
                color: SystemStyle.white
                size: 20
            }
            Text {
                id: label
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(implicitWidth, button.availableWidth - 28)
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
                Accessible.ignored: true
                text: button.text
                font: SystemStyle.headline
                color: SystemStyle.white
            }
        }
    }
}
