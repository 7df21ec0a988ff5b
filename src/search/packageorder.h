#pragma once

#include "model/package.h"

#include <QStringList>

#include <cstdint>
#include <vector>

// Orders in which a grid can show its packages. An order is a list of positions in the
// joined lists (each once); the index order needs none.
namespace PackageOrder {

enum Kind { Index, Newest, Name };
// The order menu's entries, in the order of Kind.
[[nodiscard]] QStringList names();

// Newest first by the time each was first seen; equal times keep index order.
[[nodiscard]] std::vector<std::uint32_t> newestFirst(const std::vector<double> &firstSeen);
// By display name, else identifier, as the locale sorts text; equal names keep index order.
[[nodiscard]] std::vector<std::uint32_t> byName(const std::vector<const Package *> &packages);
[[nodiscard]] std::vector<std::uint32_t> byName(const QList<PackageList> &lists);

// The positions of `ascending` (positions in index order) as `order` puts them; `order`
// empty means index order.
[[nodiscard]] std::vector<std::uint32_t> apply(const std::vector<std::uint32_t> &ascending,
                                               const std::vector<std::uint32_t> &order);

} // namespace PackageOrder
