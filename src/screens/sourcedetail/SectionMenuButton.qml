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
            Text {
                Layout.fillWidth: true
                text: button.text
                font: SystemStyle.footnote
                color: SystemStyle.blue
                elide: Text.ElideRight
            }
            SymbolIcon { name: "chevron.down"; color: SystemStyle.blue; size: 16 }
        }
    }

    Menu {
        id: menu
        objectName: "sectionMenu"
        y: button.height + 4
        x: button.mirrored ? button.width - width : 0
        width: 240

        Instantiator {
            model: button.choices
            delegate: MenuItem {
                required property var modelData
                objectName: "sectionChoice_" + modelData.name
                text: modelData.text
                Accessible.name: text
                font: SystemStyle.body
                onTriggered: button.activated(modelData.name)
            }
            onObjectAdded: (index, item) => menu.insertItem(index, item)
            onObjectRemoved: (index, item) => menu.removeItem(item)
        }
    }
}
