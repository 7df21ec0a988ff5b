pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// One source in the main screen's list: icon, name, package count, last refresh, a progress
// bar while it refreshes and a red note when it has no packages. Only shows: the row that
// holds it handles taps and swipes.
ColumnLayout {
    id: row
    required property string name
    required property string imageURL
    required property int packageCount
    required property string lastUpdatedText
    required property bool isUpdating
    required property real updateProgress

    spacing: 6

    Item {
        Layout.fillWidth: true
        implicitHeight: content.implicitHeight + 28

        // The line's own 8 points, and the list row's inset around it.
        RowLayout {
            id: content
            anchors.fill: parent
            anchors.topMargin: 14
            anchors.bottomMargin: 14
            spacing: 8

            RoundedImage {
                Accessible.ignored: true
                radius: 10
                url: row.imageURL
                Layout.preferredWidth: 50
                Layout.preferredHeight: 50
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 2
                Label {
                    Accessible.ignored: true
                    Layout.fillWidth: true
                    text: BidirectionalText.isolated(row.name)
                    horizontalAlignment: Text.AlignLeft
                    wrapMode: Text.Wrap
                    font: SystemStyle.headline
                    color: SystemStyle.primary
                }
                Label {
                    Accessible.ignored: true
                    Layout.fillWidth: true
                    horizontalAlignment: Text.AlignLeft
                    wrapMode: Text.Wrap
                    text: AccessibleTexts.packageCount(row.packageCount)
                    font: SystemStyle.subheadline
                    color: SystemStyle.secondary
                }
                Label {
                    Accessible.ignored: true
                    objectName: "lastUpdatedLabel"
                    // Large text wraps rather than running out of the row.
                    Layout.fillWidth: true
                    horizontalAlignment: Text.AlignLeft
                    wrapMode: Text.Wrap
                    // The date keeps its own direction: an ISO or en_US date reads left to right.
                    text: "آخر تحديث: \u2068" + row.lastUpdatedText + "\u2069"
                    font: SystemStyle.caption
                    color: SystemStyle.secondary
                }
            }
        }
    }
    ProgressBar {
        Accessible.ignored: true
        objectName: "updateProgressBar"
        visible: row.isUpdating
        Layout.fillWidth: true
        Layout.leftMargin: 16
        Layout.rightMargin: 16
        from: 0
        to: 1
        value: row.updateProgress
    }
    Label {
        Accessible.ignored: true
        objectName: "emptyNote"
        visible: row.packageCount === 0
        text: "لا توجد حزم في هذا السورس"
        Layout.maximumWidth: row.width - 32
        wrapMode: Text.Wrap
        font: SystemStyle.caption
        color: SystemStyle.red
        Layout.alignment: Qt.AlignHCenter
    }
}
