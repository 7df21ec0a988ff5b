// Index parser: never crashes, and parsing in pieces gives what parsing at once gives.
#include "sources/indextext.h"
#include "sources/packagesparser.h"
#include "sources/utf8.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool samePackages(const PackageList &a, const PackageList &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const Package &p = a.at(i);
        const Package &q = b.at(i);
        if (p.name != q.name || p.description != q.description || p.version != q.version
            || p.downloadURL != q.downloadURL || p.architecture != q.architecture || p.fileSize != q.fileSize
            || p.ratings.has_value() != q.ratings.has_value() || (p.ratings && *p.ratings != *q.ratings))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    constexpr std::string_view base = "https://repo.example/";

    // The whole road of a fetched body: decompression, UTF-8 check, parse.
    const IndexText text = decodeIndex(QByteArray(input.data(), qsizetype(input.size())), qint64(1) << 24);
    if (!text.error)
        (void)parsePackages(std::string_view(text.text.constData(), std::size_t(text.text.size())), base);

    if (!isValidUtf8(input))
        return 0;
    const PackageList whole = parsePackages(input, base);

    // The same text in up to 16 pieces, cut at places chosen by the input's own bytes.
    PackagesParser pieces{std::string(base)};
    std::string pending;
    std::size_t done = 0;
    for (std::size_t i = 0; i < 16 && done < size; ++i) {
        const std::size_t n = std::min(size - done, std::size_t(data[i % size]) * (size / 256 + 1) + 1);
        pending.append(input.substr(done, n));
        done += n;
        pending.erase(0, pieces.parseSome(pending));
    }
    pending.append(input.substr(done));
    pieces.parseRest(pending);
    if (!samePackages(whole, pieces.take()))
        std::abort();
    return 0;
}
