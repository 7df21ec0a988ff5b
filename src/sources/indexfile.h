#pragma once

#include "indexresult.h"

#include <string>

class QString;

// Reads the Packages index in a local file into records. A plain index is read and parsed
// through a small buffer, so memory holds little more than the records; a compressed one
// (zstd, xz, bzip2 or gzip, told apart by its first bytes) is decompressed to at most maxBytes
// first. Fails when the file cannot be read, does not decompress, or is not UTF-8.
[[nodiscard]] IndexResult readIndexFile(const QString &path, const std::string &repoURL,
                                        qint64 maxBytes = maxIndexBytes);
