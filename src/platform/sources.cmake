target_sources(vexlocore PRIVATE
    platform/datadir.h platform/datadir.cpp
    platform/networkaccess.h platform/networkaccess.cpp
    platform/userdefaults.h platform/userdefaults.cpp
)
