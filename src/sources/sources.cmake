target_sources(vexlocore PRIVATE
    sources/conditionalrequest.h sources/conditionalrequest.cpp
    sources/decompress.h sources/decompress.cpp
    sources/decompressoutput.h sources/decompressoutput.cpp
    sources/distribution.h sources/distribution.cpp
    sources/indexdigest.h sources/indexdigest.cpp
    sources/hugepages.h sources/hugepages.cpp
    sources/failurereason.h sources/failurereason.cpp
    sources/indexerror.h
    sources/indexfetcher.h sources/indexfetcher.cpp
    sources/indexfetchjob.h sources/indexfetchjob.cpp
    sources/indexfile.h sources/indexfile.cpp
    sources/indexresult.h
    sources/indextext.h sources/indextext.cpp
    sources/firstseenstore.h sources/firstseenstore.cpp
    sources/indexvalidators.h
    sources/indexvalidatorstore.h sources/indexvalidatorstore.cpp
    sources/packagelistfingerprint.h sources/packagelistfingerprint.cpp
    sources/launchrequest.h sources/launchrequest.cpp
    sources/liverepolist.h sources/liverepolist.cpp
    sources/memorybudget.h sources/memorybudget.cpp
    sources/packagenews.h sources/packagenews.cpp
    sources/packageagescache.h sources/packageagescache.cpp
    sources/packagesparser.h sources/packagesparser.cpp
    sources/refreshoutcome.h sources/refreshoutcome.cpp
    sources/refreshoutcomestore.h sources/refreshoutcomestore.cpp
    sources/releasefetch.h sources/releasefetch.cpp
    sources/releasefile.h sources/releasefile.cpp
    sources/releaseinfo.h
    sources/releaseinfostore.h sources/releaseinfostore.cpp
    sources/repoadder.h sources/repoadder.cpp
    sources/sourceaddress.h sources/sourceaddress.cpp
    sources/stablehash.h
    sources/reporefresher.h sources/reporefresher.cpp
    sources/sourcefetch.h sources/sourcefetch.cpp
    sources/sourcelists.h sources/sourcelists.cpp
    sources/transferpace.h sources/transferpace.cpp
    sources/utf8.h sources/utf8.cpp
)
