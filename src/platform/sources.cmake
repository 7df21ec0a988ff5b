target_sources(vexlocore PRIVATE
    platform/allocator.h platform/allocator.cpp
    platform/backgroundpriority.h platform/backgroundpriority.cpp
    platform/console.h platform/console.cpp
    platform/cachedir.h platform/cachedir.cpp
    platform/datadir.h platform/datadir.cpp
    platform/desktopservices.h platform/desktopservices.cpp
    platform/networkaccess.h platform/networkaccess.cpp
    platform/platformservices.h platform/platformservices.cpp
    platform/singleinstance.h platform/singleinstance.cpp
    platform/terminationsignals.h platform/terminationsignals.cpp
    platform/userdefaults.h platform/userdefaults.cpp platform/userdefaultswriter.cpp
)
