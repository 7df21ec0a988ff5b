qt_target_qml_sources(vexlocore
    QML_FILES
        app/MyApp.qml
)
