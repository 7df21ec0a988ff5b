import QtQuick
import QtQuick.Controls
import Vexlo

// A sheet as a phone shows one: it rises from the bottom over the dimmed screen, a little lower
// than the window's top, with rounded top corners and a grabber. `shown` follows the owner's
// flag both ways: setting it opens or closes the sheet, and closing the sheet in any way
// (dragged down by its top, Escape, a press above it) writes false back through `dismissed`.
// A popup rather than a drawer: a drawer that can be dragged takes every drag from its
// content, so its grid would not scroll. A dialog, so that its title names it for a reader; the
// title is not drawn by the sheet itself.
Dialog {
    id: sheet
    property bool shown: false
    // The sheet lives in the window's overlay, outside the screens' mirroring: its content
    // takes the application's direction.
    readonly property bool mirroredLayout: Qt.application.layoutDirection === Qt.RightToLeft
    // 0 below the window, 1 in place; how far its top strip has been dragged down.
    property real slide: 0
    property real dragOffset: 0
    // The control that had the focus when the sheet opened: it has it again once the sheet closes.
    property Item opener: null
    // Open, in place: what lies under it is hidden.
    readonly property bool covering: opened && dragOffset === 0
    signal dismissed()

    parent: Overlay.overlay
    header: null
    footer: null
    width: parent ? parent.width : 0
    height: parent ? parent.height - 24 : 0
    x: 0
    y: (parent ? parent.height : 0) - height * slide + dragOffset
    modal: true
    // Takes the keyboard when open: Tab stays inside, Escape closes it.
    focus: true
    padding: 0
    topPadding: 14
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside

    enter: Transition {
        NumberAnimation { property: "slide"; from: 0; to: 1; duration: 300; easing.type: Easing.OutCubic }
    }
    exit: Transition {
        NumberAnimation { property: "slide"; to: 0; duration: 250; easing.type: Easing.InCubic }
    }

    background: Item {
        clip: true
        Rectangle {
            // Taller than the sheet, so only the top corners are rounded.
            width: parent.width
            height: parent.height + radius
            radius: 12
            color: SystemStyle.background
        }
        Rectangle {
            anchors.horizontalCenter: parent.horizontalCenter
            y: 5
            width: 36
            height: 5
            radius: 2.5
            color: Qt.rgba(0.235, 0.235, 0.263, 0.3)
        }
        // The grabber and the title under it: dragged down, the sheet follows, and closes
        // when let go past a quarter of its height.
        Item {
            objectName: "grabStrip"
            Accessible.ignored: true
            width: parent.width
            height: 58
            DragHandler {
                target: null
                xAxis.enabled: false
                onActiveTranslationChanged: if (active) sheet.dragOffset = Math.max(0, activeTranslation.y)
                onActiveChanged: {
                    if (active)
                        return
                    if (sheet.dragOffset > sheet.height / 4)
                        sheet.close()
                    else
                        settle.start()
                }
            }
        }
    }

    NumberAnimation {
        id: settle
        target: sheet
        property: "dragOffset"
        to: 0
        duration: 200
        easing.type: Easing.OutCubic
    }

    function show() {
        opener = parent ? parent.Window.activeFocusItem : null
        open()
    }
    onShownChanged: shown ? show() : close()
    Component.onCompleted: if (shown) show()
    onClosed: {
        dragOffset = 0
        if (shown)
            dismissed()
        if (opener && !focusTakenByOtherPopup())
            opener.forceActiveFocus(Qt.OtherFocusReason)
        opener = null
    }
    // An alert opened while the sheet closed (the batch's outcome) keeps the keys it took.
    function focusTakenByOtherPopup() {
        for (let item = opener.Window.activeFocusItem; item; item = item.parent) {
            if (item === contentItem.parent)
                return false
            if (item === Overlay.overlay)
                return true
        }
        return false
    }
}
