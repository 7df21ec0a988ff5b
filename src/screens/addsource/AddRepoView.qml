pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Vexlo

// The sheet in which the addresses of new sources are typed or pasted, one per line or
// separated by blanks. Save starts the add-source flow; the sheet closes itself when it ends,
// and every message goes to the main screen's alert.
Sheet {
    id: sheet
    objectName: "addRepoSheet"
    required property ContentViewModel contentModel
    readonly property AddRepoViewModel viewModel: viewModel

    shown: contentModel.showingAddRepo
    title: sheetTitleLabel.text
    onDismissed: contentModel.showingAddRepo = false
    onAboutToShow: {
        viewModel.reset()
        field.forceActiveFocus()
    }

    AddRepoViewModel {
        id: viewModel
        contentModel: sheet.contentModel
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 8
        Accessible.role: Accessible.Dialog
        Accessible.name: sheetTitleLabel.text
        LayoutMirroring.enabled: sheet.mirroredLayout
        LayoutMirroring.childrenInherit: true

        Text {
            id: sheetTitleLabel
            objectName: "sheetTitle"
            Accessible.role: Accessible.Heading
            Accessible.name: text
            Layout.fillWidth: true
            Layout.leftMargin: SystemStyle.padding
            Layout.rightMargin: SystemStyle.padding
            Layout.topMargin: 8
            text: "إضافة سورس جديد"
            wrapMode: Text.Wrap
            font: SystemStyle.largeTitle
            color: SystemStyle.primary
            horizontalAlignment: Text.AlignLeft
        }

        // The input row: the field, with the clear button over its trailing end.
        ScrollView {
            id: input
            Layout.fillWidth: true
            Layout.leftMargin: SystemStyle.padding
            Layout.rightMargin: SystemStyle.padding
            Layout.topMargin: SystemStyle.padding
            Layout.preferredHeight: Math.min(Math.max(field.implicitHeight, 36), 180 * SystemStyle.textScale)
            Accessible.name: "عناوين السورسات"
            ScrollBar.horizontal.visible: false
            ScrollBar.vertical: ScrollBar {
                parent: input
                x: input.mirrored ? 0 : input.width - width
                y: input.topPadding
                height: input.availableHeight
                Accessible.name: "تمرير العناوين"
            }
            FocusRing { outset: 2; cornerRadius: 5 }

            TextArea {
                id: field
                objectName: "addressField"
                placeholderText: "أدخل روابط السورسات (كل سورس في سطر)"
                placeholderTextColor: Qt.rgba(0.235, 0.235, 0.263, 0.3)
                font: SystemStyle.body
                wrapMode: TextEdit.WrapAnywhere
                inputMethodHints: Qt.ImhUrlCharactersOnly | Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                Accessible.name: placeholderText
                // Tab moves on to the next control; addresses are separated by lines or blanks.
                KeyNavigation.priority: KeyNavigation.BeforeItem
                KeyNavigation.tab: clear.visible ? clear : save
                topPadding: 7
                bottomPadding: 7
                // Room for the clear button at the trailing end, whichever side that is.
                leftPadding: sheet.mirroredLayout ? 36 : 8
                rightPadding: sheet.mirroredLayout ? 8 : 36
                text: viewModel.repoURLs
                onTextChanged: viewModel.repoURLs = text
                background: Rectangle {
                    radius: 5
                    color: SystemStyle.background
                    border.width: 1
                    border.color: Qt.rgba(0.235, 0.235, 0.263, 0.18)
                }
            }
        }

        Button {
            id: save
            objectName: "saveButton"
            text: AccessibleTexts.save
            Accessible.name: text
            // The reader hears why nothing happens; Qt reports no disabled state of its own here.
            Accessible.description: enabled ? "" : "غير متاح: لا توجد عناوين"
            Accessible.onPressAction: if (enabled) clicked()
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
            FocusRing {}
            Layout.fillWidth: true
            Layout.leftMargin: SystemStyle.padding
            Layout.rightMargin: SystemStyle.padding
            enabled: viewModel.canSave
            padding: SystemStyle.padding
            opacity: enabled ? 1 : 0.5
            contentItem: Text {
                text: save.text
                font: SystemStyle.body
                color: SystemStyle.white
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
            background: Rectangle {
                radius: 10
                color: SystemStyle.blue
                opacity: 0.8
            }
            onClicked: viewModel.addRepos()
        }

        Item { Layout.fillHeight: true }
    }

    // Outside the scrolled field, so it stays at the field's end however long the text is.
    ToolButton {
        id: clear
        objectName: "clearButton"
        Accessible.name: AccessibleTexts.clearText
        Accessible.onPressAction: clicked()
        Keys.onReturnPressed: clicked()
        Keys.onEnterPressed: clicked()
        FocusRing {}
        visible: viewModel.repoURLs.length > 0
        parent: input
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.rightMargin: 8
        anchors.topMargin: (36 - height) / 2
        implicitWidth: 24
        implicitHeight: 24
        padding: 0
        background: null
        contentItem: SymbolIcon { name: "xmark.circle.fill"; color: SystemStyle.gray; size: 20 }
        // The button hides with the text: the field takes the typing again.
        onClicked: {
            viewModel.clear()
            field.forceActiveFocus()
        }
    }

    BusyIndicator {
        objectName: "busyIndicator"
        anchors.centerIn: parent
        running: viewModel.isLoading
        visible: running
        Accessible.role: Accessible.Animation
        Accessible.name: "جارٍ إضافة السورسات"
    }
}
