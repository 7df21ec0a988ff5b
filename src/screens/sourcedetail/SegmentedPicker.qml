import QtQuick
import QtQuick.Layouts
import Vexlo

// A segmented choice of one text among several, all segments equally wide.
Rectangle {
    id: picker
    property list<string> model
    property string current
    // A value as shown and read.
    property var textOf: value => value
    signal activated(string value)

    implicitHeight: Math.max(32, SystemStyle.footnote.pixelSize * 1.5 + 8)
    // Room for every segment as wide as the widest text, unshrunk.
    readonly property real naturalWidth: {
        let widest = 0
        for (let i = 0; i < segments.count; ++i) {
            const segment = segments.itemAt(i)
            if (segment)
                widest = Math.max(widest, segment.textWidth)
        }
        return segments.count * (Math.ceil(widest) + 10) + 4
    }
    Accessible.role: Accessible.Grouping
    Accessible.name: AccessibleTexts.architectures

    // Left and Right move to the neighbouring segment as they lie on screen.
    function focusSegment(index) {
        const segment = segments.itemAt(index)
        if (segment)
            segment.forceActiveFocus(Qt.TabFocusReason)
    }
    // Chooses a segment. A focused segment keeps the focus, which the grid around the picker
    // would otherwise take for its first card when its packages change.
    function choose(index) {
        const segment = segments.itemAt(index)
        const hadFocus = segment !== null && segment.activeFocus
        activated(model[index])
        if (hadFocus)
            Qt.callLater(focusSegment, index)
    }
    radius: 8
    color: SystemStyle.fill

    RowLayout {
        anchors.fill: parent
        anchors.margins: 2
        spacing: 0
        Repeater {
            id: segments
            model: picker.model
            Item {
                id: segment
                required property string modelData
                required property int index
                readonly property bool selected: modelData === picker.current
                // As drawn when chosen (bold), before any shrinking.
                readonly property real textWidth: boldMetrics.advanceWidth(label.text)
                objectName: "segment_" + modelData
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.preferredWidth: 1
                activeFocusOnTab: true
                Accessible.role: Accessible.RadioButton
                Accessible.name: picker.textOf(modelData)
                Accessible.checkable: true
                Accessible.checked: selected
                Accessible.focusable: true
                Accessible.onPressAction: picker.choose(index)
                Keys.onSpacePressed: picker.choose(index)
                Keys.onReturnPressed: picker.choose(index)
                Keys.onEnterPressed: picker.choose(index)
                Keys.onLeftPressed: picker.focusSegment(index + (picker.LayoutMirroring.enabled ? 1 : -1))
                Keys.onRightPressed: picker.focusSegment(index + (picker.LayoutMirroring.enabled ? -1 : 1))
                FocusRing { outset: -1; cornerRadius: 6 }

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
                FontMetrics {
                    id: boldMetrics
                    font.pixelSize: label.font.pixelSize
                    font.family: label.font.family
                    font.weight: Font.DemiBold
                }
                Text {
                    id: label
                    anchors.fill: parent
                    anchors.leftMargin: 4
                    anchors.rightMargin: 4
                    text: BidirectionalText.field(picker.textOf(segment.modelData))
                    font.pixelSize: SystemStyle.footnote.pixelSize
                    font.weight: segment.selected ? Font.DemiBold : Font.Normal
                    Accessible.ignored: true
                    color: SystemStyle.primary
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    // Large text first shrinks back towards the designed size, then elides.
                    fontSizeMode: Text.HorizontalFit
                    minimumPixelSize: 13
                    elide: Text.ElideRight
                }
                TapHandler { onTapped: picker.choose(segment.index) }
            }
        }
    }
}
