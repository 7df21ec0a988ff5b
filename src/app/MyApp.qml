pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import Vexlo

// The one window: the main screen at the root of a navigation stack.
ApplicationWindow {
    id: window
    width: 480
    height: 860
    visible: true
    title: "Vexlo"
    LayoutMirroring.enabled: true
    LayoutMirroring.childrenInherit: true
    color: Theme.groupedBackground
    Material.theme: Material.Light
    Material.accent: Theme.accent
    Material.primary: Theme.accent

    ContentViewModel {
        id: contentModel
    }

    StackView {
        id: stack
        anchors.fill: parent
        initialItem: ContentView {
            model: contentModel
            onRepoOpened: repoId => stack.push(repoPage, { title: contentModel.repoName(repoId) })
            onProfileRequested: contentModel.openProfile()
        }
    }

    Component {
        id: repoPage
        Page {
            header: ToolBar {
                ToolButton { text: "‹"; onClicked: stack.pop() }
                Label { anchors.centerIn: parent; text: parent.parent.title; font.bold: true }
            }
        }
    }
}
