#include "packagenews.h"

#include <algorithm>
#include <limits>

PackageNews::Ages PackageNews::agesOf(const FirstSeenStore &store, const QUuid &source, const PackageList &packages, double now)
{
    Ages ages;
    ages.firstSeen.assign(std::size_t(packages.size()), -std::numeric_limits<double>::infinity());
    ages.marks.assign(std::size_t(packages.size()), Novelty::Known);
    if (!store.contains(source))
        return ages;
    const std::optional<double> latest = store.latestNews(source);
    const bool marking = latest && now - *latest <= recentSeconds;
    const std::vector<FirstSeenStore::Entry> *inOrder = store.entriesInOrder(source, packages);
    for (qsizetype i = 0; i < packages.size(); ++i) {
        // The list last recorded needs no look-up, which is most of the time on a large one.
        const std::optional<FirstSeenStore::Entry> entry =
            inOrder ? std::optional((*inOrder)[std::size_t(i)]) : store.find(source, packages.at(i));
        if (!entry)
            continue;
        ages.firstSeen[std::size_t(i)] = entry->time;
        if (marking && entry->novelty != Novelty::Known && entry->time == *latest) {
            ages.marks[std::size_t(i)] = entry->novelty;
            ++ages.marked;
        }
    }
    return ages;
}

std::vector<PackageNews::Arrival> PackageNews::arrivals(const RepoList &repos, const FirstSeenStore &store, double since)
{
    std::vector<Arrival> found;
    for (qsizetype r = 0; r < repos.size(); ++r) {
        const Repo &repo = repos.at(r);
        // Nothing of this source is recent: its packages need not be looked up.
        if (const std::optional<double> latest = store.latestNews(repo.id); !latest || *latest < since)
            continue;
        const std::vector<FirstSeenStore::Entry> *inOrder = store.entriesInOrder(repo.id, repo.packages);
        for (qsizetype p = 0; p < repo.packages.size(); ++p) {
            const std::optional<FirstSeenStore::Entry> entry =
                inOrder ? std::optional((*inOrder)[std::size_t(p)]) : store.find(repo.id, repo.packages.at(p));
            if (entry && entry->novelty != Novelty::Known && entry->time >= since)
                found.push_back({r, p, entry->time, entry->novelty});
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const Arrival &a, const Arrival &b) { return a.time > b.time; });
    return found;
}

QString PackageNews::markText(Novelty novelty)
{
    switch (novelty) {
    case Novelty::New:
        return QStringLiteral("جديد");
    case Novelty::Updated:
        return QStringLiteral("مُحدَّث");
    case Novelty::Known:
        break;
    }
    return {};
}

QString PackageNews::markedCountText(int marked)
{
    return marked > 0 ? QStringLiteral("جديد: ") + QString::number(marked) : QString();
}
