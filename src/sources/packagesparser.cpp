#include "packagesparser.h"

#include "hugepages.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace std::string_view_literals;

namespace {

// Values of one stanza as views into the text: only the last occurrence of a field counts,
// so nothing is copied or converted before the stanza ends.
struct Stanza
{
    std::string_view name;
    std::string_view description;
    std::string_view version;
    std::string_view filename;
    std::string_view architecture;
    std::string_view ratings;
    std::string_view size;
    std::string_view sileoDepiction;
    PackageExtras::Values extras;
    bool hasFilename = false;
    bool hasArchitecture = false;
    bool hasRatings = false;
    bool hasSize = false;
    bool hasSileoDepiction = false;
};

// A signed 64-bit decimal: optional sign, at least one digit, nothing else, in range.
std::int64_t readSize(std::string_view value)
{
    const char *p = value.data();
    const char *const end = p + value.size();
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end)
        return 0;
    const std::uint64_t limit = negative ? std::uint64_t(std::numeric_limits<std::int64_t>::max()) + 1
                                         : std::uint64_t(std::numeric_limits<std::int64_t>::max());
    std::uint64_t magnitude = 0;
    for (; p != end; ++p) {
        const unsigned digit = unsigned(static_cast<unsigned char>(*p)) - unsigned('0');
        if (digit > 9 || magnitude > (limit - digit) / 10)
            return 0;
        magnitude = magnitude * 10 + digit;
    }
    return negative ? std::int64_t(0 - magnitude) : std::int64_t(magnitude);
}

// The C library's text-to-double conversion in the C locale (decimal and hexadecimal forms),
// over the whole value with no white space before it. Values that are not finite read as
// absent: a stored list holding one could never be written again.
std::optional<double> readRating(std::string_view value)
{
    if (value.empty())
        return std::nullopt;
    switch (value.front()) {
    case ' ': case '\t': case '\n': case '\v': case '\f': case '\r':
        return std::nullopt;
    default:
        break;
    }
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const std::string terminated(value);
    char *stop = nullptr;
    errno = 0;
    const double number = strtod_l(terminated.c_str(), &stop, cLocale);
    if (stop != terminated.c_str() + terminated.size() || !std::isfinite(number))
        return std::nullopt;
    if (number == 0.0 && errno == ERANGE) // underflow of a non-zero value
        return std::nullopt;
    return number;
}

bool startsWith(const char *line, std::size_t length, std::string_view prefix)
{
    return length >= prefix.size() && std::memcmp(line, prefix.data(), prefix.size()) == 0;
}

std::string_view rest(const char *line, std::size_t length, std::string_view prefix)
{
    return {line + prefix.size(), length - prefix.size()};
}

// Only a line that starts with one of the prefixes is a field line, so the first letter
// picks the few candidates to compare.
void readLine(Stanza &stanza, const char *line, std::size_t length)
{
    const auto extra = [&](Extra which, std::string_view prefix) {
        if (!startsWith(line, length, prefix))
            return false;
        stanza.extras[std::size_t(which)] = rest(line, length, prefix);
        return true;
    };
    switch (line[0]) {
    case 'P':
        if (startsWith(line, length, "Package: "sv))
            stanza.name = rest(line, length, "Package: "sv);
        break;
    case 'D':
        if (startsWith(line, length, "Description: "sv))
            stanza.description = rest(line, length, "Description: "sv);
        else
            extra(Extra::DepictionURL, "Depiction: "sv);
        break;
    case 'V':
        if (startsWith(line, length, "Version: "sv))
            stanza.version = rest(line, length, "Version: "sv);
        break;
    case 'F':
        if (startsWith(line, length, "Filename: "sv)) {
            stanza.filename = rest(line, length, "Filename: "sv);
            stanza.hasFilename = true;
        }
        break;
    case 'A':
        if (startsWith(line, length, "Architecture: "sv)) {
            stanza.architecture = rest(line, length, "Architecture: "sv);
            stanza.hasArchitecture = true;
        } else {
            extra(Extra::Author, "Author: "sv);
        }
        break;
    case 'R':
        if (startsWith(line, length, "Ratings: "sv)) {
            stanza.ratings = rest(line, length, "Ratings: "sv);
            stanza.hasRatings = true;
        }
        break;
    case 'S':
        if (startsWith(line, length, "Size: "sv)) {
            stanza.size = rest(line, length, "Size: "sv);
            stanza.hasSize = true;
        } else if (!extra(Extra::Section, "Section: "sv) && startsWith(line, length, "SileoDepiction: "sv)) {
            stanza.sileoDepiction = rest(line, length, "SileoDepiction: "sv);
            stanza.hasSileoDepiction = true;
        }
        break;
    case 'N':
        extra(Extra::DisplayName, "Name: "sv);
        break;
    case 'I':
        extra(Extra::IconURL, "Icon: "sv);
        break;
    default:
        break;
    }
}

void appendPackage(PackageList &result, const Stanza &stanza, std::string_view repoURL)
{
    Package &package = result.emplace_back();
    package.name.assign(stanza.name);
    package.description.assign(stanza.description);
    package.version.assign(stanza.version);
    if (stanza.hasFilename) {
        package.downloadURL.reserve(repoURL.size() + stanza.filename.size());
        package.downloadURL.append(repoURL).append(stanza.filename);
    }
    package.architecture.assign(stanza.hasArchitecture ? stanza.architecture : "arm"sv);
    if (stanza.hasRatings)
        package.ratings = readRating(stanza.ratings);
    if (stanza.hasSize)
        package.fileSize = readSize(stanza.size);
    PackageExtras::Values extras = stanza.extras;
    // The page for Sileo stands in only where the stanza names no depiction of its own.
    std::optional<std::string_view> &depiction = extras[std::size_t(Extra::DepictionURL)];
    if (!depiction && stanza.hasSileoDepiction)
        depiction = stanza.sileoDepiction;
    bool any = false;
    for (const auto &value : extras)
        any = any || value;
    if (any)
        package.extras.assign(extras);
}

// Finds the line feeds of a text in order, 64 bytes at a time: most lines are skipped unread,
// so finding their ends is most of the work, and one call per line is too slow for that.
class LineFeeds
{
public:
    LineFeeds(const char *begin, const char *end)
        : m_block(begin)
        , m_end(end)
    {
        load();
    }

    // The next line feed, or null when there is none.
    const char *next()
    {
        while (m_mask == 0) {
            if (m_end - m_block <= 64)
                return nullptr;
            m_block += 64;
            load();
        }
        const char *feed = m_block + __builtin_ctzll(m_mask);
        m_mask &= m_mask - 1;
        return feed;
    }

private:
    void load()
    {
        const std::ptrdiff_t left = m_end - m_block;
        if (left >= 64) {
            m_mask = mask(m_block);
        } else if (left > 0) {
            alignas(16) char tail[64] = {};
            std::memcpy(tail, m_block, std::size_t(left));
            m_mask = mask(tail);
        }
    }

    static std::uint64_t mask(const char *bytes)
    {
#ifdef __SSE2__
        const __m128i feed = _mm_set1_epi8('\n');
        std::uint64_t bits = 0;
        for (int i = 0; i < 4; ++i) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + 16 * i));
            bits |= std::uint64_t(std::uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, feed)))) << (16 * i);
        }
        return bits;
#else
        std::uint64_t bits = 0;
        for (int i = 0; i < 64; ++i)
            bits |= std::uint64_t(bytes[i] == '\n') << i;
        return bits;
#endif
    }

    const char *m_block;
    const char *m_end;
    std::uint64_t m_mask = 0;
};

// Room for every package of a typical index (stanzas of real indexes run from about 500 to
// 1,000 bytes), so the list is rarely moved while it fills.
qsizetype expectedPackages(std::size_t textSize)
{
    return qsizetype(textSize / 480 + 8);
}

} // namespace

PackagesParser::PackagesParser(std::string repoURL, std::size_t expectedBytes)
    : m_repoURL(std::move(repoURL))
{
    if (expectedBytes == 0)
        return;
    m_packages.reserve(expectedPackages(expectedBytes));
    adviseHugePages(m_packages.data(), std::size_t(m_packages.capacity()) * sizeof(Package));
}

std::size_t PackagesParser::parseSome(std::string_view text)
{
    return std::size_t(run(text.data(), text.data() + text.size(), false) - text.data());
}

void PackagesParser::parseRest(std::string_view text)
{
    run(text.data(), text.data() + text.size(), true);
}

// Reads whole lines only, and unless this is the last piece, keeps the stanza that is still
// open for the next call: its values would point into text that is about to be replaced.
const char *PackagesParser::run(const char *begin, const char *end, bool last)
{
    Stanza stanza;
    const char *stanzaStart = begin;
    const char *line = begin;
    LineFeeds feeds(begin, end);
    while (line != end) {
        const char *feed = feeds.next();
        if (!feed && !last)
            break;
        const char *lineEnd = feed ? feed : end;
        if (feed && lineEnd != line && lineEnd[-1] == '\r')
            --lineEnd;
        if (lineEnd == line) {
            if (!stanza.name.empty())
                appendPackage(m_packages, stanza, m_repoURL);
            stanza = Stanza();
            stanzaStart = feed + 1;
        } else {
            readLine(stanza, line, std::size_t(lineEnd - line));
        }
        if (!feed)
            break;
        line = feed + 1;
    }
    if (!last)
        return stanzaStart;
    if (!stanza.name.empty())
        appendPackage(m_packages, stanza, m_repoURL);
    return end;
}

PackageList parsePackages(std::string_view text, std::string_view repoURL)
{
    if (text.empty())
        return {};
    PackagesParser parser{std::string(repoURL), text.size()};
    parser.parseRest(text);
    return parser.take();
}
