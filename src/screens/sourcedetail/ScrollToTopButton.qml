import QtQuick
import QtQuick.Controls
import Vexlo

// The round button that scrolls a grid back to its first package. It springs into view
// (scale and opacity) while `shown`, and spins once, grown, while `spinning`.
AbstractButton {
    id: button
    property bool shown: false
    property bool spinning: false

    implicitWidth: 60
    implicitHeight: 60
    enabled: shown
    Accessible.name: AccessibleTexts.scrollToTop
    Accessible.onPressAction: if (enabled) clicked()
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    FocusRing { cornerRadius: 30 }
    opacity: shown ? 1 : 0
    scale: shown ? 1 : 0.01
    visible: opacity > 0
    Behavior on opacity { NumberAnimation { duration: 350 } }
    Behavior on scale { NumberAnimation { duration: 500; easing.type: Easing.OutBack; easing.overshoot: 2 } }

    onSpinningChanged: if (spinning) spin.restart()

    background: Item {
        id: face
        // Clipped to a circle, so the shadow of the lower layer stays inside it.
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: Qt.rgba(1, 0.23, 0.19, 0.3)
        }
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            gradient: Gradient {
                GradientStop { position: 0; color: Qt.rgba(1, 0.23, 0.19, 0.8) }
                GradientStop { position: 1; color: Qt.rgba(1, 0.23, 0.19, 0.5) }
            }
        }
    }
    contentItem: Item {
        SymbolIcon {
            anchors.centerIn: parent
            name: "arrow.up"
            color: SystemStyle.white
            size: 20
        }
    }

    ParallelAnimation {
        id: spin
        SequentialAnimation {
            NumberAnimation { target: button.background; property: "scale"; to: 1.2; duration: 150 }
            NumberAnimation { target: button.background; property: "scale"; to: 1; duration: 150 }
        }
        SequentialAnimation {
            NumberAnimation { targets: [button.background, button.contentItem]; property: "rotation"; from: 0; to: 360; duration: 300 }
            PropertyAction { targets: [button.background, button.contentItem]; property: "rotation"; value: 0 }
        }
        SequentialAnimation {
            NumberAnimation { target: button.contentItem; property: "scale"; to: 1.2; duration: 150 }
            NumberAnimation { target: button.contentItem; property: "scale"; to: 1; duration: 150 }
        }
    }
}
