#pragma once

#include "indexerror.h"

#include <QByteArray>

#include <optional>

// The text of an index, or why there is none.
struct IndexText
{
    QByteArray text;
    std::optional<IndexError> error;
};

// Turns the bytes of an index as fetched or read into its text: a zstd, xz, bzip2 or gzip
// body (told apart by its first bytes) is decompressed to at most maxBytes, and the text must
// be UTF-8. Slow for large indexes: run it off the main thread.
[[nodiscard]] IndexText decodeIndex(QByteArray bytes, qint64 maxBytes = maxIndexBytes);
