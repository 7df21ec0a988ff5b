#include "sectionindex.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <unordered_map>

SectionIndex::SectionIndex(const PackageList &packages)
{
    // Ids in order of first sight, renumbered in sorted order at the end.
    std::vector<std::string_view> seen;
    std::vector<int> counts;
    std::unordered_map<std::string_view, std::uint32_t> idOf;
    m_ofPackage.reserve(std::size_t(packages.size()));
    for (const Package &p : packages) {
        const std::optional<std::string_view> section = p.section();
        if (!section || section->empty()) {
            m_ofPackage.push_back(none);
            continue;
        }
        const auto [it, added] = idOf.try_emplace(*section, std::uint32_t(seen.size()));
        if (added) {
            seen.push_back(*section);
            counts.push_back(0);
        }
        ++counts[it->second];
        m_ofPackage.push_back(it->second);
    }

    // std::string_view compares bytes as unsigned, and UTF-8 byte order is code point order.
    std::vector<std::uint32_t> order(seen.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return seen[a] < seen[b]; });
    std::vector<std::uint32_t> rank(seen.size());
    m_sections.reserve(qsizetype(seen.size()));
    for (std::uint32_t i = 0; i < order.size(); ++i) {
        rank[order[i]] = i;
        const std::string_view name = seen[order[i]];
        m_sections.append({QString::fromUtf8(name.data(), qsizetype(name.size())), counts[order[i]]});
    }
    for (std::uint32_t &id : m_ofPackage) {
        if (id != none)
            id = rank[id];
    }
}

int SectionIndex::find(const QString &name) const
{
    const auto it = std::find_if(m_sections.cbegin(), m_sections.cend(),
                                 [&name](const Section &s) { return s.name == name; });
    return it == m_sections.cend() ? -1 : int(it - m_sections.cbegin());
}

std::vector<std::uint32_t> narrowPackages(const std::vector<std::uint32_t> &found,
                                          const ArchitectureIndex &architectures,
                                          const std::optional<QString> &architecture,
                                          const SectionIndex &sections, const std::optional<QString> &section)
{
    if (!architecture && !section)
        return found;
    const int wantedArchitecture = architecture ? architectures.find(*architecture) : -1;
    const int wantedSection = section ? sections.find(*section) : -1;
    if ((architecture && wantedArchitecture < 0) || (section && wantedSection < 0))
        return {};
    std::vector<std::uint32_t> shown;
    for (const std::uint32_t package : found) {
        if ((!architecture || architectures.of(package) == std::uint32_t(wantedArchitecture))
            && (!section || sections.of(package) == std::uint32_t(wantedSection)))
            shown.push_back(package);
    }
    return shown;
}
