import QtQuick
import Vexlo

// One symbol of the icon table, drawn as a glyph of the bundled icon font.
Item {
    id: root
    property string name
    property color color: palette.text
    property real size: 20
    // Draws the symbol mirrored, for direction-bound symbols in a right-to-left layout.
    property bool mirror: false

    implicitWidth: size
    // A symbol is drawn beside a text or inside a named control: the reader skips it.
    Accessible.ignored: true
    implicitHeight: size

    Text {
        id: glyph
        anchors.centerIn: parent
        font.family: SymbolIcons.fontFamily
        font.pixelSize: root.size
        color: root.color
        text: SymbolIcons.glyph(root.name)
        Accessible.ignored: true
        transform: Scale { xScale: root.mirror ? -1 : 1; origin.x: glyph.width / 2 }
    }
    Rectangle {
        visible: SymbolIcons.isSlashed(root.name)
        anchors.centerIn: parent
        width: root.size * 1.15
        height: Math.max(1.5, root.size / 10)
        rotation: -45
        color: root.color
    }
}
