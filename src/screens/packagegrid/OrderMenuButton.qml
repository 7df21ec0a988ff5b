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
    // From the keyboard or a reader, the menu starts on an item; a click opens it as it is.
    Accessible.onPressAction: openMenu(true)
    Keys.onReturnPressed: openMenu(true)
    Keys.onEnterPressed: openMenu(true)
    Keys.onSpacePressed: openMenu(true)
    FocusRing {}
    // A button that had the focus keeps it after a choice, which the grid around it would
    // otherwise take for its first card when its packages change.
    property bool refocus: false
    onClicked: openMenu(false)
    function openMenu(byKeyboard) {
        refocus = activeFocus
        byKeyboard ? menu.openFromKeyboard() : menu.open()
    }

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

    KeyboardMenu {
        id: menu
        objectName: "orderMenu"
        startIndex: button.current
        y: button.height + 4
        x: button.mirrored ? button.width - width : 0
        width: 200

        Instantiator {
            model: button.names
            delegate: MenuItem {
                id: choice
                required property int index
                required property string modelData
                objectName: "orderChoice_" + index
                text: modelData
                checkable: true
                checked: index === button.current
                // One of several: a mark beside the chosen one, not a box beside each.
                indicator: SymbolIcon {
                    name: "checkmark"
                    size: 20
                    color: SystemStyle.blue
                    visible: choice.checked
                    x: choice.mirrored ? choice.width - width - choice.rightPadding : choice.leftPadding
                    y: choice.topPadding + (choice.availableHeight - height) / 2
                }
                Accessible.name: text
                Accessible.onPressAction: clicked()
                font: SystemStyle.body
                onTriggered: {
                    button.activated(index)
                    if (button.refocus)
                        Qt.callLater(button.forceActiveFocus, Qt.TabFocusReason)
                }
            }
            onObjectAdded: (index, item) => menu.insertItem(index, item)
            onObjectRemoved: (index, item) => menu.removeItem(item)
        }
    }
}
