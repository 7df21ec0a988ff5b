#include "contentviewmodel.h"

#include "buildconfig.h"
#include "imagecache/imageloader.h"
#include "model/asyncrepostore.h"
#include "model/defaultrepos.h"
#include "platform/platformservices.h"
#include "platform/userdefaults.h"
#include "sources/refreshoutcomestore.h"
#include "reposectionmodel.h"
#include "screens/controls/announcer.h"
#include "screens/packagegrid/packagelistmodel.h"
#include "search/catalogsearch.h"
#include "search/searchfold.h"
#include "sources/liverepolist.h"
#include "sources/packagenews.h"
#include "sources/reporefresher.h"
#include "sources/refreshoutcome.h"
#include "sources/repoadder.h"

#include <utility>

using namespace Qt::StringLiterals;

ContentViewModel::ContentViewModel(QObject *parent)
    : QObject(parent)
    , m_repos(defaultRepos())
    , m_pinned(new RepoSectionModel(&m_repos, this))
    , m_other(new RepoSectionModel(&m_repos, this))
    , m_allPackages(new PackageListModel(this))
    , m_filteredPackages(new PackageListModel(this))
    , m_catalog(new CatalogSearch(PackageSearchIndex::Name | PackageSearchIndex::Description, this))
    , m_adder(new RepoAdder([this]() -> const RepoList & { return m_repos; }, this))
    , m_store(AsyncRepoStore::instance())
    , m_live(new LiveRepoList(&m_repos, [store = m_store](const RepoList &repos) { store->save(repos); }, this))
{
    connect(m_catalog, &CatalogSearch::ready, this, &ContentViewModel::updateFilteredPackages);
    connect(m_adder, &RepoAdder::releaseRead, m_live, &LiveRepoList::keepRelease);
    connect(m_adder, &RepoAdder::repoReady, this, &ContentViewModel::appendRepo);
    connect(m_adder, &RepoAdder::failed, this, [this](int, const QString &message) { alert(message); });
    connect(m_adder, &RepoAdder::finished, this,
            [this](int, const AddBatchResult &result) { alert(result.message()); });
    // Lists of tens of thousands of packages are freed on the store's thread, never here: the
    // list a refresh replaces, and a result that no source is left to take.
    m_live->setRelease([store = m_store](PackageList packages) { store->release(std::move(packages)); });
    connect(m_store, &AsyncRepoStore::saveFailed, this,
            [this](const QString &reason) { alert(u"تعذر حفظ قائمة السورسات: "_s + reason); });
    // A picture that failed is tried again once its source may have changed it.
    connect(m_live, &LiveRepoList::idle, ImageLoader::instance(), &ImageLoader::forgetFailures);
    connect(m_live, &LiveRepoList::sourceChanged, this, &ContentViewModel::sourceChanged);
    connect(m_live, &LiveRepoList::idle, this, &ContentViewModel::updateRefreshing);
    connect(m_live, &LiveRepoList::refreshFailed, this,
            [this](int position) { alertRefreshFailure(RefreshOutcome::alertMessage(m_live->title(m_repos.at(position)))); });
    const auto releases = [live = m_live](const QUuid &id) { return live->releaseInfo(id); };
    m_pinned->setReleases(releases);
    m_other->setReleases(releases);
    connect(m_live, &LiveRepoList::idle, this, [] { Announcer::instance()->announce(u"انتهى التحديث"_s); });
    m_pinned->setOutcomes(&m_live->outcomes());
    m_other->setOutcomes(&m_live->outcomes());
    for (RepoSectionModel *section : {m_pinned, m_other})
        section->setMarkedCount([this](const Repo &repo) { return agesOf(repo).marked; });
    refreshSections();
}

ContentViewModel::~ContentViewModel()
{
    waitForPendingWrites();
}

void ContentViewModel::setRepos(RepoList repos)
{
    m_repos = std::move(repos);
    refreshSections();
    Q_EMIT reposChanged();
}

void ContentViewModel::setShowingAddRepo(bool showing)
{
    if (m_showingAddRepo == showing)
        return;
    m_showingAddRepo = showing;
    Q_EMIT showingAddRepoChanged();
}

void ContentViewModel::setShowAlert(bool show)
{
    if (m_showAlert == show)
        return;
    m_showAlert = show;
    m_alertListsFailures = m_alertListsFailures && show;
    Q_EMIT showAlertChanged();
}

void ContentViewModel::setAlertMessage(const QString &message)
{
    if (m_alertMessage == message)
        return;
    m_alertMessage = message;
    Q_EMIT alertMessageChanged();
}

void ContentViewModel::setSearchText(const QString &text)
{
    if (m_searchText == text)
        return;
    m_searchText = text;
    refreshSections(false);
    updateFilteredPackages();
    Q_EMIT searchTextChanged();
}

void ContentViewModel::setShowAllPackages(bool show)
{
    if (m_showAllPackages == show)
        return;
    m_showAllPackages = show;
    Q_EMIT showAllPackagesChanged();
}

void ContentViewModel::setClock(std::function<double()> now)
{
    m_now = now;
    m_live->setClock(std::move(now));
}

QStringList ContentViewModel::orderNames() const
{
    return PackageOrder::names();
}

void ContentViewModel::setSourceOrder(int order)
{
    if (order == m_sourceOrder || order < PackageOrder::Index || order > PackageOrder::Name)
        return;
    m_sourceOrder = order;
    Q_EMIT sourceOrderChanged();
}

void ContentViewModel::setAllPackagesOrder(int order)
{
    if (order == m_allPackagesOrder || order < PackageOrder::Index || order > PackageOrder::Name)
        return;
    m_allPackagesOrder = order;
    m_allOrderStale = true;
    updateNews();
    Q_EMIT allPackagesOrderChanged();
}

const FirstSeenStore &ContentViewModel::firstSeen() const
{
    return m_live->refresher().firstSeen();
}

const PackageNews::Ages &ContentViewModel::agesOf(const Repo &repo) const
{
    return m_ages.agesOf(firstSeen(), repo, m_now());
}

int ContentViewModel::pinnedCount() const
{
    return int(std::count_if(m_repos.cbegin(), m_repos.cend(), [](const Repo &r) { return r.isPinned; }));
}

int ContentViewModel::otherCount() const
{
    return int(m_repos.size()) - pinnedCount();
}

bool ContentViewModel::matchesSearch(const Repo &repo) const
{
    const QString query = searchFold(m_searchText);
    return searchMatches(QString::fromStdString(repo.name), query) || searchMatches(m_live->title(repo), query)
        || searchMatches(QString::fromStdString(repo.url), query);
}

QList<int> ContentViewModel::filteredRepos() const
{
    QList<int> positions;
    for (int i = 0; i < m_repos.size(); ++i) {
        if (matchesSearch(m_repos.at(i)))
            positions.append(i);
    }
    return positions;
}

void ContentViewModel::appear()
{
    // The refresh decision waits for the reload, so that it reads the stored first source.
    reload([this] {
        // What counted as new may have aged since the last appearance.
        updateNews();
        for (int i = 0; i < m_repos.size(); ++i) {
            m_pinned->sourceChanged(i);
            m_other->sourceChanged(i);
        }
        if (!m_hasUpdatedRepos || shouldUpdateRepos()) {
            updateAllRepos();
            if (!m_hasUpdatedRepos) {
                m_hasUpdatedRepos = true;
                Q_EMIT hasUpdatedReposChanged();
            }
        }
        Q_EMIT appeared();
    });
}

void ContentViewModel::loadRepos()
{
    reload([] { });
}

void ContentViewModel::reload(const std::function<void()> &then)
{
    m_store->load(this, [this, then, mark = m_live->loadMark()](std::optional<RepoList> loaded) {
        if (!loaded)
            return then();
        PackageAgesCache::prepare(firstSeen(), *loaded, m_now())
            .then(this, [this, then, mark, loaded = std::move(*loaded)](const PackageAgesCache::Prepared &ages) mutable {
                applyLoaded(std::move(loaded), mark, ages);
                then();
            });
    });
}

void ContentViewModel::applyLoaded(RepoList loaded, std::uint64_t mark, const PackageAgesCache::Prepared &ages)
{
    if (!m_live->applyLoaded(std::move(loaded), mark))
        return;
    m_ages.adopt(ages, m_repos);
    refreshSections();
    Q_EMIT reposChanged();
}

void ContentViewModel::saveRepos()
{
    m_live->noteWritten();
    m_store->save(m_repos);
}

bool ContentViewModel::shouldUpdateRepos() const
{
    if (m_repos.isEmpty())
        return true;
    return m_now() - m_repos.constFirst().lastUpdated > UPDATE_INTERVAL;
}

void ContentViewModel::updateAllRepos()
{
    m_alertListsFailures = false; // failures of an earlier refresh are not added to
    m_live->refreshAll();
    updateRefreshing();
}

void ContentViewModel::updateRefreshing()
{
    // A refresh that ended has every result shown.
    if (m_syncPending && m_live->isIdle())
        syncPackages();
    if (m_refreshing == !m_live->isIdle())
        return;
    m_refreshing = !m_refreshing;
    Q_EMIT isRefreshingChanged();
}

void ContentViewModel::refreshRepo(const QString &repoId)
{
    m_alertListsFailures = false;
    m_live->refreshOne(QUuid::fromString(repoId));
}

void ContentViewModel::setFetchOptions(const FetchOptions &options)
{
    m_live->refresher().setFetchOptions(options);
}

void ContentViewModel::copyAddress(const QString &repoId)
{
    if (const int i = positionOf(QUuid::fromString(repoId)); i >= 0) {
        PlatformServices::instance()->copyText(QString::fromStdString(m_repos.at(i).url));
        Announcer::instance()->confirm(u"تم نسخ العنوان"_s);
    }
}

QString ContentViewModel::failureReason(const QString &repoId) const
{
    const std::optional<RefreshOutcomeStore::Entry> outcome = m_live->outcomes().find(QUuid::fromString(repoId));
    return outcome && outcome->result == RefreshOutcomeStore::Result::Failed ? outcome->reason : QString();
}

void ContentViewModel::togglePin(const QString &repoId)
{
    const int i = positionOf(QUuid::fromString(repoId));
    if (i < 0)
        return;
    m_repos[i].isPinned = !m_repos[i].isPinned;
    refreshSections(false);
    Q_EMIT reposChanged();
    saveRepos();
    const QString name = u"«"_s + QString::fromStdString(m_repos.at(i).name) + u"»"_s;
    Announcer::instance()->announce((m_repos.at(i).isPinned ? u"تم تثبيت السورس "_s : u"تم إلغاء تثبيت السورس "_s) + name);
}

void ContentViewModel::deleteRepo(const QString &repoId)
{
    const int i = positionOf(QUuid::fromString(repoId));
    if (i >= 0)
        removeAt({i});
}

void ContentViewModel::deleteRepoAt(const QList<int> &sectionRows)
{
    QList<int> positions;
    for (int row : sectionRows) {
        if (row >= 0 && row < m_other->rowCount() && !m_repos.at(m_other->listPosition(row)).isFixed)
            positions.append(m_other->listPosition(row));
    }
    if (!positions.isEmpty())
        removeAt(std::move(positions));
}

void ContentViewModel::removeAt(QList<int> positions)
{
    // From the back, so that every recorded position is the one its source had in the list
    // it was taken from; restoring in the reverse order brings them all back.
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    m_store->release(m_deleted.begin());
    for (auto it = positions.crbegin(); it != positions.crend(); ++it)
        m_deleted.add(*it, m_repos.takeAt(*it));
    m_live->setHeldAside(m_deleted.ids());
    refreshSections(false);
    Q_EMIT reposChanged();
    Q_EMIT undoDeleteChanged();
    // Written at once: a quit while the delete could still be taken back keeps it.
    saveRepos();
    Announcer::instance()->announce(m_deleted.message());
}

QStringList ContentViewModel::undoDelete()
{
    if (m_deleted.isEmpty())
        return {};
    const QString names = m_deleted.names();
    QStringList restored;
    for (const QUuid &id : m_deleted.ids())
        restored.append(id.toString(QUuid::WithoutBraces));
    m_deleted.restoreInto(m_repos);
    m_live->setHeldAside({});
    // A refresh that ended while the source was out of the list was dropped.
    for (Repo &repo : m_repos) {
        if (repo.isUpdating && !m_live->isRefreshing(repo.id))
            repo.isUpdating = false;
    }
    refreshSections();
    Q_EMIT reposChanged();
    Q_EMIT undoDeleteChanged();
    saveRepos();
    Announcer::instance()->announce(u"تمت استعادة السورس «"_s + names + u"»"_s);
    return restored;
}

void ContentViewModel::forgetDelete()
{
    if (m_deleted.isEmpty())
        return;
    m_store->release(m_deleted.take());
    m_live->setHeldAside({});
    Q_EMIT undoDeleteChanged();
}

std::optional<Repo> ContentViewModel::repo(const QString &repoId) const
{
    const int i = positionOf(QUuid::fromString(repoId));
    return i < 0 ? std::nullopt : std::optional<Repo>(m_repos.at(i));
}

const ReleaseInfo *ContentViewModel::releaseInfo(const QUuid &id) const
{
    return m_live->releaseInfo(id);
}

QString ContentViewModel::repoName(const QString &repoId) const
{
    const int i = positionOf(QUuid::fromString(repoId));
    return i < 0 ? QString() : QString::fromStdString(m_repos.at(i).name);
}

QVariant ContentViewModel::repoValue(const QString &repoId) const
{
    const int i = positionOf(QUuid::fromString(repoId));
    return i < 0 ? QVariant() : QVariant::fromValue(m_repos.at(i));
}

void ContentViewModel::appendRepo(const Repo &repo)
{
    m_repos.append(repo);
    refreshSections();
    Q_EMIT reposChanged();
    saveRepos();
}

void ContentViewModel::openProfile()
{
    if (hasProfile())
        PlatformServices::instance()->openUrl(QUrl(QStringLiteral(VEXLO_PROFILE_URL), QUrl::StrictMode));
}

bool ContentViewModel::hasProfile()
{
    const QUrl url(QStringLiteral(VEXLO_PROFILE_URL), QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty();
}

void ContentViewModel::waitForPendingWrites()
{
    m_store->waitForIdle();
    UserDefaults::waitForWrites();
}

int ContentViewModel::positionOf(const QUuid &id) const
{
    for (int i = 0; i < m_repos.size(); ++i) {
        if (m_repos.at(i).id == id)
            return i;
    }
    return -1;
}

void ContentViewModel::alertRefreshFailure(const QString &message)
{
    if (m_showAlert && m_alertListsFailures) {
        setAlertMessage(m_alertMessage + u'\n' + message);
        return;
    }
    alert(message);
    m_alertListsFailures = true;
}

void ContentViewModel::openAddSheet(const QStringList &addresses)
{
    // Opened first: an opening sheet starts from what the last batch left, which the link's
    // addresses then replace.
    setShowingAddRepo(true);
    Q_EMIT addSheetFilled(addresses.join(u'\n'));
}

void ContentViewModel::alert(const QString &message)
{
    m_alertListsFailures = false;
    setAlertMessage(message);
    // Re-raise even when already shown, so a second message is seen as a new one.
    m_showAlert = false;
    setShowAlert(true);
}

void ContentViewModel::refreshSections(bool rowsChanged)
{
    m_pinned->update([this](const Repo &r) { return r.isPinned && matchesSearch(r); }, rowsChanged);
    m_other->update([this](const Repo &r) { return !r.isPinned && matchesSearch(r); }, rowsChanged);
    syncPackages();
}

void ContentViewModel::sourceChanged(int position)
{
    m_pinned->sourceChanged(position);
    m_other->sourceChanged(position);
    // Results and progress come in bursts: the package views, whose update weighs every
    // package, follow once the burst has been handled rather than once per source.
    if (!std::exchange(m_syncPending, true))
        QMetaObject::invokeMethod(this, [this] { if (m_syncPending) syncPackages(); }, Qt::QueuedConnection);
    Q_EMIT repoUpdated(m_repos.at(position).id);
}

void ContentViewModel::syncPackages()
{
    m_syncPending = false;
    QList<PackageList> lists;
    lists.reserve(m_repos.size());
    for (const Repo &repo : m_repos)
        lists.append(repo.packages);
    if (PackageListModel::sameLists(lists, m_allPackages->lists())) {
        updateNews();
        return;
    }
    m_allOrderStale = true;
    // Whatever the package views drop is freed on the store's thread, not in a frame.
    RepoList dropped;
    for (const QList<PackageList> &held : {m_allPackages->lists(), m_filteredPackages->lists()}) {
        for (const PackageList &list : held) {
            dropped.append(Repo{});
            dropped.back().packages = list;
        }
    }
    m_allPackages->setLists(lists);
    m_catalog->setLists(lists);
    updateNews();
    m_store->release(std::move(dropped));
}

// Marks every package shown, and orders the all-packages screen by the choice made there.
void ContentViewModel::updateNews()
{
    std::vector<std::uint8_t> marks;
    std::vector<double> firstSeen;
    marks.reserve(m_allPackages->packageCount());
    firstSeen.reserve(m_allPackages->packageCount());
    for (const Repo &repo : std::as_const(m_repos)) {
        const PackageNews::Ages &ages = agesOf(repo);
        for (const Novelty mark : ages.marks)
            marks.push_back(std::uint8_t(mark));
        firstSeen.insert(firstSeen.end(), ages.firstSeen.begin(), ages.firstSeen.end());
    }
    m_ages.keepOnly(m_repos);
    if (firstSeen != m_firstSeen) {
        m_firstSeen = std::move(firstSeen);
        if (m_allPackagesOrder == PackageOrder::Newest)
            m_allOrderStale = true;
    }
    if (m_allOrderStale) {
        m_allOrderStale = false;
        if (m_allPackagesOrder == PackageOrder::Newest)
            m_allOrder = PackageOrder::newestFirst(m_firstSeen);
        else if (m_allPackagesOrder == PackageOrder::Name)
            m_allOrder = PackageOrder::byName(m_catalog->lists());
        else
            m_allOrder.clear();
    }
    updateFilteredPackages();
    m_allPackages->setMarks(marks);
    m_filteredPackages->setMarks(std::move(marks));
}

bool ContentViewModel::isPackageSearchReady() const
{
    return !m_syncPending && m_catalog->isReady();
}

void ContentViewModel::updateFilteredPackages()
{
    const QList<PackageList> lists = m_catalog->lists();
    if (m_searchText.isEmpty() && m_allOrder.empty()) {
        m_filteredPackages->setLists(lists);
    } else if (m_searchText.isEmpty()) {
        m_filteredPackages->setLists(lists, &m_allOrder);
    } else if (m_catalog->isReady()) {
        const std::vector<std::uint32_t> &found = m_catalog->matches(m_searchText);
        if (m_allOrder.empty()) {
            m_filteredPackages->setLists(lists, &found);
        } else {
            const std::vector<std::uint32_t> ordered = PackageOrder::apply(found, m_allOrder);
            m_filteredPackages->setLists(lists, &ordered);
        }
    }
    // Otherwise the answer follows when the index is ready.
}
