#include "compression.h"

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <array>

// Each case leaves `out` empty when the encoder fails, which the tests then see.
QByteArray TestCompression::compress(Compression format, const QByteArray &data)
{
    auto *const in = reinterpret_cast<uint8_t *>(const_cast<char *>(data.constData()));
    const auto size = std::size_t(data.size());
    QByteArray out(qsizetype(size + size / 100 + 1024), Qt::Uninitialized); // room for any of them
    auto *const outBytes = reinterpret_cast<uint8_t *>(out.data());
    std::size_t written = 0;
    switch (format) {
    case Compression::Zstd: {
        // With the content checksum, as the zstd tool writes by default.
        ZSTD_CCtx *const cctx = ZSTD_createCCtx();
        ZSTD_CCtx_setParameter(cctx, ZSTD_c_checksumFlag, 1);
        const std::size_t n = ZSTD_compress2(cctx, outBytes, std::size_t(out.size()), in, size);
        written = ZSTD_isError(n) ? 0 : n;
        ZSTD_freeCCtx(cctx);
        break;
    }
    case Compression::Xz:
        if (lzma_easy_buffer_encode(6, LZMA_CHECK_CRC64, nullptr, in, size, outBytes, &written, std::size_t(out.size())) != LZMA_OK)
            written = 0;
        break;
    case Compression::Bzip2: {
        auto length = unsigned(out.size());
        written = BZ2_bzBuffToBuffCompress(out.data(), &length, reinterpret_cast<char *>(in), unsigned(size), 9, 0, 0) == BZ_OK ? length : 0;
        break;
    }
    case Compression::Gzip: {
        z_stream zs{};
        deflateInit2(&zs, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY); // 16: a gzip header
        zs.next_in = in;
        zs.avail_in = uInt(size);
        zs.next_out = outBytes;
        zs.avail_out = uInt(out.size());
        written = deflate(&zs, Z_FINISH) == Z_STREAM_END ? zs.total_out : 0;
        deflateEnd(&zs);
        break;
    }
    case Compression::None:
        return data;
    }
    out.truncate(qsizetype(written));
    return out;
}

const char *TestCompression::suffix(Compression format)
{
    return std::array{"", ".zst", ".xz", ".bz2", ".gz"}[std::size_t(format)];
}
