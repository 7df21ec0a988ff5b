target_sources(vexlocore PRIVATE
    model/package.h model/package.cpp
    model/repo.h
    model/referencedate.h
    model/uuid.h model/uuid.cpp
)
