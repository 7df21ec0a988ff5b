import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// A button naming the grid's order that opens the menu of orders.
AbstractButton {
    id: button
    // The orders' names; `current` is the position of the chosen one.
    property var names: []
    property int current: 0
    signal activated(int order)

    text: names.length > current ? names[current] : ""
    implicitHeight: Math.max(32, row.implicitHeight + 8)
    implicitWidth: Math.min(row.implicitWidth + 20, 170 * SystemStyle.textScale)
    Accessible.name: AccessibleTexts.orderChoice(text)
    Accessible.onPressAction: clicked()
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    FocusRing {}
    onClicked: menu.open()

    background: Rectangle {
        radius: 8
        color: SystemStyle.fill
        opacity: button.pressed ? 0.6 : 1
    }
    contentItem: Item {
        RowLayout {
            id: row
            anchors.centerIn: parent
            width: Math.min(implicitWidth, parent.width)
            spacing: 4
            SymbolIcon { name: "arrow.up.arrow.down"; color: SystemStyle.blue; size: 16 }
            Text {
                Layout.fillWidth: true
                text: button.text
                font: SystemStyle.footnote
                color: SystemStyle.blue
                elide: Text.ElideRight
            }
        }
    }

    Menu {
        id: menu
        objectName: "orderMenu"
        y: button.height + 4
        x: button.mirrored ? button.width - width : 0
        width: 200

        Instantiator {
            model: button.names
            delegate: MenuItem {
                required property int index
                required property string modelData
                objectName: "orderChoice_" + index
                text: modelData
                checkable: true
                checked: index === button.current
                Accessible.name: text
                Accessible.onPressAction: clicked()
                font: SystemStyle.body
                onTriggered: button.activated(index)
            }
            onObjectAdded: (index, item) => menu.insertItem(index, item)
            onObjectRemoved: (index, item) => menu.removeItem(item)
        }
    }
}
