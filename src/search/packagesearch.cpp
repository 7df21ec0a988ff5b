#include "packagesearch.h"

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {
constexpr std::size_t recentLimit = 16;
}

PackageSearch::PackageSearch(const PackageList &packages, unsigned fields)
    : m_building(QtConcurrent::run([packages, fields] {
        return std::shared_ptr<const PackageSearchIndex>(std::make_shared<PackageSearchIndex>(packages, fields));
    }))
    , m_packageCount(std::uint32_t(packages.size()))
{
}

// A build still running is left to finish on its own: it holds its own copy of the list and
// its result is dropped with the last copy of the future.
PackageSearch::~PackageSearch() = default;

const PackageSearchIndex &PackageSearch::index()
{
    if (!m_index)
        m_index = m_building.result();
    return *m_index;
}

const std::vector<std::uint32_t> &PackageSearch::matches(const QString &query)
{
    const std::string folded = PackageSearchIndex::fold(query);
    const auto same = std::find_if(m_recent.begin(), m_recent.end(), [&](const Answer &a) { return a.query == folded; });
    if (same != m_recent.end()) {
        std::rotate(same, same + 1, m_recent.end());
        return m_recent.back().packages;
    }

    Answer answer{folded, {}};
    if (folded.empty()) {
        answer.packages.resize(m_packageCount);
        for (std::uint32_t i = 0; i < m_packageCount; ++i)
            answer.packages[i] = i;
    } else {
        // Narrow the smallest earlier answer whose query this one contains.
        const Answer *base = nullptr;
        for (const Answer &a : m_recent) {
            if (!a.query.empty() && folded.find(a.query) != std::string::npos
                && (!base || a.packages.size() < base->packages.size()))
                base = &a;
        }
        // Examining most packages one by one costs more than one pass over the whole text.
        if (base && base->packages.size() < m_packageCount / 4)
            answer.packages = index().search(folded, base->packages);
        else
            answer.packages = index().search(folded);
    }
    if (m_recent.size() == recentLimit)
        m_recent.erase(m_recent.begin());
    m_recent.push_back(std::move(answer));
    return m_recent.back().packages;
}
