#include "architectureindex.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <unordered_map>

ArchitectureIndex::ArchitectureIndex(const PackageList &packages)
{
    // Ids in order of first sight, renumbered in sorted order at the end. A source has a
    // handful of architectures, mostly in runs, so the last one is checked before the map.
    std::vector<std::string_view> seen;
    std::unordered_map<std::string_view, std::uint32_t> idOf;
    m_ofPackage.reserve(std::size_t(packages.size()));
    std::string_view last;
    std::uint32_t lastId = 0;
    for (const Package &p : packages) {
        const std::string_view arch = p.simplifiedArchitecture();
        if (seen.empty() || arch != last) {
            const auto [it, added] = idOf.try_emplace(arch, std::uint32_t(seen.size()));
            if (added)
                seen.push_back(arch);
            last = arch;
            lastId = it->second;
        }
        m_ofPackage.push_back(lastId);
    }

    // std::string_view compares bytes as unsigned, and UTF-8 byte order is code point order.
    std::vector<std::uint32_t> order(seen.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return seen[a] < seen[b]; });
    std::vector<std::uint32_t> rank(seen.size());
    m_names.reserve(qsizetype(seen.size()));
    for (std::uint32_t i = 0; i < order.size(); ++i) {
        rank[order[i]] = i;
        m_names.append(QString::fromUtf8(seen[order[i]].data(), qsizetype(seen[order[i]].size())));
    }
    for (std::uint32_t &id : m_ofPackage)
        id = rank[id];
}
