pragma Singleton
import QtQuick
import Vexlo

// The platform look the screens are drawn in: named colours, text styles and the default
// spacing, after the phone's light appearance.
QtObject {
    // The application's accent: title and toolbar of the main screen.
    readonly property color accent: Qt.rgba(0.1, 0.5, 0.8, 1.0)
    readonly property color blue: "#007AFF"
    readonly property color green: "#34C759"
    readonly property color orange: "#FF9500"
    readonly property color purple: "#AF52DE"
    readonly property color indigo: "#5856D6"
    readonly property color red: "#FF3B30"
    readonly property color yellow: "#FFCC00"
    readonly property color gray: "#8E8E93"
    readonly property color white: "#FFFFFF"
    readonly property color primary: "#000000"
    readonly property color secondary: Qt.rgba(60 / 255, 60 / 255, 67 / 255, 0.6)
    readonly property color background: "#FFFFFF"
    readonly property color secondaryBackground: "#F2F2F7"
    readonly property color separator: Qt.rgba(60 / 255, 60 / 255, 67 / 255, 0.29)
    readonly property color fill: Qt.rgba(118 / 255, 118 / 255, 128 / 255, 0.12)
    readonly property color secondaryFill: Qt.rgba(120 / 255, 120 / 255, 128 / 255, 0.16)
    // Background of the row that has the keyboard focus.
    readonly property color selection: "#E5E5EA"
    // Colour of a shadow that names none.
    readonly property color shadow: Qt.rgba(0, 0, 0, 0.33)

    readonly property real padding: 16

    // The platform's text size against the designed one: every text style grows with it.
    readonly property real textScale: TextScale.factor
    function scaled(size) { return Math.round(size * textScale) }

    readonly property font largeTitle: Qt.font({ pixelSize: scaled(34), weight: Font.Bold })
    readonly property font title2: Qt.font({ pixelSize: scaled(22) })
    readonly property font headline: Qt.font({ pixelSize: scaled(17), weight: Font.DemiBold })
    readonly property font body: Qt.font({ pixelSize: scaled(17) })
    readonly property font subheadline: Qt.font({ pixelSize: scaled(15) })
    // The segments and the section menu button.
    readonly property font footnote: Qt.font({ pixelSize: scaled(13) })
    readonly property font caption: Qt.font({ pixelSize: scaled(12) })
}
