import QtQuick
import QtQuick.Controls
import Vexlo

// Header of a grouped list section: a heading for a reader (a Label would read as a plain label).
Text {
    leftPadding: 20
    rightPadding: 20
    topPadding: 18
    bottomPadding: 6
    font: SystemStyle.subheadline
    color: SystemStyle.primary
    Accessible.role: Accessible.Heading
    Accessible.name: text
}
