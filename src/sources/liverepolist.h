#pragma once

#include "indexerror.h"
#include "model/repo.h"
#include "refreshoutcomestore.h"

#include <QHash>
#include <QObject>
#include <QSet>

#include <cstdint>
#include <functional>

class RepoRefresher;
struct ReleaseInfo;

// A list of sources kept in step with the refreshes that run on it. Each step of a refresh is
// applied to the source with its id and each result, success or failure, is written as soon
// as it is applied, so the store never keeps a refresh running that has ended. A list read
// back from the store never replaces state newer than itself. The main screen and vexlo-cli
// both change their lists through it.
class LiveRepoList : public QObject
{
    Q_OBJECT

public:
    using Save = std::function<void(const RepoList &)>;
    using Release = std::function<void(PackageList)>;

    // Works on the owner's list, which must outlive it. `save` writes the whole list.
    LiveRepoList(RepoList *repos, Save save, QObject *parent = nullptr);

    // Where replaced package lists go, so a large one is not freed on this thread. By
    // default they are dropped right here.
    void setRelease(Release release);

    // Starts a refresh of every source of the list as it is now; each is marked as
    // updating before this returns.
    void refreshAll();
    // Sources out of the list whose remembered state (validators, outcome, first-seen times)
    // must survive until further notice, because a delete of them may still be undone.
    void setHeldAside(QSet<QUuid> ids) { m_heldAside = std::move(ids); }
    // Starts a refresh of that source alone; nothing when it is not in the list.
    void refreshOne(const QUuid &id);
    // Each source's last refresh outcome, as recorded beside the store; read at construction,
    // written when a refresh has ended.
    [[nodiscard]] const RefreshOutcomeStore &outcomes() const { return m_outcomes; }
    [[nodiscard]] bool isRefreshing(const QUuid &id) const;
    [[nodiscard]] bool isIdle() const;
    [[nodiscard]] const RepoRefresher &refresher() const { return *m_refresher; }
    [[nodiscard]] RepoRefresher &refresher() { return *m_refresher; }
    // The clock of the first-seen times the refreshes record, replaceable in tests.
    void setClock(std::function<double()> now);

    // What the source's Release said, or null. The name to show is its title, when it has one.
    [[nodiscard]] const ReleaseInfo *releaseInfo(const QUuid &id) const;
    [[nodiscard]] QString title(const Repo &repo) const;
    // Keeps what the Release of a source being added said.
    void keepRelease(const QUuid &id, const ReleaseInfo &info);

    // The owner wrote the list after a change of its own (a pin, a deletion, an addition).
    void noteWritten();
    // To be taken when a load of the store is asked for, and handed to applyLoaded.
    [[nodiscard]] std::uint64_t loadMark() const { return m_writes; }
    // Applies a list read by a load asked for at `mark`. When the owner wrote the list after
    // that, the document is older than the list and is dropped; otherwise it replaces the
    // list, except that a source whose result was applied after `mark` keeps its record.
    // Either way a source shows a running refresh only while one runs here. Returns whether
    // the list was replaced.
    bool applyLoaded(RepoList loaded, std::uint64_t mark);

Q_SIGNALS:
    // Fields of the source at this position changed.
    void sourceChanged(int position);
    // The refresh of the source at this position failed (its console line is printed).
    void refreshFailed(int position);
    // The last running refresh has ended.
    void idle();

private:
    [[nodiscard]] int positionOf(const QUuid &id) const;
    void started(const QUuid &id);
    void succeeded(const QUuid &id, const PackageList &packages);
    void unchanged(const QUuid &id);
    void failed(const QUuid &id, const IndexError &error);
    void ended();
    void progressed(const QUuid &id, double fraction);
    void written(const QUuid &id);

    RepoList *m_repos;
    Save m_save;
    Release m_release;
    RepoRefresher *m_refresher;
    RefreshOutcomeStore m_outcomes;
    QSet<QUuid> m_heldAside;
    QSet<QUuid> m_unchanged; // answered 304, their success not yet applied
    // Counts the writes of the list; per source, the count at its last written result.
    std::uint64_t m_writes = 0;
    QHash<QUuid, std::uint64_t> m_resultWrites;
    std::uint64_t m_ownerWrite = 0;
};
