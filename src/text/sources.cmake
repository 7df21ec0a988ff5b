target_sources(vexlocore PRIVATE
    text/decimaltext.h text/decimaltext.cpp
    text/filesize.h text/filesize.cpp
    text/ratingdisplay.h text/ratingdisplay.cpp
    text/shortentext.h text/shortentext.cpp
    text/datetext.h text/datetext.cpp
    text/bidirectionaltext.h text/bidirectionaltext.cpp
    text/fieldisolation.h text/fieldisolation.cpp
    text/addresstext.h text/addresstext.cpp
)
