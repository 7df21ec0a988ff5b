pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Vexlo

// The grid of package cards: as many columns of at least 300 points as the width allows,
// rows 20 apart, each row as tall as its highest card, cards made only while in view. A tap
// on a card pushes the package detail screen onto stackView.
ListView {
    id: grid
    required property PackageListModel packages
    property StackView stackView

    readonly property real minimumColumnWidth: 300
    readonly property real columnSpacing: 8
    readonly property real rowSpacing: 20
    readonly property real sidePadding: SystemStyle.padding
    readonly property int columns: Math.max(1, Math.floor((width - 2 * sidePadding + columnSpacing)
                                                          / (minimumColumnWidth + columnSpacing)))
    readonly property real cardWidth: (width - 2 * sidePadding - (columns - 1) * columnSpacing) / columns

    // Brings the row of this package row's card to the top (as far as the content allows),
    // animated; a row below 0 brings the very top, the header included.
    function scrollToRow(row, duration, easingType) {
        scroll.stop()
        scroll.row = row < 0 ? -1 : rows.rowOf(row)
        const from = contentY
        scroll.settle()
        const to = contentY
        contentY = from
        scroll.from = from
        scroll.to = to
        scroll.duration = duration
        scroll.easing.type = easingType
        scroll.start()
    }

    // The very top, the header included, at once.
    function toTop() {
        scroll.stop()
        positionViewAtBeginning()
    }

    // Gives the keyboard focus to the card of this package row, scrolled into view; a row
    // outside the list leaves the focus where it is.
    function focusCard(row) {
        if (row < 0 || row >= packages.count)
            return
        const line = rows.rowOf(row)
        positionViewAtIndex(line, ListView.Contain)
        const lineItem = itemAtIndex(line)
        if (!lineItem)
            return
        const cards = lineItem.cardItems.children
        for (let i = 0; i < cards.length; ++i) {
            const card = cards[i]
            if (card.packageRow === row) {
                card.forceActiveFocus(Qt.TabFocusReason)
                return
            }
        }
    }

    // A row that no longer exists opens nothing.
    function openPackage(row) {
        const record = packages.record(row)
        if (stackView && record !== undefined)
            stackView.push(Qt.resolvedUrl("../packagedetail/PackageDetailView.qml"),
                           { record: record, opener: grid.Window.activeFocusItem })
    }

    // Page Up/Down move the focus a view's height of rows, in the same column; Home and End
    // to the first and the last card. The view follows the focus.
    Keys.onPressed: event => {
        const card = Window.activeFocusItem
        if (!card || card.packageRow === undefined
                || ![Qt.Key_PageUp, Qt.Key_PageDown, Qt.Key_Home, Qt.Key_End].includes(event.key))
            return
        const rowsPerPage = Math.max(1, Math.floor(height / (card.height + rowSpacing)))
        const step = rowsPerPage * columns
        const last = packages.count - 1
        let target = card.packageRow
        if (event.key === Qt.Key_Home)
            target = 0
        else if (event.key === Qt.Key_End)
            target = last
        else if (event.key === Qt.Key_PageDown)
            target = Math.min(last, target + step)
        else
            target = Math.max(0, target - step)
        focusCard(target)
        event.accepted = true
    }

    readonly property PackageRowModel rowModel: rows
    model: PackageRowModel {
        id: rows
        packages: grid.packages
        columns: grid.columns
        // What a reset of the view would do: back to the top, a card's focus to the grid.
        onReplaced: {
            const focused = grid.Window.activeFocusItem
            if (grid.activeFocus && focused !== grid && focused.packageRow !== undefined)
                grid.forceActiveFocus(Qt.OtherFocusReason)
            grid.toTop()
        }
    }
    spacing: rowSpacing
    clip: true
    boundsBehavior: Flickable.DragOverBounds
    bottomMargin: sidePadding
    ScrollBar.vertical: ScrollBar { Accessible.name: "تمرير الحزم" }

    NumberAnimation {
        id: scroll
        // The grid row to end at. Rows laid out on the way may differ in height from the
        // estimate the way was computed with, so the end is settled on that row.
        property int row: -1
        target: grid
        property: "contentY"
        function settle() {
            if (row < 0)
                grid.positionViewAtBeginning()
            else
                grid.positionViewAtIndex(row, ListView.Beginning)
        }
        onFinished: settle()
    }

    delegate: Item {
        id: cardRow
        required property var cards
        readonly property Item cardItems: line

        width: grid.width
        height: line.height

        // Lays the cards out from the leading edge; each sits in the middle of the row's height.
        Row {
            id: line
            anchors.left: parent.left
            anchors.leftMargin: grid.sidePadding
            spacing: grid.columnSpacing
            // One card per column, kept while the row shows other packages: a change of the
            // packages only rebinds the cards' texts, never makes them anew.
            Repeater {
                model: grid.columns
                PackageCard {
                    required property int index
                    readonly property var modelData: cardRow.cards[index]
                    objectName: "packageCard"
                    visible: modelData !== undefined
                    y: (line.height - height) / 2
                    width: grid.cardWidth
                    name: modelData?.name ?? ""
                    packageDescription: modelData?.packageDescription ?? ""
                    version: modelData?.version ?? ""
                    sizeText: modelData?.sizeText ?? ""
                    architecture: modelData?.architecture ?? ""
                    hasRating: modelData?.hasRating ?? false
                    ratingText: modelData?.ratingText ?? ""
                    starCount: modelData?.starCount ?? 0
                    imageUrl: modelData?.imageUrl ?? ""
                    displayName: modelData?.displayName ?? ""
                    mark: modelData?.mark ?? ""
                    packageRow: modelData?.row ?? -1
                    // The card that opened the package has the focus when it is closed again.
                    onClicked: {
                        forceActiveFocus(Qt.OtherFocusReason)
                        grid.openPackage(packageRow)
                    }
                    // A card reached with Tab comes into view.
                    onActiveFocusChanged: if (activeFocus) grid.positionViewAtIndex(grid.rowModel.rowOf(packageRow), ListView.Contain)
                    onMoveRequested: (down, across) => {
                        const target = across !== 0 ? packageRow + across : packageRow + down * grid.columns
                        // Across stays within the grid row.
                        if (across === 0 || grid.rowModel.rowOf(target) === grid.rowModel.rowOf(packageRow))
                            grid.focusCard(target)
                    }
                }
            }
        }
    }
}
