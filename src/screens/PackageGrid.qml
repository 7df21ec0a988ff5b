pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Vexlo

// The grid of package cards: as many columns of at least 300 points as the width allows,
// rows 20 apart, cards made only while in view. A tap on a card pushes the package detail
// screen onto stackView.
GridView {
    id: grid
    required property PackageListModel packages
    property StackView stackView
    // Whether cards may carry a rating row: every cell is as high as the highest card.
    property bool anyRated: false

    readonly property real minimumColumnWidth: 300
    readonly property real columnSpacing: 8
    readonly property real rowSpacing: 20
    readonly property real sidePadding: SystemStyle.padding
    readonly property int columns: Math.max(1, Math.floor((width - 2 * sidePadding + columnSpacing)
                                                          / (minimumColumnWidth + columnSpacing)))
    readonly property real cardWidth: (width - 2 * sidePadding - (columns - 1) * columnSpacing) / columns
    readonly property real cardHeight: measure.implicitHeight

    // Brings a row's card to the top (as far as the content allows), animated.
    function scrollToRow(row, duration, easingType) {
        scroll.stop()
        const from = contentY
        positionViewAtIndex(row, GridView.Beginning)
        const to = contentY
        contentY = from
        scroll.from = from
        scroll.to = to
        scroll.duration = duration
        scroll.easing.type = easingType
        scroll.start()
    }

    function openPackage(row) {
        if (stackView)
            stackView.push(Qt.resolvedUrl("PackageDetailView.qml"), { record: packages.record(row) })
    }

    model: packages
    clip: true
    reuseItems: true
    boundsBehavior: Flickable.DragOverBounds
    bottomMargin: sidePadding
    // Cells split the whole width; each card sits in its cell where the side padding and the
    // column spacing put it.
    cellWidth: Math.floor(width / columns)
    cellHeight: cardHeight + rowSpacing
    ScrollBar.vertical: ScrollBar {}

    NumberAnimation {
        id: scroll
        target: grid
        property: "contentY"
    }

    // Never shown: gives the height of the highest card a cell has to hold.
    PackageCard {
        id: measure
        visible: false
        width: grid.cardWidth
        hasRating: grid.anyRated
        starCount: 1
    }

    delegate: Item {
        id: cell
        required property int index
        required property string name
        required property string packageDescription
        required property string version
        required property string sizeText
        required property string architecture
        required property bool hasRating
        required property string ratingText
        required property int starCount
        required property string imageUrl

        width: grid.cellWidth
        height: grid.cellHeight

        PackageCard {
            readonly property int column: Math.round(cell.x / grid.cellWidth)
            x: grid.sidePadding + column * (grid.cardWidth + grid.columnSpacing) - cell.x
            y: (grid.cardHeight - height) / 2
            width: grid.cardWidth
            name: cell.name
            packageDescription: cell.packageDescription
            version: cell.version
            sizeText: cell.sizeText
            architecture: cell.architecture
            hasRating: cell.hasRating
            ratingText: cell.ratingText
            starCount: cell.starCount
            imageUrl: cell.imageUrl
            onClicked: grid.openPackage(cell.index)
        }
    }
}
