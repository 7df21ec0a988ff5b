target_sources(vexlocore PRIVATE
)
qt_target_qml_sources(vexlocore
    QML_FILES
        imagecache/CachedAsyncImage.qml
)
