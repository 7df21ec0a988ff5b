#pragma once

#include "model/package.h"

#include <QString>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Substring search over chosen text fields of a package list, with the folding of searchFold,
// fast enough to run on every keystroke over a whole distribution's index. The fields are
// folded once into one buffer, each followed by a NUL, and a query is one memmem pass over
// that buffer whose hits are mapped back to packages. The name field holds the display name
// too, after a NUL of its own, so a package is found by either and no hit spans both. Immutable once built, so it may be built on a
// worker thread and searched on another.
class PackageSearchIndex
{
public:
    enum Field : unsigned { Name = 1, Description = 2 };

    PackageSearchIndex() = default;
    PackageSearchIndex(const PackageList &packages, unsigned fields);

    // Indices (ascending) of the packages whose fields hold the folded query. With candidates
    // (ascending), only those packages are examined: pass the result of a query that this
    // one contains. An empty query matches every package examined.
    [[nodiscard]] std::vector<std::uint32_t> search(std::string_view foldedQuery) const;
    [[nodiscard]] std::vector<std::uint32_t> search(std::string_view foldedQuery,
                                                    const std::vector<std::uint32_t> &candidates) const;

    // The same, appending to `out` the indices plus `offset`, as when this index is one part of a
    // larger list that starts at `offset`; candidates are then indices of that list.
    void searchInto(std::string_view foldedQuery, std::uint32_t offset, std::vector<std::uint32_t> &out) const;
    void searchInto(std::string_view foldedQuery, std::span<const std::uint32_t> candidates, std::uint32_t offset,
                    std::vector<std::uint32_t> &out) const;

    // The query as the index stores text: folded (searchFold) UTF-8.
    [[nodiscard]] static std::string fold(const QString &query);

    [[nodiscard]] std::uint32_t packageCount() const { return m_packageCount; }

private:
    void startField() { m_starts.push_back(std::uint32_t(m_text.size())); }
    void appendFolded(std::string_view text);
    [[nodiscard]] std::size_t segmentAt(std::size_t offset, std::size_t from) const;

    std::string m_text;
    // Start of every field's text in m_text, package by package, plus one past the end. One
    // source's names and descriptions stay far below 4 GiB (an index is at most 256 MiB).
    std::vector<std::uint32_t> m_starts;
    std::uint32_t m_packageCount = 0;
    unsigned m_fieldCount = 0;
};
