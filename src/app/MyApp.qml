import QtQuick
import QtQuick.Controls
import Vexlo

ApplicationWindow {
    id: window
    width: 480
    height: 860
    visible: true
    title: "Vexlo"
    LayoutMirroring.enabled: true
    LayoutMirroring.childrenInherit: true

    SymbolIcon { anchors.horizontalCenter: parent.horizontalCenter; y: 100; name: "star.fill"; color: "gold"; size: 40 }
    Label {
        anchors.centerIn: parent
        text: "Vexlo \uF8FF"
        font.pixelSize: 34
        color: Qt.rgba(0.1, 0.5, 0.8, 1)
    }
}
