#pragma once

#include "packagesearchindex.h"

#include <QFuture>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The search of one screen: builds its PackageSearchIndex on a worker thread as soon as it is
// made (so opening a screen does not wait for it) and answers queries one keystroke at a time.
// Recent answers are kept: a query that contains an earlier one (the user typed on) only
// re-examines that answer's packages, and a query seen before (the user deleted back to it)
// is answered from memory.
class PackageSearch
{
public:
    PackageSearch(const PackageList &packages, unsigned fields);
    ~PackageSearch();

    // Indices (ascending) of the packages matching query; valid until the next call.
    [[nodiscard]] const std::vector<std::uint32_t> &matches(const QString &query);

private:
    struct Answer
    {
        std::string query;
        std::vector<std::uint32_t> packages;
    };
    [[nodiscard]] const PackageSearchIndex &index();

    QFuture<std::shared_ptr<const PackageSearchIndex>> m_building;
    std::shared_ptr<const PackageSearchIndex> m_index;
    std::vector<Answer> m_recent; // most recent last
    std::uint32_t m_packageCount = 0;
};
