// Decompressors: never crash, never exceed their output limit, agree on what they accept.
#include "sources/decompress.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    // The first byte picks the format and the output limit (small limits included).
    const int choice = data[0];
    const std::string_view input(reinterpret_cast<const char *>(data) + 1, size - 1);
    const Compression detected = detectCompression(input);
    const Compression format = (choice & 1) ? detected : Compression((choice >> 1) % 5);
    const qint64 limits[] = {0, 1, 100, 4096, 65535, 65536, 1 << 20, 1 << 24};
    const qint64 limit = limits[(choice >> 4) % 8];

    const Decompressed result = decompress(input, format, limit);
    if (result.status == Decompressed::Status::Ok && result.data.size() > limit)
        std::abort();
    if (result.status != Decompressed::Status::Ok && !result.data.isEmpty())
        std::abort();
    // With room to spare, a stream that fitted fits again and decodes the same.
    if (result.status == Decompressed::Status::Ok && limit < (1 << 24)) {
        const Decompressed roomy = decompress(input, format, 1 << 24);
        if (roomy.status != Decompressed::Status::Ok || roomy.data != result.data)
            std::abort();
    }
    return 0;
}
