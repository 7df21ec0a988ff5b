#include "compression.h"

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <array>

// Each case leaves `out` empty when the encoder fails, which the tests then see.
QByteArray TestCompression::compress(Compression format, const QByteArray &data)
{
    const auto *in = reinterpret_cast<const uint8_t *>(data.constData());
    const auto size = std::size_t(data.size());
    QByteArray out;
    switch (format) {
    case Compression::Zstd: {
        // With the content checksum, as the zstd tool writes by default.
        ZSTD_CCtx *const cctx = ZSTD_createCCtx();
        ZSTD_CCtx_setParameter(cctx, ZSTD_c_checksumFlag, 1);
        out.resize(qsizetype(ZSTD_compressBound(size)));
        const std::size_t n = ZSTD_compress2(cctx, out.data(), std::size_t(out.size()), in, size);
        out.resize(ZSTD_isError(n) ? 0 : qsizetype(n));
        ZSTD_freeCCtx(cctx);
        break;
    }
    case Compression::Xz: {
        out.resize(qsizetype(lzma_stream_buffer_bound(size)));
        std::size_t pos = 0;
        const lzma_ret status = lzma_easy_buffer_encode(6, LZMA_CHECK_CRC64, nullptr, in, size,
                                                        reinterpret_cast<uint8_t *>(out.data()), &pos, std::size_t(out.size()));
        out.resize(status == LZMA_OK ? qsizetype(pos) : 0);
        break;
    }
    case Compression::Bzip2: {
        unsigned int length = unsigned(size + size / 100 + 600);
        out.resize(qsizetype(length));
        const int status = BZ2_bzBuffToBuffCompress(out.data(), &length, const_cast<char *>(data.constData()), unsigned(size), 9, 0, 0);
        out.resize(status == BZ_OK ? qsizetype(length) : 0);
        break;
    }
    case Compression::Gzip: {
        z_stream zs{};
        deflateInit2(&zs, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY); // 16: a gzip header
        out.resize(qsizetype(deflateBound(&zs, uLong(size))) + 32);
        zs.next_in = const_cast<Bytef *>(in);
        zs.avail_in = uInt(size);
        zs.next_out = reinterpret_cast<Bytef *>(out.data());
        zs.avail_out = uInt(out.size());
        out.resize(deflate(&zs, Z_FINISH) == Z_STREAM_END ? qsizetype(zs.total_out) : 0);
        deflateEnd(&zs);
        break;
    }
    case Compression::None:
        out = data;
        break;
    }
    return out;
}

const char *TestCompression::suffix(Compression format)
{
    return std::array{"", ".zst", ".xz", ".bz2", ".gz"}[std::size_t(format)];
}
