#pragma once

#include "firstseenstore.h"
#include "model/repo.h"

#include <QString>

#include <vector>

// What is new in the sources, from the times their packages were first seen.
namespace PackageNews {

// How long a package counts as new: marks and the updates list reach this far back.
inline constexpr double recentSeconds = 7 * 86400.0;

// One source's packages, in list order.
struct Ages
{
    std::vector<double> firstSeen; // -infinity when not recorded
    // New or Updated for a package that came with the source's latest fetch that brought
    // anything, within recentSeconds of `now`; Known for every other.
    std::vector<Novelty> marks;
    int marked = 0;
};
[[nodiscard]] Ages agesOf(const FirstSeenStore &store, const QUuid &source, const PackageList &packages, double now);

// A package that came new or updated to a source.
struct Arrival
{
    qsizetype repo; // position in the list of sources
    qsizetype package; // position in that source's packages
    double time;
    Novelty novelty;
};
// The packages of all sources that came new or updated at `since` or later (never those of a
// source's first fetch), newest first; equal times in list order.
[[nodiscard]] std::vector<Arrival> arrivals(const RepoList &repos, const FirstSeenStore &store, double since);

// A package's mark: "جديد", "مُحدَّث", or empty for a known one.
[[nodiscard]] QString markText(Novelty novelty);
// Beside a source's count: "جديد: N" while N of its packages are marked, else empty.
[[nodiscard]] QString markedCountText(int marked);

} // namespace PackageNews
