pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// What came new or updated to any source in the last week, newest first, under a heading
// for each day. An entry opens its package.
Page {
    id: page
    required property ContentViewModel contentModel

    title: viewModel.title
    background: Rectangle { color: SystemStyle.secondaryBackground }

    UpdatesViewModel {
        id: viewModel
        contentModel: page.contentModel
    }

    function openPackage(row) {
        const record = viewModel.data(viewModel.index(row, 0), UpdatesViewModel.RecordRole)
        if (record !== undefined)
            page.StackView.view.push(Qt.resolvedUrl("../packagedetail/PackageDetailView.qml"), { record: record })
    }

    Label {
        objectName: "emptyNote"
        visible: viewModel.count === 0
        anchors.centerIn: parent
        width: parent.width - 64
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.Wrap
        text: "لا مستجدات في الأيام السبعة الأخيرة"
        font: SystemStyle.subheadline
        color: SystemStyle.secondary
    }

    ListView {
        id: list
        objectName: "updatesList"
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        clip: true
        model: viewModel
        spacing: 0
        keyNavigationEnabled: true
        activeFocusOnTab: true
        bottomMargin: 24
        ScrollBar.vertical: ScrollBar {}
        Component.onCompleted: if (count > 0) forceActiveFocus()

        delegate: Column {
            id: entry
            required property int index
            required property string name
            required property string version
            required property string architecture
            required property string sourceName
            required property string mark
            required property string day
            required property bool firstOfDay
            required property string imageUrl
            width: list.width

            SectionHeader {
                objectName: "dayHeader"
                visible: entry.firstOfDay
                width: parent.width
                text: entry.day
            }
            ItemDelegate {
                objectName: "updateEntry"
                width: parent.width
                padding: 10
                focusPolicy: Qt.NoFocus
                highlighted: entry.ListView.isCurrentItem && list.activeFocus
                Accessible.role: Accessible.ListItem
                Accessible.onPressAction: clicked()
                Accessible.name: AccessibleTexts.marked(entry.name + "، " + "الإصدار: " + entry.version + "، " + (entry.architecture === "" ? "" : entry.architecture + "، ") + entry.sourceName, entry.mark)
                onClicked: {
                    list.currentIndex = entry.index
                    page.openPackage(entry.index)
                }
                background: Rectangle {
                    color: parent.pressed ? SystemStyle.fill : SystemStyle.background
                    FocusRing { visible: parent.parent.highlighted; outset: -2; cornerRadius: 0 }
                }
                contentItem: RowLayout {
                    spacing: 10
                    RoundedImage {
                        Accessible.ignored: true
                        radius: 8
                        url: entry.imageUrl
                        Layout.preferredWidth: 44
                        Layout.preferredHeight: 44
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2
                        Label {
                            Layout.fillWidth: true
                            horizontalAlignment: Text.AlignLeft
                            elide: Text.ElideRight
                            text: BidirectionalText.field(entry.name)
                            font: SystemStyle.headline
                            color: SystemStyle.primary
                        }
                        Label {
                            objectName: "entryDetail"
                            Layout.fillWidth: true
                            horizontalAlignment: Text.AlignLeft
                            // Each datum in its own direction ("1.1-8" stays so); the architecture
                            // tells apart the entries of one package built for several.
                            wrapMode: Text.Wrap
                            text: "الإصدار: " + BidirectionalText.field(entry.version)
                                  + (entry.architecture === "" ? "" : " · " + BidirectionalText.field(entry.architecture))
                                  + " · " + BidirectionalText.field(entry.sourceName)
                            font: SystemStyle.caption
                            color: SystemStyle.secondary
                        }
                    }
                    Label {
                        objectName: "entryMark"
                        leftPadding: 8
                        rightPadding: 8
                        topPadding: 2
                        bottomPadding: 2
                        text: entry.mark
                        font: SystemStyle.caption
                        color: SystemStyle.white
                        background: Rectangle { radius: height / 2; color: SystemStyle.indigo }
                    }
                }
            }
        }
        Keys.onReturnPressed: if (currentIndex >= 0) page.openPackage(currentIndex)
        Keys.onEnterPressed: if (currentIndex >= 0) page.openPackage(currentIndex)
    }
}
