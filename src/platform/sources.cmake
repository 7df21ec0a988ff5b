target_sources(vexlocore PRIVATE
    platform/datadir.h platform/datadir.cpp
    platform/desktopservices.h platform/desktopservices.cpp
    platform/networkaccess.h platform/networkaccess.cpp
    platform/platformservices.h platform/platformservices.cpp
    platform/userdefaults.h platform/userdefaults.cpp
)
