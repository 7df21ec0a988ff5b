#pragma once

#include "model/package.h"

#include <string_view>

// Reads a Packages index into records, one per stanza that names a package, in index order.
// Stanzas end at an empty line, lines at a line feed; a carriage return right before a line
// feed is not part of the line. Seven fields are read ("Package: ", "Description: ",
// "Version: ", "Filename: ", "Architecture: ", "Ratings: ", "Size: "), matched
// case-sensitively at the start of a line; the last occurrence in a stanza wins and values
// are kept untrimmed. A download link is repoURL followed directly by the file name.
// Never fails: unreadable sizes read as 0, unreadable or non-finite ratings as absent.
// Pure and thread-safe; the text must already be valid UTF-8.
[[nodiscard]] PackageList parsePackages(std::string_view text, std::string_view repoURL);
