import QtQuick
import QtQuick.Controls
import Vexlo

// The always-visible search field under a screen's title.
TextField {
    id: field
    // The symbol sits at the leading edge, which is the right edge when mirrored.
    leftPadding: mirrored ? 12 : 36
    rightPadding: mirrored ? 36 : 12
    horizontalAlignment: TextInput.AlignLeft
    implicitHeight: 38
    topPadding: 6
    bottomPadding: 6
    verticalAlignment: TextInput.AlignVCenter
    font: SystemStyle.body
    inputMethodHints: Qt.ImhNoPredictiveText
    background: Rectangle {
        radius: 10
        color: Qt.rgba(0.463, 0.463, 0.502, 0.12)
    }
    SymbolIcon {
        anchors.verticalCenter: parent.verticalCenter
        x: field.mirrored ? field.width - width - 10 : 10
        name: "magnifyingglass"
        size: 18
        color: SystemStyle.gray
    }
}
