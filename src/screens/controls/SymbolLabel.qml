import QtQuick
import QtQuick.Layouts
import Vexlo

// A text with a system symbol before it. The text keeps to its line count, first shrinking
// down to minimumScale of its size when it does not fit, then eliding; it is as tall as the
// lines it has, which in a fallback font may be taller than the label font's own.
RowLayout {
    id: label
    property string text
    property string symbol
    property color symbolColor: SystemStyle.gray
    property alias font: title.font
    property alias color: title.color
    property int maximumLineCount: 1
    property real minimumScale: 1
    // Whether a reader reaches the text on its own; off where a control reads it as a whole.
    property bool readable: true

    spacing: 6

    SymbolIcon {
        name: label.symbol
        color: label.symbolColor
        size: title.font.pixelSize
        Layout.alignment: label.maximumLineCount > 1 ? Qt.AlignTop : Qt.AlignVCenter
    }
    Text {
        id: title
        Accessible.role: Accessible.StaticText
        Accessible.name: AccessibleTexts.spoken(text)
        Accessible.ignored: !label.readable
        text: label.text
        Layout.fillWidth: true
        verticalAlignment: Text.AlignTop
        horizontalAlignment: Text.AlignLeft
        color: SystemStyle.secondary
        maximumLineCount: label.maximumLineCount
        wrapMode: label.maximumLineCount > 1 ? Text.Wrap : Text.NoWrap
        elide: Text.ElideRight
        fontSizeMode: label.minimumScale < 1 ? Text.HorizontalFit : Text.FixedSize
        minimumPixelSize: Math.ceil(font.pixelSize * label.minimumScale)
    }
}
