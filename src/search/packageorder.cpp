#include "packageorder.h"

#include <QCollator>

#include <algorithm>
#include <numeric>

QStringList PackageOrder::names()
{
    return {QStringLiteral("ترتيب الفهرس"), QStringLiteral("الأحدث أولًا"), QStringLiteral("الاسم")};
}

std::vector<std::uint32_t> PackageOrder::newestFirst(const std::vector<double> &firstSeen)
{
    std::vector<std::uint32_t> order(firstSeen.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&firstSeen](std::uint32_t a, std::uint32_t b) { return firstSeen[a] > firstSeen[b]; });
    return order;
}

std::vector<std::uint32_t> PackageOrder::byName(const QList<PackageList> &lists)
{
    std::vector<const Package *> packages;
    for (const PackageList &list : lists) {
        for (const Package &package : list)
            packages.push_back(&package);
    }
    return byName(packages);
}

std::vector<std::uint32_t> PackageOrder::byName(const std::vector<const Package *> &packages)
{
    // Sort keys once per package: comparing through the collator would convert both texts
    // at every one of the n log n comparisons.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(packages.size());
    for (const Package *package : packages) {
        const std::optional<std::string_view> shown = package->displayName();
        const std::string_view name = shown && !shown->empty() ? *shown : std::string_view(package->name);
        keys.push_back(collator.sortKey(QString::fromUtf8(name.data(), qsizetype(name.size()))));
    }
    std::vector<std::uint32_t> order(keys.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&keys](std::uint32_t a, std::uint32_t b) { return keys[a].compare(keys[b]) < 0; });
    return order;
}

std::vector<std::uint32_t> PackageOrder::apply(const std::vector<std::uint32_t> &ascending,
                                               const std::vector<std::uint32_t> &order)
{
    if (order.empty() || ascending.empty())
        return ascending;
    std::vector<bool> shown(order.size());
    for (const std::uint32_t i : ascending)
        shown[i] = true;
    std::vector<std::uint32_t> result;
    result.reserve(ascending.size());
    for (const std::uint32_t i : order) {
        if (shown[i])
            result.push_back(i);
    }
    return result;
}
