set_source_files_properties(screens/Theme.qml PROPERTIES QT_QML_SINGLETON_TYPE TRUE)
target_sources(vexlocore PRIVATE
    screens/symbolicons.h screens/symbolicons.cpp
    screens/contentviewmodel.h screens/contentviewmodel.cpp
    screens/reposectionmodel.h screens/reposectionmodel.cpp
)
qt_target_qml_sources(vexlocore
    QML_FILES
        app/MyApp.qml
        screens/SymbolIcon.qml
        screens/ContentView.qml
        screens/RepoRow.qml
        screens/RepoGroup.qml
        screens/RoundedImage.qml
        screens/SearchField.qml
        screens/SectionHeader.qml
        screens/SwipeAction.qml
        screens/SwipeRepoRow.qml
        screens/Theme.qml
)
