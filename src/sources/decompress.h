#pragma once

#include <QByteArray>
#include <QString>

#include <string_view>

// The compressed forms an index may come in, told apart by their first bytes.
enum class Compression { None, Zstd, Xz, Bzip2, Gzip };

[[nodiscard]] Compression detectCompression(std::string_view bytes);

struct Decompressed
{
    enum class Status { Ok, TooLarge, Corrupt };
    Status status = Status::Ok;
    QByteArray data;
    QString detail; // what was wrong, when not Ok
};

// Decompresses a whole stream of the given form (concatenated streams or frames included),
// producing at most maxOutput bytes: more is TooLarge, so a small bomb cannot exhaust memory.
// Truncated or damaged data, and anything but padding after the last stream, is Corrupt.
[[nodiscard]] Decompressed decompress(std::string_view input, Compression format, qint64 maxOutput);
