import QtQuick
import QtQuick.Controls
import Vexlo

// A remote picture: the busy indicator while it is on its way, the picture scaled to fit the
// frame the caller gives once it is at hand, and a neutral placeholder when none came.
Item {
    id: root
    property string url
    // Pictures here only illustrate: the reader skips them.
    Accessible.ignored: true

    CachedImageItem {
        id: picture
        anchors.fill: root
        url: root.url
    }
    BusyIndicator {
        anchors.centerIn: parent
        width: Math.min(implicitWidth, root.width, root.height)
        height: width
        running: !picture.hasImage && !picture.failed
        Accessible.ignored: true
        visible: running
    }
    Rectangle {
        objectName: "picturePlaceholder"
        anchors.centerIn: parent
        width: Math.min(root.width, root.height)
        height: width
        radius: Math.min(10, width / 5)
        color: SystemStyle.secondaryFill
        visible: picture.failed

        SymbolIcon {
            anchors.centerIn: parent
            name: "photo"
            size: Math.round(parent.width * 0.45)
            color: SystemStyle.gray
            opacity: 0.7
        }
    }
}
