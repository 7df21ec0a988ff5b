#pragma once

#include "firstseenstore.h"
#include "indexerror.h"
#include "indexfetcher.h"
#include "indexvalidatorstore.h"
#include "releaseinfostore.h"
#include "model/repo.h"

#include <QHash>
#include <QObject>
#include <QSet>

#include <functional>
#include <optional>

struct SourceFetchResult;

// Refreshes sources: one fetch per source, all in flight at once, parsed off the main
// thread. Results are reported by source id, so that whoever owns the list applies them to
// the right source even after the list changed meanwhile.
//
// A source whose list still is the one its last fetched index produced is fetched with a
// conditional request; when the server answers that the index is unchanged, `unchanged` and
// then `succeeded` with that same list are emitted, so the source takes exactly the steps of
// a success without a download or a parse.
class RepoRefresher : public QObject
{
    Q_OBJECT

public:
    explicit RepoRefresher(QObject *parent = nullptr);
    ~RepoRefresher() override;

    // Starts a refresh of every source of the list as it is now; `started` is emitted for
    // each before this returns. A source whose refresh already runs gets a second one; the
    // result that arrives last is the one that stays. The list is the whole list: what is
    // remembered of sources missing from it is forgotten, unless only `Some` are refreshed,
    // or they are in `keep` (sources a delete that can still be undone took out).
    enum class Scope { Whole, Some };
    void refresh(const RepoList &repos, Scope scope = Scope::Whole, const QSet<QUuid> &keep = {});

    // Where each list this object lets go of goes once `succeeded` or `failed` has been handled,
    // so that a list no slot kept is not freed on the calling thread. By default it is dropped
    // right there.
    void setRelease(std::function<void(PackageList)> release) { m_release = std::move(release); }

    // The limits of every fetch started from now on (the platform's by default).
    void setFetchOptions(const FetchOptions &options) { m_options = options; }
    // What each source's Release said, read from beside the store at the first use.
    [[nodiscard]] const ReleaseInfo *releaseInfo(const QUuid &id);
    // Keeps what a source's Release said when it was fetched elsewhere (on adding), at once.
    void keepRelease(const QUuid &id, ReleaseInfo info);

    [[nodiscard]] bool isRefreshing(const QUuid &id) const { return m_inFlight.contains(id); }
    [[nodiscard]] bool isIdle() const { return m_inFlight.isEmpty(); }
    // When each package of each source was first seen, as of the fetches so far (read from
    // its file at the first use). Recorded before `succeeded` is emitted.
    [[nodiscard]] const FirstSeenStore &firstSeen() const;
    // The clock of the times recorded (seconds since 2001), replaceable in tests.
    void setClock(std::function<double()> now) { m_now = std::move(now); }
    // Index bytes received by every refresh of this object so far.
    [[nodiscard]] qint64 bytesDownloaded() const { return m_bytesDownloaded; }

Q_SIGNALS:
    void started(const QUuid &id);
    void unchanged(const QUuid &id);
    void succeeded(const QUuid &id, const PackageList &packages);
    void failed(const QUuid &id, const IndexError &error);
    // The part of the source's index that has arrived, from 0 to 1, when its size is known.
    void progressed(const QUuid &id, double fraction);
    // The last running fetch has ended.
    void idle();

private:
    struct Fetch
    {
        QUuid id;
        QString packagesURL;
        QString repoURL;
        std::optional<IndexValidatorStore::Entry> known; // when the source's list still matches them
        PackageList current; // that list, which a 304 hands back as the result
    };
    void start(Fetch fetch);
    void finish(Fetch fetch, SourceFetchResult &fetched);
    // The rest of finish, once a successful fetch's packages were recorded (or are to be
    // recorded at `recordAt`).
    void conclude(Fetch fetch, SourceFetchResult &fetched, std::optional<double> recordAt);
    ReleaseInfoStore &releases();

    QHash<QUuid, int> m_inFlight;
    std::function<void(PackageList)> m_release;
    std::optional<IndexValidatorStore> m_validators; // read at the first refresh
    mutable std::optional<FirstSeenStore> m_firstSeen;
    std::function<double()> m_now = &ReferenceDate::now;
    std::optional<ReleaseInfoStore> m_releases;      // read at the first use
    qint64 m_bytesDownloaded = 0;
    FetchOptions m_options;
};
