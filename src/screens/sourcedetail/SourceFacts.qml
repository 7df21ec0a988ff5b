import QtQuick
import QtQuick.Layouts
import Vexlo

// The source screen's head: the source's whole address with a button that copies it, and,
// when its last refresh failed, why, with a button that refreshes this source alone.
ColumnLayout {
    id: facts
    property string address
    property string failureReason
    signal copyRequested()
    signal retryRequested()

    spacing: 8

    RowLayout {
        visible: facts.address !== ""
        Layout.fillWidth: true
        spacing: 8
        Text {
            objectName: "sourceAddress"
            // Takes the room the button leaves, however long the address.
            Layout.fillWidth: true
            Layout.preferredWidth: 0
            text: BidirectionalText.address(facts.address)
            Accessible.role: Accessible.StaticText
            Accessible.name: facts.address
            horizontalAlignment: Text.AlignLeft
            wrapMode: Text.WrapAnywhere
            font: SystemStyle.footnote
            color: SystemStyle.secondary
        }
        ActionButton {
            objectName: "copyAddressButton"
            Layout.minimumWidth: implicitWidth
            padding: 8
            symbol: "doc.on.doc.fill"
            text: AccessibleTexts.copyAddress
            color: SystemStyle.green
            onClicked: facts.copyRequested()
        }
    }
    RowLayout {
        visible: facts.failureReason !== ""
        Layout.fillWidth: true
        spacing: 8
        Text {
            objectName: "sourceFailure"
            Layout.fillWidth: true
            Layout.preferredWidth: 0
            text: "فشل التحديث: " + facts.failureReason
            Accessible.role: Accessible.StaticText
            Accessible.name: text
            horizontalAlignment: Text.AlignLeft
            wrapMode: Text.Wrap
            font: SystemStyle.subheadline
            color: SystemStyle.red
        }
        ActionButton {
            objectName: "retryButton"
            Layout.minimumWidth: implicitWidth
            padding: 8
            symbol: "arrow.clockwise"
            text: AccessibleTexts.retry
            color: SystemStyle.blue
            onClicked: facts.retryRequested()
        }
    }
}
