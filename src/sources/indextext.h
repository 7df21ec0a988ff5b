#pragma once

#include "indexerror.h"

#include <QByteArray>

#include <functional>
#include <optional>
#include <string_view>

// The text of an index, or why there is none.
struct IndexText
{
    QByteArray text;
    std::optional<IndexError> error;
};

// Turns the bytes of an index as fetched or read into its text: a zstd, xz, bzip2 or gzip
// body (told apart by its first bytes) is decompressed to at most maxBytes, and the text must
// be UTF-8. Slow for large indexes: run it off the main thread.
// `reserve` is told of the memory that decompression takes, as for decompress().
[[nodiscard]] IndexText decodeIndex(QByteArray bytes, qint64 maxBytes = maxIndexBytes,
                                    const std::function<void(qint64 bytes)> &reserve = {});

// Whether a fetched text is markup rather than an index: its first character other than white
// space, after an optional UTF-8 byte-order mark, is '<'. A web page served with status 200
// would otherwise read as an index without packages and empty the source.
[[nodiscard]] bool isMarkup(std::string_view text);
