target_sources(vexlocore PRIVATE
    sources/refreshoutcome.h sources/refreshoutcome.cpp
    sources/reporefresher.h sources/reporefresher.cpp
)
