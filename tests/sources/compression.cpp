#include "compression.h"

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

QByteArray TestCompression::compress(Compression format, const QByteArray &data)
{
    QByteArray out;
    switch (format) {
    case Compression::Zstd: {
        // With the content checksum, as the zstd tool writes by default.
        ZSTD_CCtx *const cctx = ZSTD_createCCtx();
        ZSTD_CCtx_setParameter(cctx, ZSTD_c_checksumFlag, 1);
        out.resize(qsizetype(ZSTD_compressBound(std::size_t(data.size()))));
        const std::size_t n =
            ZSTD_compress2(cctx, out.data(), std::size_t(out.size()), data.constData(), std::size_t(data.size()));
        out.resize(ZSTD_isError(n) ? 0 : qsizetype(n));
        ZSTD_freeCCtx(cctx);
        break;
    }
    case Compression::Xz: {
        out.resize(qsizetype(lzma_stream_buffer_bound(std::size_t(data.size()))));
        std::size_t pos = 0;
        if (lzma_easy_buffer_encode(6, LZMA_CHECK_CRC64, nullptr, reinterpret_cast<const uint8_t *>(data.constData()),
                                    std::size_t(data.size()), reinterpret_cast<uint8_t *>(out.data()), &pos,
                                    std::size_t(out.size()))
            != LZMA_OK)
            pos = 0;
        out.resize(qsizetype(pos));
        break;
    }
    case Compression::Bzip2: {
        unsigned int length = unsigned(data.size() + data.size() / 100 + 600);
        out.resize(qsizetype(length));
        if (BZ2_bzBuffToBuffCompress(out.data(), &length, const_cast<char *>(data.constData()), unsigned(data.size()), 9,
                                     0, 0)
            != BZ_OK)
            length = 0;
        out.resize(qsizetype(length));
        break;
    }
    case Compression::Gzip: {
        z_stream zs{};
        deflateInit2(&zs, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
        out.resize(qsizetype(deflateBound(&zs, uLong(data.size()))) + 32);
        zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
        zs.avail_in = uInt(data.size());
        zs.next_out = reinterpret_cast<Bytef *>(out.data());
        zs.avail_out = uInt(out.size());
        const int status = deflate(&zs, Z_FINISH);
        out.resize(status == Z_STREAM_END ? qsizetype(zs.total_out) : 0);
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
    switch (format) {
    case Compression::Zstd: return ".zst";
    case Compression::Xz: return ".xz";
    case Compression::Bzip2: return ".bz2";
    case Compression::Gzip: return ".gz";
    case Compression::None: break;
    }
    return "";
}
