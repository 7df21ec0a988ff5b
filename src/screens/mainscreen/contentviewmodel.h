#pragma once

#include "deletedrepos.h"
#include "model/repo.h"
#include "reposectionmodel.h"
#include "sources/packageagescache.h"
#include "sources/packagenews.h"
#include "screens/packagegrid/packagelistmodel.h"

#include "search/packageorder.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <QtQml/qqmlregistration.h>


class AsyncRepoStore;
class CatalogSearch;
class RepoAdder;
class LiveRepoList;
struct FetchOptions;

// Seconds after which the first source's last refresh makes an appearance refresh again.
inline constexpr double UPDATE_INTERVAL = 86400.0;

// State and operations of the main screen. It owns the list of sources for the whole run;
// every change to it happens here, on the main thread.
class ContentViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool showingAddRepo READ showingAddRepo WRITE setShowingAddRepo NOTIFY showingAddRepoChanged)
    Q_PROPERTY(bool showAlert READ showAlert WRITE setShowAlert NOTIFY showAlertChanged)
    Q_PROPERTY(QString alertMessage READ alertMessage WRITE setAlertMessage NOTIFY alertMessageChanged)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(bool hasUpdatedRepos READ hasUpdatedRepos NOTIFY hasUpdatedReposChanged)
    Q_PROPERTY(bool showAllPackages READ showAllPackages WRITE setShowAllPackages NOTIFY showAllPackagesChanged)
    Q_PROPERTY(RepoSectionModel *pinnedRepos READ pinnedRepos CONSTANT)
    Q_PROPERTY(RepoSectionModel *otherRepos READ otherRepos CONSTANT)
    Q_PROPERTY(int pinnedCount READ pinnedCount NOTIFY reposChanged)
    Q_PROPERTY(int otherCount READ otherCount NOTIFY reposChanged)
    Q_PROPERTY(PackageListModel *allPackages READ allPackages CONSTANT)
    Q_PROPERTY(PackageListModel *filteredPackages READ filteredPackages CONSTANT)
    Q_PROPERTY(QStringList orderNames READ orderNames CONSTANT)
    // The order chosen on the source screens and on the all-packages screen (PackageOrder::Kind),
    // each kept for the run.
    Q_PROPERTY(int sourceOrder READ sourceOrder WRITE setSourceOrder NOTIFY sourceOrderChanged)
    Q_PROPERTY(int allPackagesOrder READ allPackagesOrder WRITE setAllPackagesOrder NOTIFY allPackagesOrderChanged)
    Q_PROPERTY(QString undoDeleteText READ undoDeleteText NOTIFY undoDeleteChanged)
    Q_PROPERTY(bool isRefreshing READ isRefreshing NOTIFY isRefreshingChanged)
    Q_PROPERTY(bool hasProfile READ hasProfile CONSTANT)

public:
    explicit ContentViewModel(QObject *parent = nullptr);
    ~ContentViewModel() override;

    [[nodiscard]] const RepoList &repos() const { return m_repos; }
    void setRepos(RepoList repos);

    [[nodiscard]] bool showingAddRepo() const { return m_showingAddRepo; }
    void setShowingAddRepo(bool showing);
    [[nodiscard]] bool showAlert() const { return m_showAlert; }
    void setShowAlert(bool show);
    [[nodiscard]] QString alertMessage() const { return m_alertMessage; }
    void setAlertMessage(const QString &message);
    [[nodiscard]] QString searchText() const { return m_searchText; }
    void setSearchText(const QString &text);
    [[nodiscard]] bool hasUpdatedRepos() const { return m_hasUpdatedRepos; }
    [[nodiscard]] bool showAllPackages() const { return m_showAllPackages; }
    void setShowAllPackages(bool show);

    [[nodiscard]] RepoSectionModel *pinnedRepos() const { return m_pinned; }
    [[nodiscard]] RepoSectionModel *otherRepos() const { return m_other; }
    [[nodiscard]] int pinnedCount() const;
    [[nodiscard]] int otherCount() const;

    // The packages of all sources, source by source in list order.
    [[nodiscard]] PackageListModel *allPackages() const { return m_allPackages; }
    // Those of allPackages whose name or description holds the search text. While the search
    // index of a changed source is still being built, it shows the previous answer.
    [[nodiscard]] PackageListModel *filteredPackages() const { return m_filteredPackages; }
    // Every source's packages are indexed for the search, so the next search is answered at once.
    // The package views follow a change of a source's packages at the next turn of the event loop.
    [[nodiscard]] bool isPackageSearchReady() const;

    [[nodiscard]] QStringList orderNames() const;
    [[nodiscard]] int sourceOrder() const { return m_sourceOrder; }
    void setSourceOrder(int order);
    [[nodiscard]] int allPackagesOrder() const { return m_allPackagesOrder; }
    void setAllPackagesOrder(int order);

    // When the packages of each source were first seen, as the refreshes recorded it.
    [[nodiscard]] const FirstSeenStore &firstSeen() const;
    // The first-seen times and marks of this source's packages now.
    [[nodiscard]] const PackageNews::Ages &agesOf(const Repo &repo) const;
    [[nodiscard]] double now() const { return m_now(); }

    // Positions in `repos` of the sources that the search keeps, in list order.
    [[nodiscard]] QList<int> filteredRepos() const;
    [[nodiscard]] bool matchesSearch(const Repo &repo) const;

    // The start-up sequence, run on every appearance of the screen: reload the stored list,
    // then refresh on the first appearance of the run or when one is due.
    Q_INVOKABLE void appear();
    void loadRepos();
    void saveRepos();
    [[nodiscard]] bool shouldUpdateRepos() const;
    Q_INVOKABLE void updateAllRepos();
    // Refreshes that source alone (the row menu's and the source screen's retry).
    Q_INVOKABLE void refreshRepo(const QString &repoId);
    // Copies the source's address as it is stored.
    Q_INVOKABLE void copyAddress(const QString &repoId);
    // Why the source's last refresh failed; empty when it did not fail or is unknown.
    [[nodiscard]] QString failureReason(const QString &repoId) const;
    // Some refresh of a source of this list runs.
    [[nodiscard]] bool isRefreshing() const { return m_refreshing; }

    Q_INVOKABLE void togglePin(const QString &repoId);
    // The delete button of a row: removes exactly that source, fixed or not.
    Q_INVOKABLE void deleteRepo(const QString &repoId);
    // The list's delete action: rows of the sources section; fixed sources stay.
    Q_INVOKABLE void deleteRepoAt(const QList<int> &sectionRows);
    // What the last delete removed, until it is taken back or forgotten: "تم حذف السورس «…»".
    [[nodiscard]] QString undoDeleteText() const { return m_deleted.message(); }
    // Puts the sources of the last delete back where they were, and writes the list; returns
    // the ids of the sources it put back.
    Q_INVOKABLE QStringList undoDelete();
    // The last delete can no longer be taken back.
    Q_INVOKABLE void forgetDelete();

    [[nodiscard]] Q_INVOKABLE QString repoName(const QString &repoId) const;
    // A copy of one source as a value for the screens pushed from a row; invalid when gone.
    [[nodiscard]] Q_INVOKABLE QVariant repoValue(const QString &repoId) const;
    // Opens the maker's profile page; does nothing while no profile address is configured.
    Q_INVOKABLE void openProfile();
    // A profile address is configured: without one its button is not shown.
    [[nodiscard]] static bool hasProfile();

    // The add-source flow of this list: its sources are appended here and written, its
    // messages shown by the alert.
    [[nodiscard]] RepoAdder *repoAdder() const { return m_adder; }
    // Appends a source at the end of the list and writes the list.
    void appendRepo(const Repo &repo);
    // Opens the add sheet with these addresses in its text; nothing is added before its save.
    Q_INVOKABLE void openAddSheet(const QStringList &addresses);
    // Shows a message in the one alert; the last message set wins.
    void alert(const QString &message);
    // Shows a refresh failure: while the alert already shows failures of this refresh, the
    // message is added as a line of its own, so one alert names every source that failed.
    void alertRefreshFailure(const QString &message);

    // What the source's Release said, or null.
    [[nodiscard]] const ReleaseInfo *releaseInfo(const QUuid &id) const;

    // A copy of one source, for the screens pushed from a row.
    [[nodiscard]] std::optional<Repo> repo(const QString &repoId) const;
    // Blocks until pending writes of the store and of its companion files have completed (used
    // at quit).
    void waitForPendingWrites();
    // The limits of the refreshes' fetches, replaceable in tests.
    void setFetchOptions(const FetchOptions &options);
    // The clock of the refresh decision, of the first-seen times and of what counts as new
    // (seconds since 2001), replaceable in tests.
    void setClock(std::function<double()> now);

Q_SIGNALS:
    void showingAddRepoChanged();
    // The add sheet is to show this text.
    void addSheetFilled(const QString &text);
    void showAlertChanged();
    void alertMessageChanged();
    void searchTextChanged();
    void hasUpdatedReposChanged();
    void showAllPackagesChanged();
    void sourceOrderChanged();
    void allPackagesOrderChanged();
    void undoDeleteChanged();
    void isRefreshingChanged();
    void reposChanged();
    // Fields of one source changed (a refresh began or ended); a reload emits reposChanged.
    void repoUpdated(const QUuid &id);
    // The store finished loading for an appearance (tests wait on it).
    void appeared();

private:
    [[nodiscard]] int positionOf(const QUuid &id) const;
    void refreshSections(bool rowsChanged = true);
    void syncPackages();
    void updateFilteredPackages();
    void updateNews();
    void sourceChanged(int position);
    // Reads the store and works out the ages of what it read, both on other threads, then
    // applies it (unless the list was written meanwhile) and calls `then`.
    void reload(const std::function<void()> &then);
    void applyLoaded(RepoList loaded, std::uint64_t mark, const PackageAgesCache::Prepared &ages);
    // Takes the sources at these positions out of the list, as one delete that can be undone.
    void removeAt(QList<int> positions);
    void updateRefreshing();

    RepoList m_repos;
    bool m_showingAddRepo = false;
    bool m_showAlert = false;
    bool m_alertListsFailures = false; // the shown alert names refresh failures
    QString m_alertMessage;
    QString m_searchText;
    bool m_hasUpdatedRepos = false;
    bool m_showAllPackages = false;
    DeletedRepos m_deleted;
    bool m_refreshing = false;
    bool m_syncPending = false; // the package views have yet to follow a source's change

    RepoSectionModel *m_pinned;
    RepoSectionModel *m_other;
    PackageListModel *m_allPackages;
    PackageListModel *m_filteredPackages;
    CatalogSearch *m_catalog;
    RepoAdder *m_adder;
    AsyncRepoStore *m_store;
    LiveRepoList *m_live;
    std::function<double()> m_now = &ReferenceDate::now;

    int m_sourceOrder = PackageOrder::Index;
    int m_allPackagesOrder = PackageOrder::Index;
    mutable PackageAgesCache m_ages;
    // Of all packages, in the joined lists' order: first-seen times, and the all-packages order.
    std::vector<double> m_firstSeen;
    std::vector<std::uint32_t> m_allOrder;
    bool m_allOrderStale = true;
};
