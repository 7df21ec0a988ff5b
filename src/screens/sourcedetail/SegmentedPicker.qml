import QtQuick
import QtQuick.Layouts
import Vexlo

// A segmented choice of one text among several, all segments equally wide.
Rectangle {
    id: picker
    property list<string> model
    property string current
    signal activated(string value)

    implicitHeight: 32
    radius: 8
    color: SystemStyle.fill

    RowLayout {
        anchors.fill: parent
        anchors.margins: 2
        spacing: 0
        Repeater {
            model: picker.model
            Item {
                id: segment
                required property string modelData
                required property int index
                readonly property bool selected: modelData === picker.current
                objectName: "segment_" + modelData
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.preferredWidth: 1

                Rectangle {
                    anchors.fill: parent
                    visible: segment.selected
                    radius: 7
                    color: SystemStyle.white
                    SoftShadow { cornerRadius: 7; blur: 2; color: Qt.rgba(0, 0, 0, 0.12) }
                }
                Rectangle {
                    // Divider between two unselected segments.
                    visible: segment.index > 0 && !segment.selected
                             && picker.model[segment.index - 1] !== picker.current
                    anchors.verticalCenter: parent.verticalCenter
                    anchors.left: parent.left
                    width: 1
                    height: parent.height * 0.5
                    color: Qt.rgba(0.5, 0.5, 0.55, 0.3)
                }
                Text {
                    anchors.fill: parent
                    anchors.leftMargin: 4
                    anchors.rightMargin: 4
                    text: segment.modelData
                    font.pixelSize: 13
                    font.weight: segment.selected ? Font.DemiBold : Font.Normal
                    color: SystemStyle.primary
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                }
                TapHandler { onTapped: picker.activated(segment.modelData) }
            }
        }
    }
}
