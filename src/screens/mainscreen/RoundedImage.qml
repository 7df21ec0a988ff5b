import QtQuick
import Vexlo

// A remote picture with rounded corners. The corners are covered in the colour behind the
// picture rather than masked: a mask needs shader effects, which the software renderer lacks.
CachedAsyncImage {
    id: root
    property real radius: 10
    property color backgroundColor: SystemStyle.background

    Rectangle {
        // Just wide enough to reach the picture's corners: radius × (√2 − 1).
        readonly property real cover: Math.ceil(root.radius * 0.42) + 1
        anchors.fill: parent
        anchors.margins: -cover
        radius: root.radius + cover
        color: "transparent"
        border.width: cover
        border.color: root.backgroundColor
    }
}
