pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// The main screen: pinned sources and other sources in two sections, the search over them,
// the toolbar and the one alert for every message of the application.
Page {
    id: page
    required property ContentViewModel model
    // Pushes the detail screen of a source onto the navigation stack.
    signal repoOpened(string repoId)
    // Pushes the updates screen.
    signal updatesOpened()
    signal profileRequested()
    // The list's file actions; whoever shows the platform's file dialogs answers them.
    signal importRequested()
    signal exportRequested()

    background: Rectangle { color: SystemStyle.secondaryBackground }
    Accessible.name: "Vexlo"

    StackView.onActivated: model.appear()

    // The toolbar's keys, while this screen is the one shown. A key a focused text field uses
    // itself (letters, editing keys, its own Ctrl sequences) never reaches a shortcut; none of
    // these is such a key, so they also work from the search field.
    readonly property bool isCurrent: StackView.status === StackView.Active
    Shortcut {
        sequence: "Ctrl+R"
        enabled: page.isCurrent
        onActivated: page.model.updateAllRepos()
    }
    Shortcut {
        sequence: "Ctrl+N"
        enabled: page.isCurrent
        onActivated: page.model.showingAddRepo = true
    }
    Shortcut {
        sequence: "Ctrl+U"
        enabled: page.isCurrent
        onActivated: page.updatesOpened()
    }
    Shortcut {
        sequence: "Ctrl+O"
        enabled: page.isCurrent
        onActivated: page.importRequested()
    }
    Shortcut {
        sequence: "Ctrl+S"
        enabled: page.isCurrent
        onActivated: page.exportRequested()
    }
    Shortcut {
        sequence: "Ctrl+Shift+A"
        enabled: page.isCurrent
        onActivated: page.model.showAllPackages = true
    }
    // Takes the last delete back while its bar shows (a focused text field keeps its own undo).
    Shortcut {
        sequences: [StandardKey.Undo]
        enabled: page.isCurrent && page.model.undoDeleteText !== ""
        onActivated: page.undoDelete()
    }
    function focusSearch() { search.forceActiveFocus(Qt.ShortcutFocusReason) }

    // A row that had the focus keeps it when it moves to the other section; a deleted row
    // hands it to its neighbour. The rows change with the model, so this waits for them.
    function togglePin(id) {
        const row = pinnedGroup.rowOf(id) || otherGroup.rowOf(id)
        const focused = row !== null && (row.activeFocus || row.menuShown)
        page.model.togglePin(id)
        if (focused)
            Qt.callLater(() => {
                const moved = pinnedGroup.rowOf(id) || otherGroup.rowOf(id)
                if (moved)
                    moved.forceActiveFocus(Qt.OtherFocusReason)
            })
    }
    function deleteRepo(id, next) {
        page.model.deleteRepo(id)
        if (next)
            Qt.callLater(() => { if (next) next.forceActiveFocus(Qt.OtherFocusReason) })
    }

    // A restored source takes the focus back from the neighbour its delete handed it to.
    function undoDelete() {
        const ids = page.model.undoDelete()
        Qt.callLater(() => {
            for (const id of ids) {
                const row = pinnedGroup.rowOf(id) || otherGroup.rowOf(id)
                if (row) {
                    row.forceActiveFocus(Qt.OtherFocusReason)
                    return
                }
            }
        })
    }

    // Keeps a row reached with the keyboard on screen.
    function scrollIntoView(item) {
        const list = scroll.contentItem
        const top = item.mapToItem(list.contentItem, 0, 0).y
        if (top < list.contentY)
            list.contentY = top
        else if (top + item.height > list.contentY + list.height)
            list.contentY = top + item.height - list.height
    }

    header: ToolBar {
        Accessible.name: "شريط الأدوات"
        background: Rectangle { color: SystemStyle.secondaryBackground }
        implicitHeight: Math.max(64, titleWords.implicitHeight + 16)
        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: 12
            anchors.rightMargin: 12
            spacing: 4

            // Leading: the profile link, then the add button.
            ToolButton {
                objectName: "profileLink"
                visible: page.model.hasProfile
                implicitWidth: 30; implicitHeight: 30
                padding: 0
                background: null
                Accessible.name: AccessibleTexts.profile
                Accessible.onPressAction: clicked()
                ToolTip.text: Accessible.name
                ToolTip.visible: hovered
                ToolTip.delay: 600
                FocusRing {}
                contentItem: Text {
                    text: "🆇"
                    Accessible.ignored: true
                    font.pixelSize: 30
                    color: SystemStyle.accent
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                }
                onClicked: page.profileRequested()
            }
            ToolButton {
                objectName: "addButton"
                implicitWidth: 30; implicitHeight: 30
                padding: 0
                background: null
                Accessible.name: AccessibleTexts.addSource
                Accessible.onPressAction: clicked()
                ToolTip.text: Accessible.name
                ToolTip.visible: hovered
                ToolTip.delay: 600
                FocusRing {}
                contentItem: SymbolIcon { name: "plus"; size: 20; color: SystemStyle.accent }
                onClicked: page.model.showingAddRepo = !page.model.showingAddRepo
            }
            ToolButton {
                objectName: "listMenuButton"
                implicitWidth: 30; implicitHeight: 30
                padding: 0
                background: null
                Accessible.name: "قائمة السورسات"
                ToolTip.text: Accessible.name
                ToolTip.visible: hovered
                ToolTip.delay: 600
                Accessible.onPressAction: listMenu.openFromKeyboard()
                Keys.onReturnPressed: listMenu.openFromKeyboard()
                Keys.onEnterPressed: listMenu.openFromKeyboard()
                Keys.onSpacePressed: listMenu.openFromKeyboard()
                FocusRing {}
                contentItem: SymbolIcon { name: "ellipsis.circle"; size: 20; color: SystemStyle.accent }
                onClicked: listMenu.open()
                KeyboardMenu {
                    id: listMenu
                    objectName: "listMenu"
                    y: parent.height
                    MenuItem {
                        objectName: "importItem"
                        text: "استيراد السورسات…"
                        Accessible.onPressAction: clicked()
                        onTriggered: page.importRequested()
                    }
                    MenuItem {
                        objectName: "exportItem"
                        text: "تصدير السورسات…"
                        Accessible.onPressAction: clicked()
                        onTriggered: page.exportRequested()
                    }
                }
            }
            // "Vexlo " and the product's mark in place of the private-use character that
            // ends the title text; without the mark only the words show.
            Item {
                objectName: "principalTitle"
                readonly property string text: "Vexlo \uF8FF"
                Accessible.role: Accessible.Heading
                Accessible.name: "Vexlo"
                Layout.fillWidth: true
                implicitHeight: titleWords.implicitHeight
                Row {
                    anchors.centerIn: parent
                    // Large text draws the title smaller rather than over the buttons beside it.
                    scale: Math.min(1, parent.width / Math.max(1, implicitWidth))
                    LayoutMirroring.enabled: false
                    spacing: 0
                    Label {
                        id: titleWords
                        Accessible.ignored: true
                        text: "Vexlo "
                        font: SystemStyle.largeTitle
                        color: SystemStyle.accent
                    }
                    Image {
                        objectName: "titleMark"
                        Accessible.ignored: true
                        anchors.verticalCenter: parent.verticalCenter
                        height: titleWords.font.pixelSize
                        width: status === Image.Ready ? height : 0
                        visible: status === Image.Ready
                        sourceSize.height: height * Screen.devicePixelRatio
                        fillMode: Image.PreserveAspectFit
                        source: "qrc:/Vexlo/icons/vexlo.svg"
                    }
                }
            }
            ToolButton {
                objectName: "refreshButton"
                // Turns while any refresh runs; another press starts one more beside it.
                readonly property bool busy: page.model.isRefreshing
                implicitWidth: 30; implicitHeight: 30
                padding: 0
                background: null
                Accessible.name: busy ? AccessibleTexts.refreshing : AccessibleTexts.refresh
                ToolTip.text: Accessible.name
                ToolTip.visible: hovered
                ToolTip.delay: 600
                Accessible.onPressAction: clicked()
                FocusRing {}
                contentItem: SymbolIcon {
                    id: refreshIcon
                    name: "arrow.clockwise"; size: 20; color: SystemStyle.accent
                    RotationAnimator on rotation {
                        running: page.model.isRefreshing
                        from: 0; to: 360; duration: 1000
                        loops: Animation.Infinite
                        onStopped: refreshIcon.rotation = 0
                    }
                }
                onClicked: page.model.updateAllRepos()
            }
            ToolButton {
                objectName: "allPackagesButton"
                implicitWidth: 30; implicitHeight: 30
                padding: 0
                background: null
                Accessible.name: AccessibleTexts.allPackages
                Accessible.onPressAction: clicked()
                ToolTip.text: Accessible.name
                ToolTip.visible: hovered
                ToolTip.delay: 600
                FocusRing {}
                contentItem: SymbolIcon { name: "square.grid.2x2.fill"; size: 20; color: SystemStyle.accent }
                onClicked: page.model.showAllPackages = !page.model.showAllPackages
            }
            ToolButton {
                objectName: "updatesButton"
                implicitWidth: 30; implicitHeight: 30
                padding: 0
                background: null
                Accessible.name: AccessibleTexts.updates
                Accessible.onPressAction: clicked()
                FocusRing {}
                contentItem: SymbolIcon { name: "sparkles"; size: 20; color: SystemStyle.accent }
                onClicked: page.updatesOpened()
            }
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        SearchField {
            id: search
            objectName: "searchField"
            Layout.fillWidth: true
            Layout.leftMargin: 16
            Layout.rightMargin: 16
            Layout.topMargin: 4
            placeholderText: "ابحث عن السورسات"
            text: page.model.searchText
            onTextEdited: page.model.searchText = text
        }

        ScrollView {
            id: scroll
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentWidth: availableWidth
            Accessible.name: "قائمة السورسات"
            ScrollBar.horizontal.visible: false
            ScrollBar.vertical: ScrollBar {
                parent: scroll
                x: scroll.mirrored ? 0 : scroll.width - width
                y: scroll.topPadding
                height: scroll.availableHeight
                Accessible.name: "تمرير قائمة السورسات"
            }

            ColumnLayout {
                width: scroll.availableWidth
                spacing: 0

                SectionHeader {
                    objectName: "pinnedHeader"
                    text: "المثبتة (" + page.model.pinnedCount + ")"
                }
                RepoGroup {
                    id: pinnedGroup
                    objectName: "pinnedSection"
                    Layout.fillWidth: true
                    Layout.leftMargin: 16
                    Layout.rightMargin: 16
                    model: page.model.pinnedRepos
                    pinnedSection: true
                    pageHeight: scroll.height
                    onRepoOpened: id => page.repoOpened(id)
                    onPinToggled: id => page.togglePin(id)
                    onRefreshRequested: id => page.model.refreshRepo(id)
                    onCopyAddressRequested: id => page.model.copyAddress(id)
                    onRowFocused: row => page.scrollIntoView(row)
                }
                SectionHeader {
                    objectName: "sourcesHeader"
                    text: "السورسات (" + page.model.otherCount + ")"
                }
                RepoGroup {
                    id: otherGroup
                    objectName: "sourcesSection"
                    Layout.fillWidth: true
                    Layout.leftMargin: 16
                    Layout.rightMargin: 16
                    model: page.model.otherRepos
                    pinnedSection: false
                    pageHeight: scroll.height
                    onRepoOpened: id => page.repoOpened(id)
                    onPinToggled: id => page.togglePin(id)
                    onRefreshRequested: id => page.model.refreshRepo(id)
                    onCopyAddressRequested: id => page.model.copyAddress(id)
                    onDeleteRequested: (id, next) => page.deleteRepo(id, next)
                    onRowFocused: row => page.scrollIntoView(row)
                }
                Item { Layout.preferredHeight: 24 }
            }
        }
    }

    // A sheet lies over this screen, in place (not while it slides or is dragged).
    readonly property bool coveredBySheet: addSheet.covering || allPackagesSheet.covering

    MessageBar {
        id: undoBar
        objectName: "undoBar"
        actionText: "تراجع"
        duration: 6000
        onActionTriggered: page.undoDelete()
        onExpired: page.model.forgetDelete()
        Connections {
            target: page.model
            function onUndoDeleteChanged() {
                if (page.model.undoDeleteText !== "")
                    undoBar.show(page.model.undoDeleteText)
                else
                    undoBar.hide()
            }
        }
    }

    AddRepoView {
        id: addSheet
        contentModel: page.model
    }

    AllPackagesView {
        id: allPackagesSheet
        contentModel: page.model
    }

    AlertDialog {
        objectName: "alert"
        title: "تنبيه"
        message: page.model.alertMessage
        buttonText: "حسنًا"
        visible: page.model.showAlert
        onClosed: page.model.showAlert = false
    }
}
