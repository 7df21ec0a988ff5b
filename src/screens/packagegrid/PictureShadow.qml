import QtQuick

// The soft default shadow (radius 5) of a rounded rectangle of the parent's size, drawn only
// outside it: one stretched picture, cheap enough for every card of a grid. Corner radius 10
// or 15 (resources/shadows has one picture for each).
BorderImage {
    property int cornerRadius: 15
    readonly property int extent: 8

    anchors.fill: parent
    anchors.margins: -extent
    z: -1
    source: "qrc:/Vexlo/shadows/shadow-r" + cornerRadius + ".png"
    border.left: cornerRadius + extent
    border.right: cornerRadius + extent
    border.top: cornerRadius + extent
    border.bottom: cornerRadius + extent
}
