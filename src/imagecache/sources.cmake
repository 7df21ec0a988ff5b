target_sources(vexlocore PRIVATE
    imagecache/rasterpicture.h imagecache/rasterpicture.cpp
    imagecache/localimage.h imagecache/localimage.cpp
    imagecache/cachebound.h imagecache/cachebound.cpp
    imagecache/imageloader.h imagecache/imageloader.cpp
    imagecache/cachedimageitem.h imagecache/cachedimageitem.cpp
)
qt_target_qml_sources(vexlocore
    QML_FILES
        imagecache/CachedAsyncImage.qml
)
