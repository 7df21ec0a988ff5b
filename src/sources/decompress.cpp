#include "decompress.h"

#include "decompressoutput.h"

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr unsigned char zstdMagic[] = {0x28, 0xB5, 0x2F, 0xFD};
constexpr unsigned char xzMagic[] = {0xFD, '7', 'z', 'X', 'Z', 0x00};
constexpr unsigned char bzip2Magic[] = {'B', 'Z', 'h'};
constexpr unsigned char gzipMagic[] = {0x1F, 0x8B};

template<std::size_t N>
bool startsWith(std::string_view bytes, const unsigned char (&magic)[N])
{
    return bytes.size() >= N && std::memcmp(bytes.data(), magic, N) == 0;
}

// The libraries count in 32 bits; hand them at most this much at a time.
constexpr std::size_t maxStep = std::size_t(1) << 30;

// xz streams made with large dictionaries need as much memory to decode; beyond this the
// stream is refused rather than allowed to take the machine's memory.
constexpr std::uint64_t xzMemoryLimit = std::uint64_t(1) << 28;

Decompressed corrupt(const char *format, const QString &what)
{
    return {Decompressed::Status::Corrupt, {}, u"corrupt %1 data: %2"_s.arg(QLatin1StringView(format), what)};
}

bool onlyZeros(const char *p, std::size_t n)
{
    return std::all_of(p, p + n, [](char c) { return c == 0; });
}

Decompressed inflateGzip(std::string_view input, DecompressOutput out)
{
    z_stream zs{};
    if (inflateInit2(&zs, 15 + 16) != Z_OK)
        return corrupt("gzip", u"cannot start decoder"_s);
    const auto *next = reinterpret_cast<const Bytef *>(input.data());
    std::size_t left = input.size();
    Decompressed result;
    for (;;) {
        if (!out.grow()) {
            result = out.tooLarge();
            break;
        }
        const std::size_t step = std::min(left, maxStep);
        zs.next_in = const_cast<Bytef *>(next);
        zs.avail_in = uInt(step);
        zs.next_out = reinterpret_cast<Bytef *>(out.cursor());
        zs.avail_out = uInt(out.room());
        const std::size_t room = zs.avail_out;
        const int status = inflate(&zs, Z_NO_FLUSH);
        out.advance(room - zs.avail_out);
        next += step - zs.avail_in;
        left -= step - zs.avail_in;
        if (status == Z_STREAM_END) {
            // Several members may follow each other; zero padding after the last is allowed.
            if (left >= 2 && next[0] == 0x1F && next[1] == 0x8B) {
                inflateReset(&zs);
                continue;
            }
            result = left == 0 || onlyZeros(reinterpret_cast<const char *>(next), left)
                ? out.finish()
                : corrupt("gzip", u"unexpected data after the end"_s);
            break;
        }
        if (status == Z_BUF_ERROR && zs.avail_out != 0 && left == 0) {
            result = corrupt("gzip", u"truncated"_s);
            break;
        }
        if (status != Z_OK && status != Z_BUF_ERROR) {
            result = corrupt("gzip", QString::fromLatin1(zs.msg ? zs.msg : "invalid data"));
            break;
        }
    }
    inflateEnd(&zs);
    return result;
}

Decompressed decompressBzip2(std::string_view input, DecompressOutput out)
{
    bz_stream bz{};
    if (BZ2_bzDecompressInit(&bz, 0, 0) != BZ_OK)
        return corrupt("bzip2", u"cannot start decoder"_s);
    const char *next = input.data();
    std::size_t left = input.size();
    Decompressed result;
    for (;;) {
        if (!out.grow()) {
            result = out.tooLarge();
            break;
        }
        const std::size_t step = std::min(left, maxStep);
        bz.next_in = const_cast<char *>(next);
        bz.avail_in = unsigned(step);
        bz.next_out = out.cursor();
        bz.avail_out = unsigned(out.room());
        const std::size_t room = bz.avail_out;
        const int status = BZ2_bzDecompress(&bz);
        const std::size_t produced = room - bz.avail_out;
        out.advance(produced);
        next += step - bz.avail_in;
        left -= step - bz.avail_in;
        if (status == BZ_STREAM_END) {
            // Parallel compressors write one stream per block.
            if (left >= 3 && std::memcmp(next, bzip2Magic, 3) == 0) {
                BZ2_bzDecompressEnd(&bz);
                bz = bz_stream{};
                if (BZ2_bzDecompressInit(&bz, 0, 0) != BZ_OK) {
                    result = corrupt("bzip2", u"cannot start decoder"_s);
                    break;
                }
                continue;
            }
            result = left == 0 || onlyZeros(next, left) ? out.finish()
                                                        : corrupt("bzip2", u"unexpected data after the end"_s);
            break;
        }
        if (status != BZ_OK) {
            result = corrupt("bzip2", u"invalid data (error %1)"_s.arg(status));
            break;
        }
        if (left == 0 && produced == 0 && bz.avail_out != 0) {
            result = corrupt("bzip2", u"truncated"_s);
            break;
        }
    }
    BZ2_bzDecompressEnd(&bz);
    return result;
}

Decompressed decompressXz(std::string_view input, DecompressOutput out)
{
    lzma_stream xz = LZMA_STREAM_INIT;
    if (lzma_stream_decoder(&xz, xzMemoryLimit, LZMA_CONCATENATED) != LZMA_OK)
        return corrupt("xz", u"cannot start decoder"_s);
    xz.next_in = reinterpret_cast<const uint8_t *>(input.data());
    xz.avail_in = input.size();
    Decompressed result;
    for (;;) {
        if (!out.grow()) {
            result = out.tooLarge();
            break;
        }
        xz.next_out = reinterpret_cast<uint8_t *>(out.cursor());
        xz.avail_out = out.room();
        const std::size_t room = xz.avail_out;
        const lzma_ret status = lzma_code(&xz, LZMA_FINISH);
        out.advance(room - xz.avail_out);
        if (status == LZMA_STREAM_END) {
            result = out.finish();
            break;
        }
        if (status == LZMA_OK)
            continue;
        if (status == LZMA_BUF_ERROR && xz.avail_out == 0)
            continue;
        result = status == LZMA_MEMLIMIT_ERROR ? corrupt("xz", u"needs too much memory to decode"_s)
            : status == LZMA_BUF_ERROR         ? corrupt("xz", u"truncated"_s)
                                               : corrupt("xz", u"invalid data (error %1)"_s.arg(int(status)));
        break;
    }
    lzma_end(&xz);
    return result;
}

Decompressed decompressZstd(std::string_view input, DecompressOutput out)
{
    ZSTD_DCtx *const dctx = ZSTD_createDCtx();
    if (!dctx)
        return corrupt("zstd", u"cannot start decoder"_s);
    // The default window cap (128 MiB) bounds the decoder's own memory.
    ZSTD_inBuffer in{input.data(), input.size(), 0};
    Decompressed result;
    for (;;) {
        if (!out.grow()) {
            result = out.tooLarge();
            break;
        }
        ZSTD_outBuffer buffer{out.cursor(), out.room(), 0};
        const std::size_t hint = ZSTD_decompressStream(dctx, &buffer, &in);
        out.advance(buffer.pos);
        if (ZSTD_isError(hint)) {
            result = corrupt("zstd", QString::fromLatin1(ZSTD_getErrorName(hint)));
            break;
        }
        if (in.pos == in.size && hint == 0) {
            result = out.finish();
            break;
        }
        if (in.pos == in.size && buffer.pos < buffer.size) {
            result = corrupt("zstd", u"truncated"_s);
            break;
        }
    }
    ZSTD_freeDCtx(dctx);
    return result;
}

} // namespace

Compression detectCompression(std::string_view bytes)
{
    if (startsWith(bytes, zstdMagic))
        return Compression::Zstd;
    if (startsWith(bytes, xzMagic))
        return Compression::Xz;
    // "BZh" is plain text: ask for the block size digit and the first block's (or the empty
    // stream's end) marker too.
    if (bytes.size() >= 10 && startsWith(bytes, bzip2Magic) && bytes[3] >= '1' && bytes[3] <= '9'
        && (bytes.substr(4, 6) == "1AY&SY" || bytes.substr(4, 6) == "\x17\x72\x45\x38\x50\x90"))
        return Compression::Bzip2;
    if (startsWith(bytes, gzipMagic))
        return Compression::Gzip;
    return Compression::None;
}

Decompressed decompress(std::string_view input, Compression format, qint64 maxOutput,
                        const std::function<void(qint64)> &reserve)
{
    DecompressOutput out(maxOutput, input.size(), reserve);
    switch (format) {
    case Compression::Zstd:
        return decompressZstd(input, std::move(out));
    case Compression::Xz:
        return decompressXz(input, std::move(out));
    case Compression::Bzip2:
        return decompressBzip2(input, std::move(out));
    case Compression::Gzip:
        return inflateGzip(input, std::move(out));
    case Compression::None:
        break;
    }
    if (qint64(input.size()) > maxOutput)
        return out.tooLarge();
    return {Decompressed::Status::Ok, QByteArray(input.data(), qsizetype(input.size())), {}};
}
