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
    signal repoOpened(string id)
    signal pinToggled(string id)
    signal deleteRequested(string id)

    implicitHeight: column.implicitHeight
    height: implicitHeight
    radius: 10
    color: SystemStyle.background
    clip: true

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
                onOpenRequested: group.repoOpened(repoId)
                onPinToggled: group.pinToggled(repoId)
                onDeleteRequested: group.deleteRequested(repoId)

                Rectangle {
                    visible: row.index > 0
                    anchors.top: parent.top
                    anchors.right: parent.right
                    anchors.rightMargin: 74
                    anchors.left: parent.left
                    height: 1
                    color: SystemStyle.separator
                }
            }
        }
    }
}
