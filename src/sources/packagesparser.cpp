#include "packagesparser.h"

#include "hugepages.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>

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
    bool hasFilename = false;
    bool hasArchitecture = false;
    bool hasRatings = false;
    bool hasSize = false;
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

// Tests the prefixes in their fixed order; each starts with a different letter, so the first
// letter picks the only candidate.
void readLine(Stanza &stanza, const char *line, std::size_t length)
{
    switch (line[0]) {
    case 'P':
        if (startsWith(line, length, "Package: "sv))
            stanza.name = rest(line, length, "Package: "sv);
        break;
    case 'D':
        if (startsWith(line, length, "Description: "sv))
            stanza.description = rest(line, length, "Description: "sv);
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
        }
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
}

// Room for every package of a typical index (stanzas of real indexes run from about 500 to
// 1,000 bytes), so the list is rarely moved while it fills.
qsizetype expectedPackages(std::size_t textSize)
{
    return qsizetype(textSize / 480 + 8);
}

} // namespace

PackageList parsePackages(std::string_view text, std::string_view repoURL)
{
    PackageList result;
    if (text.empty())
        return result;
    result.reserve(expectedPackages(text.size()));
    adviseHugePages(result.data(), std::size_t(result.capacity()) * sizeof(Package));

    Stanza stanza;
    const char *line = text.data();
    const char *const end = line + text.size();
    while (line != end) {
        const auto *feed = static_cast<const char *>(std::memchr(line, '\n', std::size_t(end - line)));
        const char *lineEnd = feed ? feed : end;
        if (feed && lineEnd != line && lineEnd[-1] == '\r')
            --lineEnd;
        if (lineEnd == line) {
            if (!stanza.name.empty())
                appendPackage(result, stanza, repoURL);
            stanza = Stanza();
        } else {
            readLine(stanza, line, std::size_t(lineEnd - line));
        }
        if (!feed)
            break;
        line = feed + 1;
    }
    if (!stanza.name.empty())
        appendPackage(result, stanza, repoURL);
    return result;
}
