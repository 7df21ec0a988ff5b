import QtQuick
import Qt5Compat.GraphicalEffects
import Vexlo

// A remote picture clipped to rounded corners.
Item {
    id: root
    property string url
    property real radius: 10

    CachedAsyncImage {
        id: image
        anchors.fill: parent
        url: root.url
        visible: false
    }
    Rectangle {
        id: mask
        anchors.fill: parent
        radius: root.radius
        visible: false
    }
    OpacityMask {
        anchors.fill: parent
        source: image
        maskSource: mask
    }
}
