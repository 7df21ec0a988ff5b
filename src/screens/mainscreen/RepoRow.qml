pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// One source in the main screen's list: icon, name, address, package count, last refresh, a
// progress bar while it refreshes, and a red line when its last refresh failed (else a red
// note when it has no packages). Only shows: the row that holds it handles taps and swipes.
// The text block is a column of lines, one per fact, so a line more takes no other change.
ColumnLayout {
    id: row
    required property string name
    required property string url
    // Why the last refresh failed; empty when it did not.
    required property string failureReason
    required property string imageURL
    required property int packageCount
    required property string lastUpdatedText
    required property bool isUpdating
    required property real updateProgress
    // "جديد: N" while N of its packages are marked new, else empty.
    required property string newCountText
    required property bool indexMismatch

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
                    text: BidirectionalText.field(row.name)
                    horizontalAlignment: Text.AlignLeft
                    wrapMode: Text.Wrap
                    font: SystemStyle.headline
                    color: SystemStyle.primary
                }
                Label {
                    Accessible.ignored: true
                    objectName: "addressLabel"
                    // Sources on one host differ in their path: one line, cut in the middle.
                    Layout.fillWidth: true
                    horizontalAlignment: Text.AlignLeft
                    text: BidirectionalText.shortAddress(row.url)
                    elide: Text.ElideMiddle
                    maximumLineCount: 1
                    font: SystemStyle.caption
                    color: SystemStyle.secondary
                }
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 8
                    Label {
                        Accessible.ignored: true
                        Layout.fillWidth: !newCount.visible
                        horizontalAlignment: Text.AlignLeft
                        wrapMode: Text.Wrap
                        text: AccessibleTexts.packageCount(row.packageCount)
                        font: SystemStyle.subheadline
                        color: SystemStyle.secondary
                    }
                    Label {
                        id: newCount
                        objectName: "newCountLabel"
                        Accessible.ignored: true
                        visible: row.newCountText !== ""
                        Layout.fillWidth: true
                        horizontalAlignment: Text.AlignLeft
                        text: row.newCountText
                        font: SystemStyle.subheadline
                        color: SystemStyle.indigo
                    }
                }
                Label {
                    Accessible.ignored: true
                    objectName: "lastUpdatedLabel"
                    // Large text wraps rather than running out of the row.
                    Layout.fillWidth: true
                    horizontalAlignment: Text.AlignLeft
                    wrapMode: Text.Wrap
                    // The date keeps its own direction: an ISO or en_US date reads left to right.
                    text: "آخر تحديث: " + BidirectionalText.field(row.lastUpdatedText)
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
        // Until the index's size is known, nothing tells how far it has come.
        indeterminate: row.updateProgress <= 0
    }
    Label {
        Accessible.ignored: true
        objectName: "failureNote"
        visible: row.failureReason !== ""
        text: "فشل التحديث: " + row.failureReason
        Layout.maximumWidth: row.width - 32
        wrapMode: Text.Wrap
        font: SystemStyle.caption
        color: SystemStyle.red
        Layout.alignment: Qt.AlignHCenter
        // Clear of the separator under the row.
        Layout.topMargin: -4
        Layout.bottomMargin: 10
    }
    Label {
        Accessible.ignored: true
        objectName: "indexMismatchNote"
        visible: row.indexMismatch
        text: "الفهرس لا يطابق ملف Release"
        Layout.maximumWidth: row.width - 32
        wrapMode: Text.Wrap
        font: SystemStyle.caption
        color: SystemStyle.orange
        Layout.alignment: Qt.AlignHCenter
    }
    Label {
        Accessible.ignored: true
        objectName: "emptyNote"
        visible: row.packageCount === 0 && row.failureReason === ""
        text: "لا توجد حزم في هذا السورس"
        Layout.maximumWidth: row.width - 32
        wrapMode: Text.Wrap
        font: SystemStyle.caption
        color: SystemStyle.red
        Layout.alignment: Qt.AlignHCenter
        // Clear of the separator under the row.
        Layout.topMargin: -4
        Layout.bottomMargin: 10
    }
}
