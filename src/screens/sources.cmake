# One folder per screen (its QML and the C++ model behind it), the package grid several
# screens show, and the controls they share.
target_sources(vexlocore PRIVATE
    screens/controls/symbolicons.h screens/controls/symbolicons.cpp
    screens/controls/accessibletexts.h screens/controls/accessibletexts.cpp
    screens/controls/announcer.h screens/controls/announcer.cpp
    screens/controls/textscale.h screens/controls/textscale.cpp
    screens/mainscreen/contentviewmodel.h screens/mainscreen/contentviewmodel.cpp
    screens/mainscreen/reposectionmodel.h screens/mainscreen/reposectionmodel.cpp
    screens/mainscreen/deletedrepos.h screens/mainscreen/deletedrepos.cpp
    screens/mainscreen/sourcelisttransfer.h screens/mainscreen/sourcelisttransfer.cpp
    screens/mainscreen/followcontent.h screens/mainscreen/followcontent.cpp
    screens/packagegrid/packagelistmodel.h screens/packagegrid/packagelistmodel.cpp
    screens/packagegrid/packagerowmodel.h screens/packagegrid/packagerowmodel.cpp
    screens/sourcedetail/repodetailviewmodel.h screens/sourcedetail/repodetailviewmodel.cpp
    screens/packagedetail/packagedetailviewmodel.h screens/packagedetail/packagedetailviewmodel.cpp
    screens/addsource/addrepoviewmodel.h screens/addsource/addrepoviewmodel.cpp
    screens/allpackages/allpackagesviewmodel.h screens/allpackages/allpackagesviewmodel.cpp
    screens/updates/updatesviewmodel.h screens/updates/updatesviewmodel.cpp
)
set_source_files_properties(screens/controls/SystemStyle.qml PROPERTIES QT_QML_SINGLETON_TYPE TRUE)
set_source_files_properties(../resources/shadows/shadow-r10.png PROPERTIES QT_RESOURCE_ALIAS shadows/shadow-r10.png)
set_source_files_properties(../resources/shadows/shadow-r15.png PROPERTIES QT_RESOURCE_ALIAS shadows/shadow-r15.png)
qt_target_qml_sources(vexlocore
    QML_FILES
        app/MyApp.qml
        screens/controls/AlertDialog.qml
        screens/controls/AnnouncementRegion.qml
        screens/controls/FocusRing.qml
        screens/controls/KeyboardMenu.qml
        screens/controls/MessageBar.qml
        screens/controls/NavigationBar.qml
        screens/controls/SearchField.qml
        screens/controls/Sheet.qml
        screens/controls/SoftShadow.qml
        screens/controls/SymbolIcon.qml
        screens/controls/SymbolLabel.qml
        screens/controls/SystemStyle.qml
        screens/mainscreen/ContentView.qml
        screens/mainscreen/RepoGroup.qml
        screens/mainscreen/SwipeRepoRow.qml
        screens/mainscreen/SwipeAction.qml
        screens/mainscreen/RowActionsMenu.qml
        screens/mainscreen/RepoRow.qml
        screens/mainscreen/RoundedImage.qml
        screens/mainscreen/SectionHeader.qml
        screens/packagegrid/PackageGrid.qml
        screens/packagegrid/PackageCard.qml
        screens/packagegrid/PictureShadow.qml
        screens/packagegrid/OrderMenuButton.qml
        screens/sourcedetail/RepoDetailView.qml
        screens/sourcedetail/SegmentedPicker.qml
        screens/sourcedetail/SectionMenuButton.qml
        screens/sourcedetail/ScrollToTopButton.qml
        screens/sourcedetail/SourceFacts.qml
        screens/packagedetail/PackageDetailView.qml
        screens/packagedetail/ActionButton.qml
        screens/addsource/AddRepoView.qml
        screens/allpackages/AllPackagesView.qml
        screens/updates/UpdatesView.qml
    RESOURCES
        ../resources/shadows/shadow-r10.png
        ../resources/shadows/shadow-r15.png
)
