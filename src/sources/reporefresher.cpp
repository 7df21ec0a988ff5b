#include "reporefresher.h"

#include "indexfetcher.h"

#include <QtConcurrent>

#include <algorithm>
#include <utility>

RepoRefresher::RepoRefresher(QObject *parent)
    : QObject(parent)
{
}

RepoRefresher::~RepoRefresher()
{
    if (m_validators)
        m_validators->save();
    if (m_firstSeen)
        m_firstSeen->save();
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
    if (scope == Scope::Whole)
        m_validators->keepOnly(listed);
    firstSeen();
    if (scope == Scope::Whole)
        m_firstSeen->keepOnly(listed);
    for (const Repo &repo : repos) {
        ++m_inFlight[repo.id];
        Q_EMIT started(repo.id);
        Fetch fetch{repo.id, QString::fromStdString(repo.packagesURL), repo.url, m_validators->find(repo.id), {}};
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

void RepoRefresher::start(Fetch fetch)
{
    FetchOptions options = m_options;
    if (fetch.known)
        options.revalidate = fetch.known->validators;
    options.progress = [this, id = fetch.id](qint64 received, qint64 total) {
        Q_EMIT progressed(id, std::min(1.0, double(received) / double(total)));
    };
    const QString address = fetch.packagesURL;
    const std::string repoURL = fetch.repoURL;
    parsePackages(
        address, repoURL, this,
        [this, fetch = std::move(fetch)](IndexResult result) mutable { finish(std::move(fetch), result); }, options);
}

void RepoRefresher::finish(Fetch fetch, IndexResult &result)
{
    const QUuid id = fetch.id;
    std::optional<IndexValidatorStore::Entry> &known = fetch.known;
    m_bytesDownloaded += result.bytesReceived;
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
    if (result.ok() && !result.notModified)
        m_firstSeen->record(id, result.packages, m_now());
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
        // and a fingerprint that no longer matches only costs an ordinary fetch.
        m_validators->save();
        m_firstSeen->save();
        Q_EMIT idle();
    }
}
