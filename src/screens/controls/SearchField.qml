import QtQuick
import QtQuick.Controls
import Vexlo

// The always-visible search field under a screen's title, with the magnifier at its leading
// edge: the right edge in this right-to-left interface.
TextField {
    id: field
    // TextField has no mirrored property of its own; the attached one follows the window.
    readonly property bool rightToLeft: LayoutMirroring.enabled

    leftPadding: rightToLeft ? 12 : 36
    rightPadding: rightToLeft ? 36 : 12
    horizontalAlignment: TextInput.AlignLeft
    topPadding: 6
    bottomPadding: 6
    verticalAlignment: TextInput.AlignVCenter
    font: SystemStyle.body
    inputMethodHints: Qt.ImhNoPredictiveText
    implicitHeight: Math.max(38, contentHeight + topPadding + bottomPadding)
    Accessible.name: placeholderText
    Accessible.searchEdit: true
    FocusRing { outset: 2; cornerRadius: 10 }
    background: Rectangle {
        radius: 10
        color: SystemStyle.fill
    }
    SymbolIcon {
        objectName: "searchMagnifier"
        anchors.verticalCenter: parent.verticalCenter
        anchors.left: parent.left
        anchors.leftMargin: 10
        name: "magnifyingglass"
        size: 18
        color: SystemStyle.gray
    }
}
