pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Dialogs
import Vexlo

// The one window: the main screen at the root of a navigation stack.
ApplicationWindow {
    id: window
    width: 480
    // Tall, but never taller than the room the desktop leaves (panels, the title bar).
    height: Screen.desktopAvailableHeight > 0 ? Math.min(860, Screen.desktopAvailableHeight - 40) : 860
    visible: true
    title: "Vexlo"
    LayoutMirroring.enabled: true
    LayoutMirroring.childrenInherit: true
    color: SystemStyle.secondaryBackground
    Material.theme: Material.Light
    Material.accent: SystemStyle.accent
    Material.primary: SystemStyle.accent

    ContentViewModel {
        id: contentModel
        objectName: "contentModel"
    }
    // What a start asks for: this one's arguments now, a later start's when handed over.
    property var launchArguments: []
    function handleArguments(args) { transfer.handleArguments(args) }
    Component.onCompleted: Qt.callLater(() => transfer.handleArguments(window.launchArguments))

    SourceListTransfer {
        id: transfer
        objectName: "sourceListTransfer"
        contentModel: contentModel
    }
    FileDialog {
        id: importDialog
        title: "استيراد السورسات…"
        fileMode: FileDialog.OpenFile
        nameFilters: ["قوائم السورسات (*.list *.sources *.txt *.json)", "كل الملفات (*)"]
        onAccepted: transfer.importFrom(selectedFile)
    }
    FileDialog {
        id: exportDialog
        title: "تصدير السورسات…"
        fileMode: FileDialog.SaveFile
        // A name typed without a suffix takes the chosen form's, which decides what is written.
        defaultSuffix: selectedNameFilter.extensions.length > 0 ? selectedNameFilter.extensions[0] : "list"
        nameFilters: ["قائمة apt (*.list)", "deb822 (*.sources)", "عناوين (*.txt)", "JSON (*.json)"]
        onAccepted: transfer.exportTo(selectedFile)
    }

    // Escape goes back from a pushed screen; Ctrl+F finds the shown screen's search field.
    // An open alert, sheet or menu takes these keys first.
    Shortcut {
        sequence: "Escape"
        enabled: stack.depth > 1
        onActivated: stack.pop()
    }
    Shortcut {
        sequence: "Ctrl+F"
        onActivated: if (typeof stack.currentItem.focusSearch === "function") stack.currentItem.focusSearch()
    }

    header: NavigationBar {
        stack: stack
        visible: stack.depth > 1
    }

    StackView {
        id: stack
        anchors.fill: parent
        Accessible.name: currentItem && currentItem.title ? currentItem.title : "Vexlo"
        // Behind a sheet that covers it, the main screen is neither shown to a reader nor drawn
        // (the sheet leaves only a dimmed strip of the window above it).
        visible: !(depth === 1 && mainScreen.coveredBySheet)
        initialItem: ContentView {
            id: mainScreen
            objectName: "contentView"
            model: contentModel
            onRepoOpened: repoId => {
                const repo = contentModel.repoValue(repoId)
                if (repo !== undefined)
                    stack.push(repoDetail, { repo: repo, contentModel: contentModel, repoId: repoId,
                                             opener: window.activeFocusItem })
            }
            onUpdatesOpened: stack.push(updates, { contentModel: contentModel })
            onProfileRequested: contentModel.openProfile()
            onImportRequested: importDialog.open()
            onExportRequested: exportDialog.open()
        }
    }

    AnnouncementRegion {
        objectName: "announcements"
    }

    // What an action did (a copy, for one), over every screen and sheet.
    MessageBar {
        id: toast
        objectName: "toast"
        parent: Overlay.overlay
        z: 1000
        duration: 3000
        Connections {
            target: Announcer
            function onConfirmed(text) { toast.show(text) }
        }
    }

    Component {
        id: repoDetail
        RepoDetailView {}
    }
    Component {
        id: updates
        UpdatesView {}
    }
}
