pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// The swipe actions of a source row as a context menu, with the same labels and symbols,
// and the actions every row has: refresh that source, copy its address. A fixed source that
// offers no swipe action shows them disabled under "سورس ثابت".
KeyboardMenu {
    id: menu
    property bool hasPinAction
    property bool hasDeleteAction
    property bool isLocked
    property bool isPinned
    signal pinTriggered()
    signal deleteTriggered()
    signal refreshTriggered()
    signal copyAddressTriggered()

    // Lifting the finger of the long press that opened the menu must not close it.
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    title: "إجراءات السورس"
    width: 230

    component ActionItem: MenuItem {
        id: item
        property string symbol
        property color tint
        property color textColor: SystemStyle.primary
        // Items a row does not offer are left out and take no room.
        height: visible ? implicitHeight : 0
        Accessible.name: text
        Accessible.onPressAction: clicked()
        contentItem: RowLayout {
            spacing: 12
            SymbolIcon { name: item.symbol; color: item.tint; size: 20 }
            Label {
                Layout.fillWidth: true
                text: item.text
                Accessible.ignored: true
                color: item.textColor
                font: SystemStyle.body
                horizontalAlignment: Text.AlignLeft
            }
        }
    }

    ActionItem {
        objectName: "refreshMenuItem"
        text: AccessibleTexts.refreshSource
        symbol: "arrow.clockwise"
        tint: SystemStyle.blue
        onTriggered: menu.refreshTriggered()
    }
    ActionItem {
        objectName: "copyAddressMenuItem"
        text: AccessibleTexts.copyAddress
        symbol: "doc.on.doc.fill"
        tint: SystemStyle.green
        onTriggered: menu.copyAddressTriggered()
    }
    MenuItem {
        objectName: "fixedMenuNote"
        visible: menu.isLocked
        height: visible ? implicitHeight : 0
        enabled: false
        text: "سورس ثابت"
        Accessible.name: text
        font: SystemStyle.footnote
    }
    ActionItem {
        objectName: "pinMenuItem"
        visible: menu.hasPinAction || menu.isLocked
        enabled: !menu.isLocked
        text: menu.isPinned ? AccessibleTexts.unpin : AccessibleTexts.pin
        symbol: menu.isPinned ? "pin.slash" : "pin"
        tint: menu.isPinned ? SystemStyle.gray : SystemStyle.yellow
        onTriggered: menu.pinTriggered()
    }
    ActionItem {
        objectName: "deleteMenuItem"
        visible: menu.hasDeleteAction || menu.isLocked
        enabled: !menu.isLocked
        text: AccessibleTexts.remove
        symbol: "trash"
        tint: SystemStyle.red
        textColor: SystemStyle.red
        onTriggered: menu.deleteTriggered()
    }
}
