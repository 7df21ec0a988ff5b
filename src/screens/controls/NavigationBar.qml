import QtQuick
import QtQuick.Controls
import Vexlo

// The title bar of a pushed screen: a back button at the leading edge and the screen's title.
ToolBar {
    id: bar
    property StackView stack
    implicitHeight: 44
    Accessible.name: "شريط التنقل"
    background: Rectangle { color: SystemStyle.secondaryBackground }

    ToolButton {
        objectName: "backButton"
        anchors.left: parent.left
        anchors.leftMargin: 4
        anchors.verticalCenter: parent.verticalCenter
        background: null
        Accessible.name: AccessibleTexts.back
        Accessible.onPressAction: clicked()
        Keys.onReturnPressed: clicked()
        Keys.onEnterPressed: clicked()
        FocusRing {}
        // The backward chevron points toward the leading edge, right in this interface.
        contentItem: SymbolIcon {
            name: "chevron.backward"
            color: SystemStyle.blue
            size: 28
            mirror: bar.mirrored
        }
        onClicked: bar.stack.pop()
    }
    Text {
        anchors.centerIn: parent
        width: parent.width - 112
        horizontalAlignment: Text.AlignHCenter
        elide: Text.ElideRight
        Accessible.role: Accessible.Heading
        Accessible.name: AccessibleTexts.spoken(text)
        text: bar.stack && bar.stack.currentItem ? BidirectionalText.field(bar.stack.currentItem.title) : ""
        font: SystemStyle.headline
        color: SystemStyle.primary
    }
}
