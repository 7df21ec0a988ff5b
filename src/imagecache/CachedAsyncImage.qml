import QtQuick
import QtQuick.Controls
import Vexlo

// A remote picture: the busy indicator until the picture is at hand, then the picture scaled
// to fit the frame the caller gives.
Item {
    id: root
    property string url

    CachedImageItem {
        id: picture
        anchors.fill: root
        url: root.url
    }
    BusyIndicator {
        anchors.centerIn: parent
        width: Math.min(implicitWidth, root.width, root.height)
        height: width
        running: !picture.hasImage
        visible: running
    }
}
