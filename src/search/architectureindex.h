#pragma once

#include "model/package.h"

#include <QStringList>

#include <cstdint>
#include <vector>

// The distinct simplified architectures of a package list, sorted by code point, and for
// every package the position of its own among them.
class ArchitectureIndex
{
public:
    ArchitectureIndex() = default;
    explicit ArchitectureIndex(const PackageList &packages);

    [[nodiscard]] const QStringList &names() const { return m_names; }
    // Position of an architecture in names(), or -1 when no package has it.
    [[nodiscard]] int find(const QString &name) const { return int(m_names.indexOf(name)); }
    [[nodiscard]] std::uint32_t of(std::uint32_t package) const { return m_ofPackage[package]; }

private:
    QStringList m_names;
    std::vector<std::uint32_t> m_ofPackage;
};
