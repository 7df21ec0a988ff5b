#pragma once

#include "firstseenstore.h"
#include "model/repo.h"
#include "packagenews.h"

#include <QFuture>
#include <QHash>

#include <optional>

// The ages (first-seen times and marks) of each source's packages, kept until the list, what
// was recorded of it or the marks' term changes. Those of lists about to be shown can be
// worked out on another thread beforehand: a reload brings a hundred thousand packages,
// each of them looked up.
class PackageAgesCache
{
    struct Cached
    {
        const Package *packages = nullptr;
        qsizetype size = 0;
        qsizetype recorded = 0;
        std::optional<double> latestNews;
        bool marking = false;
        PackageNews::Ages ages;
    };

public:
    using Prepared = QHash<QUuid, Cached>;

    [[nodiscard]] const PackageNews::Ages &agesOf(const FirstSeenStore &store, const Repo &repo, double now);
    // The ages of these sources' lists as of `store` and `now`, worked out on another thread.
    [[nodiscard]] static QFuture<Prepared> prepare(const FirstSeenStore &store, const RepoList &repos, double now);
    // Keeps what was prepared for the lists `repos` shows; agesOf still checks it is current.
    void adopt(const Prepared &prepared, const RepoList &repos);
    // Forgets the sources `repos` no longer has.
    void keepOnly(const RepoList &repos);

private:
    [[nodiscard]] static bool current(const Cached &cached, const FirstSeenStore &store, const Repo &repo, double now);
    [[nodiscard]] static Cached make(const FirstSeenStore &store, const Repo &repo, double now);

    QHash<QUuid, Cached> m_ages;
};
