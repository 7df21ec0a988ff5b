target_sources(vexlocore PRIVATE
    search/findsubstring.h search/findsubstring.cpp
    search/searchfold.h search/searchfold.cpp
    search/packagesearchindex.h search/packagesearchindex.cpp
    search/packagesearch.h search/packagesearch.cpp
    search/catalogsearch.h search/catalogsearch.cpp
    search/architectureindex.h search/architectureindex.cpp
    search/sectionindex.h search/sectionindex.cpp
    search/packageorder.h search/packageorder.cpp
)
