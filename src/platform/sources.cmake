target_sources(vexlocore PRIVATE
    platform/datadir.h platform/datadir.cpp
    platform/networkaccess.h platform/networkaccess.cpp
    platform/platformservices.h platform/platformservices.cpp
    platform/desktopservices.h platform/desktopservices.cpp
)
