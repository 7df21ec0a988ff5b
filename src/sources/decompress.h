#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
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
// producing at most maxOutput bytes: more is TooLarge, so a small bomb cannot exhaust memory;
// so is a stream that grows past 16 MiB to more than 200 times its size, long before the limit.
// Truncated or damaged data, and anything but padding after the last stream, is Corrupt.
// `reserve`, when given, is told of every growth of the output buffer before it happens (and
// may block until that memory can be had).
[[nodiscard]] Decompressed decompress(std::string_view input, Compression format, qint64 maxOutput,
                                      const std::function<void(qint64 bytes)> &reserve = {});
