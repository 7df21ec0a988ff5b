import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// One package as a tile of a package grid. The whole tile is one button; the grid decides
// what a tap opens.
AbstractButton {
    id: card
    property string name
    property string packageDescription
    property string version
    property string sizeText
    property string architecture
    property bool hasRating
    property string ratingText
    property int starCount
    property string imageUrl
    // Shown above the name when not empty.
    property string displayName
    // "جديد" or "مُحدَّث" for a package that came with its source's latest news, else empty.
    property string mark

    padding: SystemStyle.padding
    implicitWidth: 300
    implicitHeight: implicitContentHeight + topPadding + bottomPadding
    hoverEnabled: false
    // Which package of the grid's list this is.
    property int packageRow: -1
    // Arrow keys move to the neighbouring card: grid rows and columns as they lie on screen.
    signal moveRequested(int rows, int columns)
    Accessible.name: AccessibleTexts.marked(AccessibleTexts.card(displayName, name, version, sizeText, architecture, hasRating ? ratingText : ""), mark)
    Accessible.onPressAction: clicked()
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    Keys.onUpPressed: moveRequested(-1, 0)
    Keys.onDownPressed: moveRequested(1, 0)
    Keys.onLeftPressed: moveRequested(0, mirrored ? 1 : -1)
    Keys.onRightPressed: moveRequested(0, mirrored ? -1 : 1)
    FocusRing { cornerRadius: 15 }

    background: Rectangle {
        radius: 15
        gradient: Gradient {
            GradientStop { position: 0; color: SystemStyle.background }
            GradientStop { position: 1; color: SystemStyle.secondaryBackground }
        }
        PictureShadow { cornerRadius: 15 }
    }

    // At the trailing top corner, across from the picture.
    Label {
        objectName: "cardMark"
        visible: card.mark !== ""
        Accessible.ignored: true
        anchors.top: parent.top
        anchors.right: parent.right
        anchors.topMargin: card.topPadding
        anchors.rightMargin: card.rightPadding
        leftPadding: 8
        rightPadding: 8
        topPadding: 2
        bottomPadding: 2
        text: card.mark
        font: SystemStyle.caption
        color: SystemStyle.white
        background: Rectangle { radius: height / 2; color: SystemStyle.indigo }
    }

    contentItem: ColumnLayout {
        spacing: 10

        CachedAsyncImage {
            objectName: "cardImage"
            url: card.imageUrl
            Layout.preferredWidth: 120
            Layout.preferredHeight: 120
            Layout.alignment: Qt.AlignLeft
            PictureShadow { cornerRadius: 10 }
        }
        RowLayout {
            visible: card.displayName !== ""
            Layout.fillWidth: true
            spacing: 6
            Item { implicitWidth: SystemStyle.headline.pixelSize }
            Text {
                objectName: "cardDisplayName"
                Layout.fillWidth: true
                text: BidirectionalText.field(card.displayName)
                font: SystemStyle.headline
                color: SystemStyle.primary
                horizontalAlignment: Text.AlignLeft
                elide: Text.ElideRight
                // Large text wraps the name rather than cutting it.
                wrapMode: facts.stacked ? Text.Wrap : Text.NoWrap
                maximumLineCount: facts.stacked ? 3 : 1
            }
        }
        SymbolLabel {
            readable: false
            objectName: "cardName"
            Layout.fillWidth: true
            symbol: "app.fill"
            symbolColor: SystemStyle.blue
            text: BidirectionalText.field(card.name)
            font: SystemStyle.headline
            color: SystemStyle.primary
            maximumLineCount: facts.stacked ? 3 : 1
        }
        SymbolLabel {
            readable: false
            objectName: "cardDescription"
            Layout.fillWidth: true
            symbol: "text.alignleft"
            symbolColor: SystemStyle.gray
            text: BidirectionalText.field(card.packageDescription)
            font: SystemStyle.subheadline
            maximumLineCount: 2
        }
        // Version, size and architecture share a line; with large text each takes lines of its
        // own rather than being cut.
        GridLayout {
            id: facts
            readonly property bool stacked: SystemStyle.textScale > 1.3
            Layout.fillWidth: true
            columns: stacked ? 1 : 5
            rowSpacing: 4
            columnSpacing: 5
            SymbolLabel {
                readable: false
                objectName: "cardVersion"
                Layout.fillWidth: facts.stacked
                symbol: "number"
                symbolColor: SystemStyle.green
                text: "الإصدار: " + BidirectionalText.field(card.version)
                font: SystemStyle.caption
                minimumScale: facts.stacked ? 1 : 0.7
                maximumLineCount: facts.stacked ? 4 : 1
            }
            Item { visible: !facts.stacked; Layout.fillWidth: true }
            Text {
                objectName: "cardSize"
                Layout.fillWidth: true
                Layout.maximumWidth: facts.stacked ? -1 : implicitWidth
                text: "حجم الملف: " + BidirectionalText.field(card.sizeText)
                font: SystemStyle.caption
                color: SystemStyle.secondary
                horizontalAlignment: Text.AlignLeft
                wrapMode: facts.stacked ? Text.Wrap : Text.NoWrap
                elide: facts.stacked ? Text.ElideNone : Text.ElideRight
                fontSizeMode: facts.stacked ? Text.FixedSize : Text.HorizontalFit
                minimumPixelSize: Math.ceil(font.pixelSize * 0.7)
            }
            Item { visible: !facts.stacked; Layout.fillWidth: true }
            SymbolLabel {
                readable: false
                objectName: "cardArchitecture"
                Layout.fillWidth: facts.stacked
                symbol: "cpu.fill"
                symbolColor: SystemStyle.purple
                text: "البنية: " + BidirectionalText.field(card.architecture)
                font: SystemStyle.caption
                minimumScale: facts.stacked ? 1 : 0.7
                maximumLineCount: facts.stacked ? 4 : 1
            }
        }
        RowLayout {
            objectName: "cardRating"
            visible: card.hasRating
            Accessible.role: Accessible.StaticText
            Accessible.name: AccessibleTexts.rating(card.ratingText)
            Layout.fillWidth: true
            Text {
                objectName: "cardRatingText"
                text: AccessibleTexts.rating(BidirectionalText.field(card.ratingText))
                Accessible.ignored: true
                font: SystemStyle.caption
                color: SystemStyle.secondary
            }
            Item { Layout.fillWidth: true }
            Row {
                objectName: "cardStars"
                Repeater {
                    model: card.starCount
                    SymbolIcon { name: "star.fill"; color: SystemStyle.yellow; size: SystemStyle.caption.pixelSize }
                }
            }
        }
    }
}
