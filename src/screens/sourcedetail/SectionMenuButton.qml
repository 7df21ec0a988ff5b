import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// A button naming the chosen section that opens the menu of a source's sections.
AbstractButton {
    id: button
    // The menu's entries, {name, text}; an empty name stands for all sections.
    property var choices: []
    signal activated(string name)

    implicitHeight: Math.max(32, row.implicitHeight + 8)
    implicitWidth: Math.min(row.implicitWidth + 20, 150 * SystemStyle.textScale)
    Accessible.name: AccessibleTexts.sectionChoice(text)
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
            Text {
                Layout.fillWidth: true
                text: BidirectionalText.field(button.text)
                font: SystemStyle.footnote
                color: SystemStyle.blue
                wrapMode: Text.Wrap
            }
            SymbolIcon { name: "chevron.down"; color: SystemStyle.blue; size: 16 }
        }
    }

    KeyboardMenu {
        id: menu
        objectName: "sectionMenu"
        title: "الأقسام"
        y: button.height + 4
        x: button.mirrored ? button.width - width : 0
        width: Math.min(240 * Math.min(SystemStyle.textScale, 1.5), button.Window.width - 16)

        Instantiator {
            model: button.choices
            delegate: MenuItem {
                id: choice
                required property var modelData
                objectName: "sectionChoice_" + modelData.name
                text: BidirectionalText.field(modelData.text)
                Accessible.name: AccessibleTexts.spoken(text)
                Accessible.onPressAction: clicked()
                font: SystemStyle.body
                // A long name wraps: the count after it is never cut.
                contentItem: Text {
                    text: choice.text
                    font: choice.font
                    color: SystemStyle.primary
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignLeft
                    verticalAlignment: Text.AlignVCenter
                }
                onTriggered: {
                    button.activated(modelData.name)
                    if (button.refocus)
                        Qt.callLater(button.forceActiveFocus, Qt.TabFocusReason)
                }
            }
            onObjectAdded: (index, item) => menu.insertItem(index, item)
            onObjectRemoved: (index, item) => menu.removeItem(item)
        }
    }
}
