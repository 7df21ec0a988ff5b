import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// One package in full, with its four actions (open or copy the download address, hand the
// package to Sileo, copy the share link) and, when it has a web page, a button that opens it.
Page {
    id: page
    // The package shown: a Package record (copied; the screen never changes it).
    required property var record

    title: viewModel.title
    Accessible.name: title
    // The control that pushed this screen: it has the focus again once the screen is gone.
    property Item opener: null
    StackView.onRemoved: if (opener) opener.forceActiveFocus(Qt.OtherFocusReason)

    PackageDetailViewModel {
        id: viewModel
        record: page.record
        onSileoMissing: sileoAlert.open()
        onOpenFailed: address => {
            openAlert.message = "لا يوجد تطبيق يفتح هذا الرابط:\n" + address
            openAlert.open()
        }
    }

    background: Rectangle { color: SystemStyle.background }

    // A control reached with the keyboard comes into view.
    Connections {
        target: page.Window.window
        function onActiveFocusItemChanged() {
            const item = page.Window.activeFocusItem
            let inside = item
            while (inside && inside !== column)
                inside = inside.parent
            if (!inside)
                return
            const top = item.mapToItem(column, 0, 0).y + column.y
            if (top < flick.contentY)
                flick.contentY = Math.max(0, top - SystemStyle.padding)
            else if (top + item.height > flick.contentY + flick.height)
                flick.contentY = Math.min(flick.contentHeight - flick.height, top + item.height + SystemStyle.padding - flick.height)
        }
    }

    Flickable {
        id: flick
        anchors.fill: parent
        contentHeight: column.implicitHeight + 2 * SystemStyle.padding
        clip: true
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded; Accessible.name: "تمرير صفحة الحزمة" }

        ColumnLayout {
            id: column
            x: SystemStyle.padding
            y: SystemStyle.padding
            width: flick.width - 2 * SystemStyle.padding
            spacing: 20

            CachedAsyncImage {
                objectName: "detailImage"
                url: viewModel.imageUrl
                Layout.fillWidth: true
                Layout.preferredHeight: 200
                SoftShadow { cornerRadius: 15; blur: 10; filled: false }
            }
            // The package's display name, when it has another one, above its identifier.
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 2
                RowLayout {
                    visible: viewModel.shortDisplayName !== ""
                    Layout.fillWidth: true
                    Item { implicitWidth: 20 }
                    Text {
                        objectName: "detailDisplayName"
                        Accessible.role: Accessible.StaticText
                        Accessible.name: AccessibleTexts.spoken(text)
                        Layout.fillWidth: true
                        text: BidirectionalText.field(viewModel.shownDisplayName)
                        font.pixelSize: SystemStyle.title2.pixelSize
                        font.weight: Font.Bold
                        color: SystemStyle.primary
                        horizontalAlignment: Text.AlignLeft
                        maximumLineCount: viewModel.expanded ? 1000 : 1
                        wrapMode: viewModel.expanded ? Text.Wrap : Text.NoWrap
                        elide: Text.ElideRight
                    }
                }
                RowLayout {
                    Layout.fillWidth: true
                    SymbolIcon { name: "app.fill"; color: SystemStyle.blue; size: 20 }
                    Text {
                        objectName: "detailName"
                        Accessible.role: Accessible.StaticText
                        Accessible.name: AccessibleTexts.spoken(text)
                        Layout.fillWidth: true
                        text: BidirectionalText.field(viewModel.shownName)
                        font.pixelSize: SystemStyle.title2.pixelSize
                        font.weight: Font.Bold
                        color: SystemStyle.primary
                        horizontalAlignment: Text.AlignLeft
                        maximumLineCount: viewModel.expanded ? 1000 : 1
                        wrapMode: viewModel.expanded ? Text.WrapAnywhere : Text.NoWrap
                        elide: Text.ElideRight
                    }
                }
            }
            SymbolLabel {
                objectName: "detailDescription"
                Layout.fillWidth: true
                symbol: "text.alignleft"
                symbolColor: SystemStyle.gray
                text: BidirectionalText.field(viewModel.shownDescription)
                font: SystemStyle.body
                maximumLineCount: viewModel.expanded ? 100000 : 3
            }
            // Shows the whole name and description in place, and the first view again.
            AbstractButton {
                id: more
                objectName: "moreButton"
                visible: viewModel.canExpand
                Layout.alignment: Qt.AlignLeft
                Layout.topMargin: -12
                padding: 4
                text: viewModel.expanded ? "أقل" : "المزيد"
                Accessible.role: Accessible.Button
                Accessible.name: text
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
                onClicked: viewModel.expanded = !viewModel.expanded
                FocusRing { cornerRadius: 6 }
                contentItem: Text {
                    text: more.text
                    font: SystemStyle.subheadline
                    color: SystemStyle.blue
                    Accessible.ignored: true
                }
            }
            ColumnLayout {
                spacing: 5
                Layout.fillWidth: true
                SymbolLabel {
                    objectName: "detailVersion"
                    Layout.fillWidth: true
                    symbol: "number"
                    symbolColor: SystemStyle.green
                    text: "الإصدار: " + BidirectionalText.field(viewModel.version)
                    font: SystemStyle.subheadline
                    maximumLineCount: 1000
                }
                SymbolLabel {
                    objectName: "detailSize"
                    Layout.fillWidth: true
                    symbol: "doc.fill"
                    symbolColor: SystemStyle.orange
                    text: "حجم الملف: " + BidirectionalText.field(viewModel.sizeText)
                    font: SystemStyle.subheadline
                    maximumLineCount: 1000
                }
                SymbolLabel {
                    objectName: "detailArchitecture"
                    Layout.fillWidth: true
                    symbol: "cpu.fill"
                    symbolColor: SystemStyle.purple
                    text: "البنية: " + BidirectionalText.field(viewModel.architecture)
                    font: SystemStyle.subheadline
                    maximumLineCount: 1000
                }
                SymbolLabel {
                    objectName: "detailAuthor"
                    visible: viewModel.author !== ""
                    Layout.fillWidth: true
                    symbol: "person.fill"
                    symbolColor: SystemStyle.blue
                    text: "المطور: " + BidirectionalText.field(viewModel.author)
                    font: SystemStyle.subheadline
                    maximumLineCount: 1000
                }
                SymbolLabel {
                    objectName: "detailSection"
                    visible: viewModel.section !== ""
                    Layout.fillWidth: true
                    symbol: "folder.fill"
                    symbolColor: SystemStyle.gray
                    text: "القسم: " + BidirectionalText.field(viewModel.section)
                    font: SystemStyle.subheadline
                    maximumLineCount: 1000
                }
            }
            RowLayout {
                objectName: "detailRating"
                visible: viewModel.hasRating
                // Read as its text, not as a row of stars.
                Accessible.role: Accessible.StaticText
                Accessible.name: AccessibleTexts.rating(viewModel.ratingText)
                Layout.fillWidth: true
                Text {
                    objectName: "detailRatingText"
                    text: AccessibleTexts.rating(BidirectionalText.field(viewModel.ratingText))
                    Accessible.ignored: true
                    font: SystemStyle.subheadline
                    color: SystemStyle.secondary
                }
                Item { Layout.fillWidth: true }
                Row {
                    objectName: "detailStars"
                    Repeater {
                        model: viewModel.starCount
                        SymbolIcon { name: "star.fill"; color: SystemStyle.yellow; size: SystemStyle.body.pixelSize }
                    }
                }
            }
            ActionButton {
                objectName: "downloadButton"
                Layout.fillWidth: true
                Layout.topMargin: 20
                symbol: "arrow.down.circle.fill"
                text: AccessibleTexts.download
                color: SystemStyle.blue
                onClicked: viewModel.download()
            }
            ActionButton {
                objectName: "copyDownloadLinkButton"
                Layout.fillWidth: true
                Layout.topMargin: 20
                symbol: "doc.on.doc.fill"
                text: AccessibleTexts.copyDownloadLink
                color: SystemStyle.green
                onClicked: viewModel.copyDownloadLink()
            }
            ActionButton {
                objectName: "sileoButton"
                Layout.fillWidth: true
                Layout.topMargin: 20
                symbol: "arrow.up.forward.app.fill"
                text: AccessibleTexts.openInSileo
                color: SystemStyle.purple
                onClicked: viewModel.openInSileo()
            }
            ActionButton {
                objectName: "copyShareLinkButton"
                Layout.fillWidth: true
                Layout.topMargin: 20
                symbol: "link"
                text: AccessibleTexts.copyShareLink
                color: SystemStyle.orange
                onClicked: viewModel.copyShareLink()
            }
            ActionButton {
                objectName: "depictionButton"
                visible: viewModel.hasDepiction
                Layout.fillWidth: true
                Layout.topMargin: 20
                symbol: "globe"
                text: AccessibleTexts.packagePage
                color: SystemStyle.indigo
                onClicked: viewModel.openDepiction()
            }
        }
    }

    AlertDialog {
        id: sileoAlert
        objectName: "sileoAlert"
        title: "Sileo غير مثبت"
        message: "يرجى تثبيت Sileo لفتح الحزمة."
        buttonText: "حسنًا"
        secondaryButtonText: "نسخ رابط الحزمة"
        onSecondary: viewModel.copySileoLink()
    }

    AlertDialog {
        id: openAlert
        objectName: "openAlert"
        title: "تعذر فتح الرابط"
        buttonText: "حسنًا"
    }
}
