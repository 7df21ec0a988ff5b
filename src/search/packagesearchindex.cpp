#include "packagesearchindex.h"

#include "findsubstring.h"
#include "searchfold.h"

#include <algorithm>
#include <cstring>

namespace {

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

PackageSearchIndex::PackageSearchIndex(const PackageList &packages, unsigned fields)
    : m_packageCount(std::uint32_t(packages.size()))
    , m_fieldCount(unsigned(bool(fields & Name)) + unsigned(bool(fields & Description)))
{
    // One pass: the fields' texts live in separate heap blocks, and every extra walk over
    // them costs a cache miss per package. Prefetching a few packages ahead hides most of it.
    constexpr qsizetype ahead = 8;
    m_text.reserve(std::size_t(packages.size()) * ((fields & Name ? 24 : 0) + (fields & Description ? 64 : 0)));
    m_starts.reserve(std::size_t(m_packageCount) * m_fieldCount + 1);
    const Package *const data = packages.constData();
    for (qsizetype i = 0; i < packages.size(); ++i) {
        if (i + ahead < packages.size()) {
            __builtin_prefetch(data[i + ahead].name.data());
            __builtin_prefetch(data[i + ahead].description.data());
        }
        if (fields & Name) {
            startField();
            appendFolded(data[i].name);
            if (const std::optional<std::string_view> displayName = data[i].displayName()) {
                m_text.push_back('\0');
                appendFolded(*displayName);
            }
            m_text.push_back('\0');
        }
        if (fields & Description) {
            startField();
            appendFolded(data[i].description);
            m_text.push_back('\0');
        }
    }
    m_starts.push_back(std::uint32_t(m_text.size()));
}

void PackageSearchIndex::appendFolded(std::string_view field)
{
    if (isAscii(field)) {
        // The common case, without the round trip through UTF-16.
        const std::size_t at = m_text.size();
        m_text.append(field);
        for (auto it = m_text.begin() + std::ptrdiff_t(at); it != m_text.end(); ++it) {
            if (*it >= 'A' && *it <= 'Z')
                *it = char(*it + ('a' - 'A'));
        }
    } else {
        m_text += fold(QString::fromUtf8(field.data(), qsizetype(field.size())));
    }
}

std::string PackageSearchIndex::fold(const QString &query)
{
    return searchFold(query).toStdString();
}

// The field whose text holds offset, searching forward from field `from`: hits come in
// ascending order and usually lie in one of the next few fields.
std::size_t PackageSearchIndex::segmentAt(std::size_t offset, std::size_t from) const
{
    std::size_t step = 1;
    std::size_t low = from;
    std::size_t high = from + 1;
    while (high < m_starts.size() && m_starts[high] <= offset) {
        low = high;
        high += step;
        step *= 2;
    }
    high = std::min(high, m_starts.size());
    const auto it = std::upper_bound(m_starts.begin() + std::ptrdiff_t(low), m_starts.begin() + std::ptrdiff_t(high),
                                     std::uint32_t(offset));
    return std::size_t(it - m_starts.begin()) - 1;
}

std::vector<std::uint32_t> PackageSearchIndex::search(std::string_view query) const
{
    std::vector<std::uint32_t> found;
    searchInto(query, 0, found);
    return found;
}

std::vector<std::uint32_t> PackageSearchIndex::search(std::string_view query,
                                                      const std::vector<std::uint32_t> &candidates) const
{
    if (query.empty())
        return candidates;
    std::vector<std::uint32_t> found;
    searchInto(query, candidates, 0, found);
    return found;
}

void PackageSearchIndex::searchInto(std::string_view query, std::uint32_t offset, std::vector<std::uint32_t> &out) const
{
    if (query.empty()) {
        for (std::uint32_t i = 0; i < m_packageCount; ++i)
            out.push_back(offset + i);
        return;
    }
    if (m_fieldCount == 0)
        return;
    const char *const base = m_text.data();
    const std::size_t size = m_text.size();
    std::size_t pos = 0;
    std::size_t segment = 0;
    while (pos < size) {
        const char *hit = findSubstring(base + pos, size - pos, query);
        if (!hit)
            break;
        const std::size_t at = std::size_t(hit - base);
        segment = segmentAt(at, segment);
        // The field's own text ends before its NUL; a hit running past it spans two fields.
        if (at + query.size() < m_starts[segment + 1]) {
            const std::uint32_t package = std::uint32_t(segment / m_fieldCount);
            out.push_back(offset + package);
            segment = std::size_t(package + 1) * m_fieldCount;
            pos = m_starts[segment];
        } else {
            pos = at + 1;
        }
    }
}

void PackageSearchIndex::searchInto(std::string_view query, std::span<const std::uint32_t> candidates,
                                    std::uint32_t offset, std::vector<std::uint32_t> &out) const
{
    const char *const base = m_text.data();
    for (const std::uint32_t candidate : candidates) {
        const std::uint32_t package = candidate - offset;
        if (candidate < offset || package >= m_packageCount)
            continue;
        for (unsigned field = 0; field < m_fieldCount; ++field) {
            const std::size_t segment = std::size_t(package) * m_fieldCount + field;
            const std::size_t begin = m_starts[segment];
            const std::size_t length = m_starts[segment + 1] - 1 - begin;
            if (length >= query.size() && findSubstring(base + begin, length, query)) {
                out.push_back(candidate);
                break;
            }
        }
    }
}
