#include "packageagescache.h"

#include <QtConcurrent>

namespace {

bool marking(const std::optional<double> &latest, double now)
{
    return latest && now - *latest <= PackageNews::recentSeconds;
}

} // namespace

bool PackageAgesCache::current(const Cached &cached, const FirstSeenStore &store, const Repo &repo, double now)
{
    const std::optional<double> latest = store.latestNews(repo.id);
    return cached.packages == repo.packages.constData() && cached.size == repo.packages.size()
        && cached.recorded == store.entryCount(repo.id) && cached.latestNews == latest
        && cached.marking == marking(latest, now);
}

PackageAgesCache::Cached PackageAgesCache::make(const FirstSeenStore &store, const Repo &repo, double now)
{
    const std::optional<double> latest = store.latestNews(repo.id);
    return {repo.packages.constData(), repo.packages.size(), store.entryCount(repo.id), latest, marking(latest, now),
            PackageNews::agesOf(store, repo.id, repo.packages, now)};
}

const PackageNews::Ages &PackageAgesCache::agesOf(const FirstSeenStore &store, const Repo &repo, double now)
{
    Cached &cached = m_ages[repo.id];
    if (!current(cached, store, repo, now))
        cached = make(store, repo, now);
    return cached.ages;
}

QFuture<PackageAgesCache::Prepared> PackageAgesCache::prepare(const FirstSeenStore &store, const RepoList &repos, double now)
{
    // Copies share the records with the originals until these change, so the worker reads a
    // store that stays as it was.
    return QtConcurrent::run([store, repos, now] {
        Prepared prepared;
        for (const Repo &repo : repos)
            prepared.insert(repo.id, make(store, repo, now));
        return prepared;
    });
}

void PackageAgesCache::adopt(const Prepared &prepared, const RepoList &repos)
{
    for (const Repo &repo : repos) {
        const auto it = prepared.constFind(repo.id);
        if (it != prepared.cend() && it->packages == repo.packages.constData() && it->size == repo.packages.size())
            m_ages.insert(repo.id, *it);
    }
}

void PackageAgesCache::keepOnly(const RepoList &repos)
{
    m_ages.removeIf([&repos](const auto &entry) {
        return std::none_of(repos.cbegin(), repos.cend(), [&entry](const Repo &repo) { return repo.id == entry.key(); });
    });
}
