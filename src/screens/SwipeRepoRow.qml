pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Vexlo

// A source row with the main screen's swipe actions. Leading is the right edge in this
// right-to-left interface, trailing the left edge.
SwipeDelegate {
    id: delegate
    required property int index
    required property string repoId
    required property string name
    required property string imageURL
    required property int packageCount
    required property string lastUpdatedText
    required property bool isUpdating
    required property real updateProgress
    required property bool isPinned
    required property bool isFixed
    // Which swipe buttons the row offers: the pin button and the delete button.
    property bool hasPinAction: true
    property bool hasDeleteAction: false

    signal openRequested()
    signal pinToggled()
    signal deleteRequested()

    width: ListView.view ? ListView.view.width : implicitWidth
    padding: 0
    leftPadding: 16
    rightPadding: 16
    background: Rectangle { color: SystemStyle.background }

    contentItem: RepoRow {
        name: delegate.name
        imageURL: delegate.imageURL
        packageCount: delegate.packageCount
        lastUpdatedText: delegate.lastUpdatedText
        isUpdating: delegate.isUpdating
        updateProgress: delegate.updateProgress
        onTapped: delegate.openRequested()
    }

    swipe.right: delegate.hasPinAction ? pinAction : null
    swipe.left: delegate.hasDeleteAction ? deleteAction : null
    // A full swipe triggers the action, as on the phone.
    swipe.onCompleted: {
        if (swipe.position < 0 && delegate.hasPinAction)
            delegate.pinToggled()
        else if (swipe.position > 0 && delegate.hasDeleteAction)
            delegate.deleteRequested()
        swipe.close()
    }

    Component {
        id: pinAction
        SwipeAction {
            objectName: "pinAction"
            anchors.right: parent.right
            text: delegate.isPinned ? "إلغاء التثبيت" : "تثبيت"
            symbol: delegate.isPinned ? "pin.slash" : "pin"
            tint: delegate.isPinned ? SystemStyle.gray : SystemStyle.yellow
            onClicked: { delegate.swipe.close(); delegate.pinToggled() }
        }
    }
    Component {
        id: deleteAction
        SwipeAction {
            objectName: "deleteAction"
            anchors.left: parent.left
            text: "حذف"
            symbol: "trash"
            tint: SystemStyle.red
            onClicked: { delegate.swipe.close(); delegate.deleteRequested() }
        }
    }
}
