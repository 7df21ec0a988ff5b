import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// The packages of one source: a search over their names, a choice of architecture and one of
// section, the count of what passes all three, the grid of cards and a button back to the top.
Page {
    id: page
    // The source shown: a Repo record (copied; the screen never changes it).
    required property var repo
    // When given, the screen follows the source with this id in the main screen's list.
    property ContentViewModel contentModel
    property string repoId

    title: viewModel.title
    Accessible.name: title
    // The control that pushed this screen: it has the focus again once the screen is gone.
    property Item opener: null
    StackView.onRemoved: if (opener) opener.forceActiveFocus(Qt.OtherFocusReason)

    function focusSearch() { search.forceActiveFocus(Qt.ShortcutFocusReason) }

    RepoDetailViewModel {
        id: viewModel
        repo: page.repo
        contentModel: page.contentModel
        repoId: page.repoId
        // To the very top: the search's header (segments, sections, count) stays in view.
        // A search goes there at once, so the filters never leave the view while typing.
        onScrollRequested: eased => eased ? grid.scrollToRow(-1, 500, Easing.InOutQuad) : grid.toTop()
    }

    background: Rectangle { color: SystemStyle.background }

    header: Rectangle {
        color: SystemStyle.background
        implicitHeight: search.implicitHeight + 16
        SearchField {
            id: search
            objectName: "searchField"
            anchors.fill: parent
            anchors.leftMargin: SystemStyle.padding
            anchors.rightMargin: SystemStyle.padding
            anchors.bottomMargin: 8
            anchors.topMargin: 8
            placeholderText: "بحث"
            text: viewModel.searchText
            onTextEdited: viewModel.searchText = text
        }
        // Thin, under the search, while the source is being refreshed.
        ProgressBar {
            objectName: "sourceRefreshBar"
            Accessible.ignored: true
            visible: viewModel.isUpdating
            indeterminate: true
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            height: 3
            padding: 0
        }
    }

    PackageGrid {
        id: grid
        objectName: "packageGrid"
        anchors.fill: parent
        packages: viewModel.packages
        stackView: page.StackView.view
        onContentYChanged: viewModel.setContentTop(originY - contentY)
        onOriginYChanged: viewModel.setContentTop(originY - contentY)

        header: ColumnLayout {
            width: grid.width
            spacing: 8
            Label {
                objectName: "releaseDescription"
                visible: text.length > 0
                Layout.fillWidth: true
                Layout.leftMargin: SystemStyle.padding
                Layout.rightMargin: SystemStyle.padding
                Layout.topMargin: SystemStyle.padding
                text: BidirectionalText.isolated(viewModel.releaseDescription)
                horizontalAlignment: Text.AlignLeft
                wrapMode: Text.Wrap
                font: SystemStyle.subheadline
                color: SystemStyle.secondary
            }
            Label {
                objectName: "indexMismatchNote"
                visible: viewModel.indexMismatch
                Layout.fillWidth: true
                Layout.leftMargin: SystemStyle.padding
                Layout.rightMargin: SystemStyle.padding
                text: "الفهرس لا يطابق ملف Release"
                horizontalAlignment: Text.AlignLeft
                wrapMode: Text.Wrap
                font: SystemStyle.caption
                color: SystemStyle.orange
            }
            // With large text the section menu takes a line of its own under the segments.
            SourceFacts {
                objectName: "sourceFacts"
                Layout.fillWidth: true
                Layout.leftMargin: SystemStyle.padding
                Layout.rightMargin: SystemStyle.padding
                Layout.topMargin: SystemStyle.padding
                address: viewModel.address
                failureReason: viewModel.failureReason
                onCopyRequested: viewModel.copyAddress()
                onRetryRequested: viewModel.retry()
            }
            GridLayout {
                id: choosers
                Layout.fillWidth: true
                Layout.margins: SystemStyle.padding
                columns: SystemStyle.textScale > 1.3 ? 1 : 3
                columnSpacing: 8
                rowSpacing: 8
                SegmentedPicker {
                    objectName: "architecturePicker"
                    Layout.fillWidth: true
                    // Segments that would be cut beside the menus take a line of their own.
                    Layout.columnSpan: naturalWidth + (sectionMenu.visible ? sectionMenu.implicitWidth + 8 : 0)
                                       + orderMenu.implicitWidth + 8 > choosers.width ? choosers.columns : 1
                    model: viewModel.availableArchitectures
                    current: viewModel.selectedArchitecture
                    textOf: value => viewModel.architectureText(value)
                    onActivated: value => viewModel.selectedArchitecture = value
                }
                // Only for a source whose packages name their sections.
                SectionMenuButton {
                    id: sectionMenu
                    objectName: "sectionMenuButton"
                    visible: choices.length > 1
                    Layout.alignment: Qt.AlignLeft
                    choices: viewModel.sectionChoices
                    text: viewModel.selectedSectionText
                    onActivated: name => viewModel.selectedSection = name
                }
                OrderMenuButton {
                    id: orderMenu
                    objectName: "orderMenuButton"
                    Layout.alignment: Qt.AlignLeft
                    names: viewModel.orderNames
                    current: viewModel.order
                    onActivated: order => viewModel.order = order
                }
            }
            RowLayout {
                Layout.alignment: Qt.AlignHCenter
                Layout.topMargin: 8
                Layout.bottomMargin: SystemStyle.padding
                spacing: 6
                SymbolIcon { name: "doc.text"; color: SystemStyle.red; size: SystemStyle.subheadline.pixelSize }
                Text {
                    objectName: "countLine"
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    text: viewModel.countText
                    font: SystemStyle.subheadline
                    color: SystemStyle.secondary
                }
            }
            Label {
                objectName: "noResults"
                visible: viewModel.packages.count === 0
                Layout.alignment: Qt.AlignHCenter
                Layout.bottomMargin: SystemStyle.padding
                text: "لا توجد نتائج"
                font: SystemStyle.body
                color: SystemStyle.secondary
            }
        }
    }

    ScrollToTopButton {
        objectName: "scrollToTopButton"
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.rightMargin: 20
        anchors.bottomMargin: 20
        shown: viewModel.showScrollToTopButton
        spinning: viewModel.isButtonAnimating
        onClicked: viewModel.scrollToTop()
    }
}
