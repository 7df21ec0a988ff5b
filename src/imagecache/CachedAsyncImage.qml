import QtQuick
import QtQuick.Controls

// Placeholder until the picture cache lands: shows the busy indicator only.
Item {
    property string url
    BusyIndicator { anchors.centerIn: parent; running: true }
}
