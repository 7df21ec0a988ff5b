target_sources(vexlocore PRIVATE
    model/package.h model/package.cpp
    model/sileoaddress.h model/sileoaddress.cpp
    model/packageextras.h model/packageextras.cpp
    model/repo.h
    model/referencedate.h
    model/uuid.h model/uuid.cpp
    model/swar.h model/jsonkeys.h
    model/repojson.h model/repojsonwriter.cpp
    model/repojsonreader.cpp model/jsonvaluereader.h model/jsonstring.h
    model/repostore.h model/repostore.cpp
    model/asyncrepostore.h model/asyncrepostore.cpp
    model/defaultrepos.h model/defaultrepos.cpp
    model/packageimage.h model/packageimage.cpp
    model/packagepicture.h model/packagepicture.cpp
)
