#pragma once

#include "sources/decompress.h"

#include <QByteArray>

// Compresses data in one of the index formats, as a publisher's tools would.
namespace TestCompression {
[[nodiscard]] QByteArray compress(Compression format, const QByteArray &data);
[[nodiscard]] const char *suffix(Compression format); // ".zst", ".xz", ".bz2", ".gz"
} // namespace TestCompression
