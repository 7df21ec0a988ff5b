target_sources(vexlocore PRIVATE
    screens/symbolicons.h screens/symbolicons.cpp
    screens/contentviewmodel.h screens/contentviewmodel.cpp
    screens/reposectionmodel.h screens/reposectionmodel.cpp
    screens/decimaltext.h screens/decimaltext.cpp
    screens/filesize.h screens/filesize.cpp
    screens/shortentext.h screens/shortentext.cpp
    screens/datetext.h screens/datetext.cpp
    screens/bidirectionaltext.h screens/bidirectionaltext.cpp
    screens/ratingdisplay.h screens/ratingdisplay.cpp
    screens/packageimage.h screens/packageimage.cpp
    screens/packagepicture.h screens/packagepicture.cpp
    screens/findsubstring.h screens/findsubstring.cpp
    screens/packagesearchindex.h screens/packagesearchindex.cpp
    screens/packagesearch.h screens/packagesearch.cpp
    screens/architectureindex.h screens/architectureindex.cpp
    screens/sectionindex.h screens/sectionindex.cpp
    screens/packagelistmodel.h screens/packagelistmodel.cpp
    screens/packagerowmodel.h screens/packagerowmodel.cpp
    screens/repodetailviewmodel.h screens/repodetailviewmodel.cpp
    screens/packagedetailviewmodel.h screens/packagedetailviewmodel.cpp
    screens/catalogsearch.h screens/catalogsearch.cpp
    screens/addrepoviewmodel.h screens/addrepoviewmodel.cpp
    screens/allpackagesviewmodel.h screens/allpackagesviewmodel.cpp
    screens/accessibletexts.h screens/accessibletexts.cpp
    screens/textscale.h screens/textscale.cpp
)
set_source_files_properties(screens/SystemStyle.qml PROPERTIES QT_QML_SINGLETON_TYPE TRUE)
set_source_files_properties(../resources/shadows/shadow-r10.png PROPERTIES QT_RESOURCE_ALIAS shadows/shadow-r10.png)
set_source_files_properties(../resources/shadows/shadow-r15.png PROPERTIES QT_RESOURCE_ALIAS shadows/shadow-r15.png)
qt_target_qml_sources(vexlocore
    QML_FILES
        app/MyApp.qml
        screens/SymbolIcon.qml
        screens/AlertDialog.qml
        screens/ContentView.qml
        screens/NavigationBar.qml
        screens/RepoRow.qml
        screens/RepoGroup.qml
        screens/RoundedImage.qml
        screens/SearchField.qml
        screens/SectionHeader.qml
        screens/SwipeAction.qml
        screens/SwipeRepoRow.qml
        screens/RowActionsMenu.qml
        screens/SystemStyle.qml
        screens/SoftShadow.qml
        screens/PictureShadow.qml
        screens/SymbolLabel.qml
        screens/SegmentedPicker.qml
        screens/SectionMenuButton.qml
        screens/ActionButton.qml
        screens/ScrollToTopButton.qml
        screens/PackageCard.qml
        screens/PackageGrid.qml
        screens/RepoDetailView.qml
        screens/PackageDetailView.qml
        screens/Sheet.qml
        screens/AddRepoView.qml
        screens/AllPackagesView.qml
        screens/FocusRing.qml
    RESOURCES
        ../resources/shadows/shadow-r10.png
        ../resources/shadows/shadow-r15.png
)
