import QtQuick

// A blurred-looking shadow behind a rounded rectangle of the parent's size, drawn as a few
// concentric translucent outlines: real blur needs a shader effect per item, too dear for a
// grid of cards.
Item {
    id: shadow
    property real cornerRadius: 0
    property real blur: 5
    property color color: SystemStyle.shadow
    property real offsetX: 0
    property real offsetY: 0
    // Fill under the shape too; off for pictures, which may be transparent.
    property bool filled: true

    anchors.fill: parent
    z: -1

    Rectangle {
        visible: shadow.filled
        x: shadow.offsetX
        y: shadow.offsetY
        width: shadow.width
        height: shadow.height
        radius: shadow.cornerRadius
        color: Qt.rgba(shadow.color.r, shadow.color.g, shadow.color.b, shadow.color.a * 0.6)
    }
    Repeater {
        model: Math.max(1, Math.round(shadow.blur))
        Rectangle {
            required property int index
            readonly property real spread: index + 1
            x: shadow.offsetX - spread
            y: shadow.offsetY - spread
            width: shadow.width + 2 * spread
            height: shadow.height + 2 * spread
            radius: shadow.cornerRadius + spread
            color: "transparent"
            border.width: 1
            border.color: {
                const fade = 1 - spread / (shadow.blur + 1)
                return Qt.rgba(shadow.color.r, shadow.color.g, shadow.color.b, shadow.color.a * 0.5 * fade * fade)
            }
        }
    }
}
