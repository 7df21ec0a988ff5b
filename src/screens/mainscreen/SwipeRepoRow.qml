pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Vexlo

// A source row with the main screen's swipe actions: the pin button at the leading edge, the
// delete button at the trailing edge. A drag (mouse or touch) uncovers the button of the edge
// it moves away from; past a few points the row stays open until the button is tapped (its
// action runs) or the row is tapped, swiped back or a press lands elsewhere (it closes). Only
// a full swipe, past most of the row's width, runs the button at once. A right click, a long
// press or the Menu key offers the same actions as a menu.
Item {
    id: row
    required property int index
    required property string repoId
    required property string name
    required property string url
    required property string failureReason
    required property string imageURL
    required property int packageCount
    required property string lastUpdatedText
    required property bool isUpdating
    required property real updateProgress
    required property string newCountText
    required property bool indexMismatch
    required property bool isPinned
    required property bool isFixed
    // Which swipe buttons the row offers: the pin button and the delete button.
    property bool hasPinAction: true
    property bool hasDeleteAction: false
    readonly property bool isSourceRow: true
    readonly property bool menuShown: menu.visible

    // Horizontal position of the content, in scene direction (negative: moved left).
    property real offset: 0
    readonly property bool rightToLeft: LayoutMirroring.enabled
    // The offset's sign that uncovers the leading edge.
    readonly property int leadingSign: rightToLeft ? -1 : 1
    readonly property real leadingReveal: Math.max(0, offset * leadingSign)
    readonly property real trailingReveal: Math.max(0, -offset * leadingSign)
    readonly property bool isOpen: offset !== 0 || drag.active
    readonly property real actionWidth: 88
    readonly property real openThreshold: 30
    readonly property real fullSwipeDistance: width * 0.6

    signal openRequested()
    signal pinToggled()
    signal deleteRequested()
    signal refreshRequested()
    signal copyAddressRequested()

    implicitHeight: content.implicitHeight
    activeFocusOnTab: true
    // Read as one item; its texts inside are not read on their own.
    Accessible.role: Accessible.ListItem
    Accessible.name: AccessibleTexts.marked(AccessibleTexts.sourceRow(name, isPinned, isFixed, packageCount, lastUpdatedText, isUpdating, failureReason), newCountText)
    Accessible.focusable: true
    Accessible.onPressAction: openRequested()
    clip: true

    function close() { offset = 0 }
    function runLeading() { close(); pinToggled() }
    function runTrailing() { close(); deleteRequested() }
    function openMenu(x, y, byKeyboard) {
        close()
        menu.openedByKeyboard = !!byKeyboard
        // The menu opens towards the trailing side of the point, as the text runs.
        menu.popup(rightToLeft ? x - menu.width : x, y)
    }
    // Where a drag ends: a full swipe acts, a partial one opens, a short one closes.
    function settle(startOffset) {
        const opening = startOffset === 0 ? openThreshold : actionWidth * 0.6
        if (leadingReveal >= fullSwipeDistance)
            runLeading()
        else if (trailingReveal >= fullSwipeDistance)
            runTrailing()
        else if (leadingReveal >= opening)
            offset = leadingSign * actionWidth
        else if (trailingReveal >= opening)
            offset = -leadingSign * actionWidth
        else
            close()
    }
    // How far Page Up and Page Down go: the height of the list's view.
    property real pageHeight: 400
    // Page Up/Down, Home and End go to the source row a view's height away, or the first or
    // last, in the order they are shown; the list follows the focus.
    function focusJump(key) {
        const rows = []
        for (let item = nextItemInFocusChain(true); item && item !== row; item = item.nextItemInFocusChain(true)) {
            if (item.isSourceRow === true && item.visible)
                rows.push(item)
        }
        rows.push(row)
        const top = r => r.mapToItem(null, 0, 0).y
        rows.sort((a, b) => top(a) - top(b))
        const here = top(row)
        let target = row
        if (key === Qt.Key_Home)
            target = rows[0]
        else if (key === Qt.Key_End)
            target = rows[rows.length - 1]
        else if (key === Qt.Key_PageDown) {
            for (const r of rows)
                if (top(r) > here && (target === row || top(r) + r.height - here <= pageHeight))
                    target = r
        } else {
            for (let i = rows.length - 1; i >= 0; --i)
                if (top(rows[i]) < here && (target === row || here + row.height - top(rows[i]) <= pageHeight))
                    target = rows[i]
        }
        if (target !== row)
            target.forceActiveFocus(Qt.TabFocusReason)
    }
    // The source row shown right below (forward) or above this one, or null.
    function neighbour(forward) {
        const here = mapToItem(null, 0, 0).y
        for (let item = nextItemInFocusChain(forward); item && item !== row; item = item.nextItemInFocusChain(forward)) {
            if (item.isSourceRow === true) {
                const there = item.mapToItem(null, 0, 0).y
                return (forward ? there > here : there < here) ? item : null
            }
        }
        return null
    }
    // Where the focus goes when this row is removed: the next row, else the previous one.
    function neighbourRow() { return neighbour(true) || neighbour(false) }
    // Up and down move between source rows only, in the order they are shown.
    function focusNeighbour(forward) {
        const item = neighbour(forward)
        if (item)
            item.forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason)
    }

    Behavior on offset {
        enabled: !drag.active
        NumberAnimation { duration: 200; easing.type: Easing.OutCubic }
    }

    Keys.onReturnPressed: isOpen ? close() : openRequested()
    Keys.onEnterPressed: isOpen ? close() : openRequested()
    Keys.onSpacePressed: isOpen ? close() : openRequested()
    Keys.onEscapePressed: event => { event.accepted = isOpen; close() }
    Keys.onUpPressed: focusNeighbour(false)
    Keys.onDownPressed: focusNeighbour(true)
    Keys.onPressed: event => {
        if (event.key === Qt.Key_Menu || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier))) {
            openMenu(width / 2, height / 2, true)
            event.accepted = true
        } else if ([Qt.Key_PageUp, Qt.Key_PageDown, Qt.Key_Home, Qt.Key_End].includes(event.key)) {
            focusJump(event.key)
            event.accepted = true
        }
    }

    SwipeAction {
        objectName: "pinAction"
        z: 2
        visible: row.hasPinAction && row.leadingReveal > 0
        anchors.left: parent.left
        width: row.leadingReveal
        height: parent.height
        innerEdge: Qt.AlignRight
        text: row.isPinned ? AccessibleTexts.unpin : AccessibleTexts.pin
        symbol: row.isPinned ? "pin.slash" : "pin"
        tint: row.isPinned ? SystemStyle.gray : SystemStyle.yellow
        onClicked: row.runLeading()
    }
    SwipeAction {
        objectName: "deleteAction"
        z: 2
        visible: row.hasDeleteAction && row.trailingReveal > 0
        anchors.right: parent.right
        width: row.trailingReveal
        height: parent.height
        innerEdge: Qt.AlignLeft
        text: AccessibleTexts.remove
        symbol: "trash"
        tint: SystemStyle.red
        onClicked: row.runTrailing()
    }

    Rectangle {
        id: content
        objectName: "rowContent"
        x: row.offset
        width: row.width
        height: row.height
        implicitHeight: repoRow.implicitHeight
        color: row.activeFocus ? SystemStyle.selection : SystemStyle.background

        RepoRow {
            id: repoRow
            anchors.fill: parent
            anchors.leftMargin: 16
            anchors.rightMargin: 16
            name: row.name
            url: row.url
            failureReason: row.failureReason
            indexMismatch: row.indexMismatch
            imageURL: row.imageURL
            packageCount: row.packageCount
            lastUpdatedText: row.lastUpdatedText
            isUpdating: row.isUpdating
            updateProgress: row.updateProgress
            newCountText: row.newCountText
        }

        DragHandler {
            id: drag
            property real startOffset: 0
            target: null
            yAxis.enabled: false
            // Once the row moves sideways, the list does not take the drag over for scrolling.
            grabPermissions: PointerHandler.CanTakeOverFromAnything
            onActiveChanged: {
                if (active)
                    startOffset = row.offset
                else
                    row.settle(startOffset)
            }
            onActiveTranslationChanged: {
                if (!active)
                    return
                const lowest = (row.leadingSign < 0 ? row.hasPinAction : row.hasDeleteAction) ? -row.width : 0
                const highest = (row.leadingSign > 0 ? row.hasPinAction : row.hasDeleteAction) ? row.width : 0
                row.offset = Math.max(lowest, Math.min(highest, startOffset + activeTranslation.x))
            }
        }
        TapHandler {
            id: tap
            acceptedButtons: Qt.LeftButton
            onTapped: row.isOpen ? row.close() : row.openRequested()
            onLongPressed: row.openMenu(tap.point.position.x, tap.point.position.y)
        }
        TapHandler {
            acceptedButtons: Qt.RightButton
            acceptedDevices: PointerDevice.Mouse | PointerDevice.TouchPad
            onTapped: (eventPoint, button) => row.openMenu(eventPoint.position.x, eventPoint.position.y)
        }
    }

    // While a button is uncovered, a press anywhere outside the row closes it and goes no
    // further; presses on the row itself reach it as usual.
    MouseArea {
        parent: row.Window.contentItem
        anchors.fill: parent
        z: 1000
        visible: row.isOpen && !drag.active
        onPressed: mouse => {
            const inRow = mapToItem(row, mouse.x, mouse.y)
            mouse.accepted = !row.contains(inRow)
            if (mouse.accepted)
                row.close()
        }
        onWheel: wheel => { row.close(); wheel.accepted = false }
    }

    // Inside the row: the list's card clips what lies outside.
    FocusRing { outset: -2; cornerRadius: 8 }

    RowActionsMenu {
        id: menu
        hasPinAction: row.hasPinAction
        hasDeleteAction: row.hasDeleteAction
        // A source with no action says why, instead of ignoring the request.
        isLocked: !row.hasPinAction && !row.hasDeleteAction
        isPinned: row.isPinned
        onPinTriggered: row.pinToggled()
        onDeleteTriggered: row.deleteRequested()
        onRefreshTriggered: row.refreshRequested()
        onCopyAddressTriggered: row.copyAddressRequested()
    }
}
