#pragma once

#include "architectureindex.h"
#include "model/package.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The sections of a package list: the distinct texts of the packages' sections, sorted by code
// point, how many packages each holds, and for every package the position of its own. A
// package without a section, or with an empty one, is in none.
class SectionIndex
{
public:
    struct Section
    {
        QString name;
        int count = 0;
    };
    static constexpr std::uint32_t none = UINT32_MAX;

    SectionIndex() = default;
    explicit SectionIndex(const PackageList &packages);

    [[nodiscard]] const QList<Section> &sections() const { return m_sections; }
    // Position of a section in sections(), or -1 when no package has it.
    [[nodiscard]] int find(const QString &name) const;
    [[nodiscard]] std::uint32_t of(std::uint32_t package) const { return m_ofPackage[package]; }

private:
    QList<Section> m_sections;
    std::vector<std::uint32_t> m_ofPackage;
};

// The packages among `found` (ascending indices) that are of the chosen architecture and in
// the chosen section, in the same order; a side without a choice is open. A chosen
// value that no package has leaves nothing.
[[nodiscard]] std::vector<std::uint32_t> narrowPackages(const std::vector<std::uint32_t> &found,
                                                        const ArchitectureIndex &architectures,
                                                        const std::optional<QString> &architecture,
                                                        const SectionIndex &sections,
                                                        const std::optional<QString> &section);
