pragma Singleton
import QtQuick

// The named colours, text styles and the accent of the screens, in one place.
QtObject {
    readonly property color accent: Qt.rgba(0.1, 0.5, 0.8, 1.0)
    readonly property color systemBackground: "#ffffff"
    readonly property color secondarySystemBackground: "#f2f2f7"
    readonly property color groupedBackground: "#f2f2f7"
    readonly property color primary: "#000000"
    readonly property color secondary: Qt.rgba(0.235, 0.235, 0.263, 0.6)
    readonly property color separator: Qt.rgba(0.235, 0.235, 0.263, 0.29)
    readonly property color blue: "#007aff"
    readonly property color green: "#34c759"
    readonly property color orange: "#ff9500"
    readonly property color purple: "#af52de"
    readonly property color red: "#ff3b30"
    readonly property color yellow: "#ffcc00"
    readonly property color gray: "#8e8e93"
    readonly property color shadow: Qt.rgba(0, 0, 0, 0.33)

    // Text styles, in pixels.
    readonly property int largeTitle: 34
    readonly property int title2: 22
    readonly property int headline: 17
    readonly property int body: 17
    readonly property int subheadline: 15
    readonly property int caption: 12
}
