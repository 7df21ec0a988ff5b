#include "reporefresher.h"

#include "platform/userdefaults.h"
#include "sourcefetch.h"

#include <QtConcurrent>

#include <algorithm>
#include <utility>

RepoRefresher::RepoRefresher(QObject *parent)
    : QObject(parent)
{
}

RepoRefresher::~RepoRefresher()
{
    // What was handed to the writing thread is written (or tried again) before this ends.
    UserDefaults::waitForWrites();
    if (m_validators)
        m_validators->save();
    if (m_firstSeen)
        m_firstSeen->save();
    if (m_releases)
        m_releases->save();
}

const FirstSeenStore &RepoRefresher::firstSeen() const
{
    if (!m_firstSeen) {
        m_firstSeen.emplace();
        m_firstSeen->load();
    }
    return *m_firstSeen;
}

void RepoRefresher::refresh(const RepoList &list, Scope scope, const QSet<QUuid> &keep)
{
    // A slot of `started` may change the caller's list, and with it the storage `list` refers
    // to; this copy keeps the list as it was for the whole loop.
    const RepoList repos = list;
    if (!m_validators) {
        m_validators.emplace();
        m_validators->load();
    }
    QSet<QUuid> listed = keep;
    for (const Repo &repo : repos)
        listed.insert(repo.id);
    if (scope == Scope::Whole) {
        m_validators->keepOnly(listed);
        releases().keepOnly(listed);
    }
    (void)firstSeen(); // loaded now: every result is compared with it
    if (scope == Scope::Whole)
        m_firstSeen->keepOnly(listed);
    for (const Repo &repo : repos) {
        ++m_inFlight[repo.id];
        Q_EMIT started(repo.id);
        Fetch fetch{repo.id, QString::fromStdString(repo.packagesURL), QString::fromStdString(repo.url),
                    m_validators->find(repo.id), {}};
        if (!fetch.known) {
            start(std::move(fetch));
            continue;
        }
        // The list may come from an older document or have been edited since: only when it is
        // still the list the validators describe may the server's "unchanged" stand for it.
        // Hashing a whole distribution's list takes milliseconds, so not on this thread.
        QtConcurrent::run([packages = repo.packages] { return std::pair(fingerprintOf(packages), packages); })
            .then(this, [this, fetch = std::move(fetch)](std::pair<PackageListFingerprint, PackageList> current) mutable {
                if (current.first == fetch.known->fingerprint)
                    fetch.current = std::move(current.second);
                else
                    fetch.known.reset();
                start(std::move(fetch));
            });
    }
}

ReleaseInfoStore &RepoRefresher::releases()
{
    if (!m_releases) {
        m_releases.emplace();
        m_releases->load();
    }
    return *m_releases;
}

const ReleaseInfo *RepoRefresher::releaseInfo(const QUuid &id)
{
    return releases().find(id);
}

void RepoRefresher::keepRelease(const QUuid &id, ReleaseInfo info)
{
    if (releases().insert(id, std::move(info)))
        m_releases->save();
}

void RepoRefresher::start(Fetch fetch)
{
    SourceFetchRequest request{fetch.repoURL, fetch.packagesURL, std::nullopt, {}, m_options};
    if (fetch.known)
        request.revalidate = fetch.known->validators;
    request.options.progress = [this, id = fetch.id](qint64 received, qint64 total) {
        Q_EMIT progressed(id, std::min(1.0, double(received) / double(total)));
    };
    if (const ReleaseInfo *known = releases().find(fetch.id))
        request.known = *known;
    fetchSource(std::move(request), this, [this, fetch = std::move(fetch)](SourceFetchResult result) mutable {
        finish(std::move(fetch), result);
    });
}

void RepoRefresher::finish(Fetch fetch, SourceFetchResult &fetched)
{
    const IndexResult &result = fetched.index;
    m_bytesDownloaded += result.bytesReceived;
    if (!result.ok() || result.notModified)
        return conclude(std::move(fetch), fetched, std::nullopt);
    // Weighing a whole distribution's packages against what was recorded of them takes a
    // frame or more: done on another thread, then taken over here unless the times changed
    // meanwhile, in which case the packages are recorded here after all.
    const double now = m_now();
    QtConcurrent::run([recording = m_firstSeen->prepare(fetch.id), packages = result.packages, now]() mutable {
        return FirstSeenStore::compute(std::move(recording), packages, now);
    }).then(this, [this, fetch = std::move(fetch), fetched = std::move(fetched), now](FirstSeenStore::Recording recording) mutable {
        conclude(std::move(fetch), fetched, m_firstSeen->adopt(std::move(recording)) ? std::nullopt : std::optional(now));
    });
}

void RepoRefresher::conclude(Fetch fetch, SourceFetchResult &fetched, std::optional<double> recordAt)
{
    IndexResult &result = fetched.index;
    const QUuid id = fetch.id;
    // Before the source's own result, so whoever shows it shows its name from the Release too.
    releases().insert(id, std::move(fetched.release));
    std::optional<IndexValidatorStore::Entry> &known = fetch.known;
    if (result.ok() && result.notModified) {
        Q_ASSERT(known); // only a request that carried validators is answered so
        // A 304 may bring validators of its own; they describe the same index.
        if (!result.validators.etag.isEmpty())
            known->validators.etag = result.validators.etag;
        if (!result.validators.lastModified.isEmpty())
            known->validators.lastModified = result.validators.lastModified;
        m_validators->insert(id, std::move(*known));
        result.packages = std::exchange(fetch.current, {});
        // Nothing changed, unless nothing was recorded yet (a list kept from before first
        // times were): it is then the source's first fetch.
        if (!m_firstSeen->contains(id))
            m_firstSeen->record(id, result.packages, m_now());
        Q_EMIT unchanged(id);
    } else if (result.ok() && result.validators.canRevalidate()) {
        m_validators->insert(id, {std::move(result.validators), result.fingerprint});
    } else if (result.ok()) {
        m_validators->remove(id);
    }
    if (recordAt)
        m_firstSeen->record(id, result.packages, *recordAt);
    if (result.ok())
        Q_EMIT succeeded(id, result.packages);
    else
        Q_EMIT failed(id, *result.error);
    if (m_release) {
        // The list a 304 stood for may be the last reference to one replaced meanwhile.
        for (PackageList *list : {&result.packages, &fetch.current}) {
            if (!list->isEmpty())
                m_release(std::move(*list));
        }
    }
    if (auto it = m_inFlight.find(id); it != m_inFlight.end() && --*it == 0)
        m_inFlight.erase(it);
    if (m_inFlight.isEmpty()) {
        // Written once a refresh has ended, not after each source: it is the list's companion,
        // and a fingerprint that no longer matches only costs an ordinary fetch. Written on
        // another thread: a wait for the disk here would stall the screen.
        m_validators->saveLater();
        m_firstSeen->saveLater();
        m_releases->saveLater();
        Q_EMIT idle();
    }
}
