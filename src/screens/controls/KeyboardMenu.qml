import QtQuick
import QtQuick.Controls
import Vexlo

// A menu that, opened from the keyboard, starts on an item: the arrow keys and Return act at
// once instead of waiting for a first Down. `startIndex` names the item (the chosen one of a
// choice); one that is hidden or disabled gives way to the first that can be chosen.
Menu {
    id: menu
    property int startIndex: 0
    property bool openedByKeyboard: false
    // Drawn by the app rather than the style's raised panel, which some renderers leave out.
    background: Rectangle {
        implicitWidth: 200
        radius: 12
        color: SystemStyle.background
        border.color: SystemStyle.separator
    }

    function openFromKeyboard() {
        openedByKeyboard = true
        open()
    }
    function choosable(i) {
        const item = itemAt(i)
        return item && item.visible && item.enabled
    }
    // The popup gives its list the focus as it opens, and nothing in it is visible before:
    // the item is chosen just after, still before the opening transition has ended.
    onAboutToShow: if (openedByKeyboard) Qt.callLater(start)
    function start() {
        let index = choosable(startIndex) ? startIndex : -1
        for (let i = 0; index < 0 && i < count; ++i)
            if (choosable(i))
                index = i
        // A current item has the focus too.
        if (index >= 0 && visible)
            currentIndex = index
    }
    onClosed: openedByKeyboard = false
}
