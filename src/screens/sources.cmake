target_sources(vexlocore PRIVATE
    screens/symbolicons.h screens/symbolicons.cpp
)
qt_target_qml_sources(vexlocore
    QML_FILES
        app/MyApp.qml
        screens/SymbolIcon.qml
)
