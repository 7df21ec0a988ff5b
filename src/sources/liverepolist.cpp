#include "liverepolist.h"

#include "failurereason.h"
#include "platform/console.h"
#include "refreshoutcome.h"
#include "reporefresher.h"

#include <cmath>
#include <utility>

namespace {
constexpr double progressSteps = 20;
}

LiveRepoList::LiveRepoList(RepoList *repos, Save save, QObject *parent)
    : QObject(parent)
    , m_repos(repos)
    , m_save(std::move(save))
    , m_refresher(new RepoRefresher(this))
{
    connect(m_refresher, &RepoRefresher::started, this, &LiveRepoList::started);
    connect(m_refresher, &RepoRefresher::succeeded, this, &LiveRepoList::succeeded);
    connect(m_refresher, &RepoRefresher::unchanged, this, &LiveRepoList::unchanged);
    connect(m_refresher, &RepoRefresher::failed, this, &LiveRepoList::failed);
    connect(m_refresher, &RepoRefresher::idle, this, &LiveRepoList::ended);
    m_outcomes.load();
    connect(m_refresher, &RepoRefresher::progressed, this, &LiveRepoList::progressed);
}

void LiveRepoList::setRelease(Release release)
{
    m_release = std::move(release);
    m_refresher->setRelease(m_release);
}

void LiveRepoList::setClock(std::function<double()> now)
{
    m_refresher->setClock(std::move(now));
}

void LiveRepoList::refreshAll()
{
    m_refresher->refresh(*m_repos, RepoRefresher::Scope::Whole, m_heldAside);
}

void LiveRepoList::refreshOne(const QUuid &id)
{
    if (const int i = positionOf(id); i >= 0)
        m_refresher->refresh({m_repos->at(i)}, RepoRefresher::Scope::Some);
}

void LiveRepoList::unchanged(const QUuid &id)
{
    m_unchanged.insert(id);
}

void LiveRepoList::ended()
{
    // Written with the list as it is now, which is when entries of deleted sources go.
    QSet<QUuid> listed = m_heldAside;
    for (const Repo &repo : std::as_const(*m_repos))
        listed.insert(repo.id);
    m_outcomes.keepOnly(listed);
    m_outcomes.saveLater();
    Q_EMIT idle();
}

const ReleaseInfo *LiveRepoList::releaseInfo(const QUuid &id) const
{
    return m_refresher->releaseInfo(id);
}

QString LiveRepoList::title(const Repo &repo) const
{
    const ReleaseInfo *info = releaseInfo(repo.id);
    return info && !info->title.isEmpty() ? info->title : QString::fromStdString(repo.name);
}

void LiveRepoList::keepRelease(const QUuid &id, const ReleaseInfo &info)
{
    m_refresher->keepRelease(id, info);
}

bool LiveRepoList::isRefreshing(const QUuid &id) const
{
    return m_refresher->isRefreshing(id);
}

bool LiveRepoList::isIdle() const
{
    return m_refresher->isIdle();
}

void LiveRepoList::noteWritten()
{
    m_ownerWrite = ++m_writes;
}

int LiveRepoList::positionOf(const QUuid &id) const
{
    for (int i = 0; i < m_repos->size(); ++i) {
        if (m_repos->at(i).id == id)
            return i;
    }
    return -1;
}

void LiveRepoList::started(const QUuid &id)
{
    const int i = positionOf(id);
    if (i < 0)
        return;
    RefreshOutcome::begin((*m_repos)[i]);
    Q_EMIT sourceChanged(i);
}

void LiveRepoList::succeeded(const QUuid &id, const PackageList &packages)
{
    const bool unchanged = m_unchanged.remove(id);
    const int i = positionOf(id);
    if (i < 0)
        return; // the source was deleted, or a reload went without it
    m_outcomes.insert(id, {unchanged ? RefreshOutcomeStore::Result::Unchanged : RefreshOutcomeStore::Result::Succeeded,
                           {}, true});
    PackageList replaced = RefreshOutcome::succeed((*m_repos)[i], packages);
    if (m_release)
        m_release(std::move(replaced));
    Q_EMIT sourceChanged(i);
    written(id);
}

void LiveRepoList::failed(const QUuid &id, const IndexError &error)
{
    const int i = positionOf(id);
    if (i < 0)
        return;
    // A source from a document older than these records has succeeded when it has packages.
    const std::optional<RefreshOutcomeStore::Entry> before = m_outcomes.find(id);
    m_outcomes.insert(id, {RefreshOutcomeStore::Result::Failed, failureReason(error),
                           before ? before->everSucceeded : !m_repos->at(i).packages.isEmpty()});
    Console::printLine(RefreshOutcome::consoleLine(m_repos->at(i)));
    RefreshOutcome::fail((*m_repos)[i]);
    Q_EMIT sourceChanged(i);
    // Written too: otherwise the store could keep the source updating from an earlier write.
    written(id);
    if (const int j = positionOf(id); j >= 0)
        Q_EMIT refreshFailed(j);
}

void LiveRepoList::written(const QUuid &id)
{
    m_resultWrites.insert(id, ++m_writes);
    m_save(*m_repos);
}

bool LiveRepoList::applyLoaded(RepoList loaded, std::uint64_t mark)
{
    // The owner's own write after the load was asked for holds the whole list as it is
    // now, and is stored after the document that was read.
    if (m_ownerWrite > mark) {
        if (m_release) {
            for (Repo &repo : loaded)
                m_release(std::move(repo.packages));
        }
        return false;
    }
    bool keptNewer = false;
    for (Repo &repo : loaded) {
        const auto result = m_resultWrites.constFind(repo.id);
        if (result != m_resultWrites.cend() && *result > mark) {
            if (const int i = positionOf(repo.id); i >= 0) {
                std::swap(repo, (*m_repos)[i]);
                keptNewer = true;
            }
        }
        // Whatever the document says, a source shows a refresh only while one runs here.
        if (m_refresher->isRefreshing(repo.id))
            RefreshOutcome::begin(repo);
        else
            repo.isUpdating = false;
    }
    RepoList previous = std::exchange(*m_repos, std::move(loaded));
    if (m_release) {
        for (Repo &repo : previous)
            m_release(std::move(repo.packages));
    }
    // The write that stored the newer records went out after the document was read and
    // holds the older records of the others: store the list as it is now.
    if (keptNewer) {
        noteWritten();
        m_save(*m_repos);
    }
    return true;
}

void LiveRepoList::progressed(const QUuid &id, double fraction)
{
    const int i = positionOf(id);
    if (i < 0 || !(*m_repos)[i].isUpdating)
        return;
    // In steps of a twentieth: the bar moves without a change of the list for every packet.
    const double step = std::floor(fraction * progressSteps) / progressSteps;
    Repo &repo = (*m_repos)[i];
    if (step <= repo.updateProgress)
        return;
    repo.updateProgress = step;
    Q_EMIT sourceChanged(i);
}
