import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// The packages of every source in one grid, as a sheet with its own navigation: a card pushes
// the package inside the sheet. Its search field edits the main screen's search text, so the
// two screens always search with the same text.
Sheet {
    id: sheet
    objectName: "allPackagesSheet"
    required property ContentViewModel contentModel
    readonly property AllPackagesViewModel viewModel: viewModel
    readonly property StackView stackView: stack

    shown: contentModel.showAllPackages
    title: AccessibleTexts.allPackages
    onDismissed: contentModel.showAllPackages = false
    // Every opening starts at the grid, its first card holding the keys (Page Down, End),
    // or the search field while there is no card.
    onClosed: stack.pop(null, StackView.Immediate)
    onOpened: {
        if (viewModel.packages.count > 0)
            grid.focusCard(0)
        else
            stack.currentItem.focusSearch()
    }

    AllPackagesViewModel {
        id: viewModel
        contentModel: sheet.contentModel
        onScrollRequested: row => grid.scrollToRow(row, 350, Easing.InOutQuad)
    }

    // Escape goes back to the grid first; on the grid the sheet closes.
    Shortcut {
        sequence: "Escape"
        enabled: sheet.opened && stack.depth > 1
        onActivated: stack.pop()
    }
    Shortcut {
        sequence: "Ctrl+F"
        enabled: sheet.opened && stack.depth === 1
        onActivated: stack.currentItem.focusSearch()
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0
        Accessible.role: Accessible.Dialog
        Accessible.name: AccessibleTexts.allPackages
        LayoutMirroring.enabled: sheet.mirroredLayout
        LayoutMirroring.childrenInherit: true

        // The sheet's own navigation bar: back while a package is shown, and the title.
        Item {
            Layout.fillWidth: true
            implicitHeight: Math.max(44, titleLabel.implicitHeight + 16)
            ToolButton {
                objectName: "backButton"
                Accessible.name: AccessibleTexts.back
                Accessible.onPressAction: clicked()
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
                FocusRing {}
                visible: stack.depth > 1
                anchors.left: parent.left
                anchors.leftMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                background: null
                // The arrow points towards the leading edge.
                contentItem: SymbolIcon {
                    name: "chevron.backward"
                    color: SystemStyle.blue
                    size: 28
                    rotation: sheet.mirroredLayout ? 180 : 0
                }
                onClicked: stack.pop()
            }
            Text {
                id: titleLabel
                objectName: "sheetTitle"
                Accessible.role: Accessible.Heading
                Accessible.name: AccessibleTexts.spoken(text)
                anchors.centerIn: parent
                width: parent.width - 96
                horizontalAlignment: Text.AlignHCenter
                elide: Text.ElideRight
                text: stack.currentItem ? BidirectionalText.field(stack.currentItem.title) : ""
                font: SystemStyle.headline
                color: SystemStyle.primary
            }
        }

        StackView {
            id: stack
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            initialItem: Page {
                title: viewModel.title
                Accessible.name: title
                background: Rectangle { color: SystemStyle.background }
                function focusSearch() { search.forceActiveFocus(Qt.ShortcutFocusReason) }

                header: Item {
                    implicitHeight: search.implicitHeight + 16
                    SearchField {
                        id: search
                        objectName: "searchField"
                        anchors.fill: parent
                        anchors.leftMargin: SystemStyle.padding
                        anchors.rightMargin: SystemStyle.padding
                        anchors.topMargin: 4
                        anchors.bottomMargin: 12
                        placeholderText: "ابحث عن الحزم"
                        topPadding: 0
                        bottomPadding: 0
                        verticalAlignment: TextInput.AlignVCenter
                        text: viewModel.searchText
                        onTextEdited: viewModel.searchText = text
                    }
                }

                PackageGrid {
                    id: grid
                    objectName: "packageGrid"
                    anchors.fill: parent
                    packages: viewModel.packages
                    stackView: stack

                    header: Item {
                        width: grid.width
                        implicitHeight: headerLine.implicitHeight + 8 + SystemStyle.padding
                        RowLayout {
                            id: headerLine
                            anchors.fill: parent
                            anchors.topMargin: 8
                            anchors.bottomMargin: SystemStyle.padding
                            anchors.leftMargin: SystemStyle.padding
                            anchors.rightMargin: SystemStyle.padding
                            Text {
                                objectName: "countLine"
                                Accessible.role: Accessible.StaticText
                                Accessible.name: text
                                Layout.fillWidth: true
                                horizontalAlignment: Text.AlignLeft
                                text: viewModel.countText
                                font: SystemStyle.subheadline
                                color: SystemStyle.secondary
                            }
                            OrderMenuButton {
                                objectName: "orderMenuButton"
                                names: viewModel.orderNames
                                current: viewModel.order
                                onActivated: order => viewModel.order = order
                            }
                        }
                    }
                }

                // A search that matches nothing says so, with the way out.
                ColumnLayout {
                    objectName: "noResults"
                    visible: viewModel.packages.count === 0 && viewModel.searchText !== ""
                    anchors.centerIn: parent
                    width: parent.width - 2 * SystemStyle.padding
                    spacing: 12
                    Label {
                        objectName: "noResultsText"
                        Layout.fillWidth: true
                        horizontalAlignment: Text.AlignHCenter
                        wrapMode: Text.Wrap
                        text: "لا توجد نتائج لـ «" + BidirectionalText.isolated(viewModel.searchText) + "»"
                        font: SystemStyle.body
                        color: SystemStyle.secondary
                    }
                    Button {
                        objectName: "clearSearchButton"
                        Layout.alignment: Qt.AlignHCenter
                        text: "مسح البحث"
                        Accessible.name: text
                        FocusRing {}
                        onClicked: viewModel.searchText = ""
                    }
                }
            }
        }
    }
}
