#pragma once

#include "model/package.h"

#include <string>
#include <string_view>

// Reads a Packages index into records, one per stanza that names a package, in index order.
// Stanzas end at an empty line, lines at a line feed; a carriage return right before a line
// feed is not part of the line. Seven fields are read ("Package: ", "Description: ",
// "Version: ", "Filename: ", "Architecture: ", "Ratings: ", "Size: ") and five extras
// ("Name: ", "Icon: ", "Author: ", "Section: ", "Depiction: ", or where a stanza has no
// depiction "SileoDepiction: "), matched case-sensitively at the start of a line; the last
// occurrence in a stanza wins and values are kept untrimmed. An extra the stanza lacks is
// absent. A download link is repoURL followed directly by the file name.
// Never fails: unreadable sizes read as 0, unreadable or non-finite ratings as absent.
// Pure and thread-safe; the text must already be valid UTF-8.
[[nodiscard]] PackageList parsePackages(std::string_view text, std::string_view repoURL);

// The same rule over an index that arrives in pieces, so a large file can be read through a
// small buffer. Pieces are cut anywhere; the result equals parsePackages of their sum.
class PackagesParser
{
public:
    // expectedBytes: the index's size when known, to make room for its records up front.
    explicit PackagesParser(std::string repoURL, std::size_t expectedBytes = 0);

    // Parses every stanza that ends in `text` and returns how many of its bytes were used;
    // the rest, an unfinished stanza, has to start the next piece.
    [[nodiscard]] std::size_t parseSome(std::string_view text);
    // Parses `text` to its end as the last piece.
    void parseRest(std::string_view text);

    [[nodiscard]] PackageList take() { return std::move(m_packages); }

private:
    const char *run(const char *begin, const char *end, bool last);

    std::string m_repoURL;
    PackageList m_packages;
};
