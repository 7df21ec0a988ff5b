pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Vexlo

// The rows of one section, on a rounded card as in an inset grouped list. In the pinned
// section fixed sources offer no swipe action; the sources section adds the delete button.
Rectangle {
    id: group
    property alias model: repeater.model
    property bool pinnedSection
    // The height of the list's view, which Page Up and Page Down move by.
    property real pageHeight: 400
    signal repoOpened(string id)
    signal pinToggled(string id)
    // `next` is the row that takes the focus once this one is gone (null when none).
    signal deleteRequested(string id, Item next)
    signal refreshRequested(string id)
    signal copyAddressRequested(string id)
    // A row took the keyboard focus: the list scrolls it into view.
    signal rowFocused(Item row)

    implicitHeight: column.implicitHeight
    height: implicitHeight
    radius: 10
    color: SystemStyle.background
    clip: true

    function rowOf(id) {
        for (let i = 0; i < repeater.count; ++i) {
            const row = repeater.itemAt(i)
            if (row && row.repoId === id)
                return row
        }
        return null
    }

    Column {
        id: column
        width: parent.width
        Repeater {
            id: repeater
            delegate: SwipeRepoRow {
                id: row
                width: column.width
                hasPinAction: !group.pinnedSection || !isFixed
                hasDeleteAction: !group.pinnedSection
                pageHeight: group.pageHeight
                onOpenRequested: {
                    forceActiveFocus(Qt.OtherFocusReason)
                    group.repoOpened(repoId)
                }
                onPinToggled: group.pinToggled(repoId)
                onDeleteRequested: group.deleteRequested(repoId, neighbourRow())
                onRefreshRequested: group.refreshRequested(repoId)
                onCopyAddressRequested: group.copyAddressRequested(repoId)
                onActiveFocusChanged: if (activeFocus) group.rowFocused(row)

                // Inset from the leading edge to where the text begins (padding, icon, spacing).
                Rectangle {
                    objectName: "rowSeparator"
                    z: 1
                    visible: row.index > 0
                    anchors.top: parent.top
                    anchors.left: parent.left
                    anchors.leftMargin: 16 + 50 + 8
                    anchors.right: parent.right
                    height: 1
                    color: SystemStyle.separator
                }
            }
        }
    }
}
