#include "model/asyncrepostore.h"
#include "model/defaultrepos.h"
#include "model/repostore.h"
#include "records.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "platform/userdefaults.h"
#include "screens/mainscreen/reposectionmodel.h"
#include "screens/sourcedetail/repodetailviewmodel.h"
#include "screens/updates/updatesviewmodel.h"
#include "sources/firstseenstore.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray goodIndex = "Package: com.example.one\nVersion: 1.0\nFilename: debs/one.deb\n"
                             "Architecture: iphoneos-arm64\nSize: 1234\n\n"
                             "Package: com.example.two\nVersion: 2.0\n\n";

Repo source(const std::string &name, const QString &base)
{
    Repo repo;
    repo.name = name;
    repo.url = base.toStdString();
    repo.imageURL = repo.url + "CydiaIcon.png";
    repo.packagesURL = repo.url + "Packages";
    return repo;
}

// A source whose index lives at a path of the test server.
Repo served(const std::string &name, const TestServer &server)
{
    return source(name, server.url(QString::fromStdString(name) + u'/'));
}

QString serverPath(const std::string &name)
{
    return QString::fromStdString(name) + u"/Packages"_s;
}

const Repo *find(const ContentViewModel &model, const std::string &name)
{
    const auto it = std::find_if(model.repos().cbegin(), model.repos().cend(), [&](const Repo &r) { return r.name == name; });
    return it != model.repos().cend() ? &*it : nullptr;
}

// Runs the start-up sequence and waits for its reload to be applied.
void appear(ContentViewModel &model)
{
    QSignalSpy appeared(&model, &ContentViewModel::appeared);
    model.appear();
    QVERIFY(appeared.wait(5000));
}

RepoList storedRepos(ContentViewModel &model)
{
    model.waitForPendingWrites();
    return RepoStore::loadRepos().value_or(RepoList{});
}

// The cards of a grid in order, each as its name and mark.
QStringList cards(const PackageListModel *packages)
{
    QStringList shown;
    for (int row = 0; row < packages->rowCount(); ++row) {
        const QModelIndex at = packages->index(row);
        shown << QString(at.data(PackageListModel::NameRole).toString() + u' ' + at.data(PackageListModel::MarkRole).toString()).trimmed();
    }
    return shown;
}

void refreshAndWait(ContentViewModel &model, const std::string &name)
{
    model.updateAllRepos();
    QTRY_VERIFY(!find(model, name)->isUpdating);
}

// `vexlo-cli packages --new-since DAYS` on the test's data folder: name and mark of each line.
QStringList newSince(const QString &dataDir, const char *days)
{
    QProcess cli;
    cli.start(QStringLiteral(VEXLO_CLI), {u"--data-dir"_s, dataDir, u"packages"_s, u"--new-since"_s, QString::fromLatin1(days)});
    if (!cli.waitForFinished(60'000) || cli.exitCode() != 0)
        return {u"failed"_s};
    QStringList listed;
    for (const QByteArray &line : cli.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 6)
            listed << QString::fromUtf8(fields.at(0) + ' ' + fields.at(5));
    }
    return listed;
}

QStringList names(const RepoList &repos)
{
    QStringList list;
    for (const Repo &repo : repos)
        list.append(QString::fromStdString(repo.name));
    return list;
}
QStringList names(const ContentViewModel &model) { return names(model.repos()); }

} // namespace

class TestContentViewModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every source is asked before any answers; each result is applied to its source and
    // written. A failure (error page, not UTF-8, no address) keeps the old packages and time.
    void refreshOutcomesPerSource()
    {
        TempDataDir data;
        TestServer server;
        server.setHolding(true);
        server.serve(serverPath("good"), goodIndex);
        server.serve(serverPath("missing"), "<html>Not here</html>", 404);
        server.serve(serverPath("latin1"), QByteArray("Package: caf\xe9\n\n"));
        Repo missing = served("missing", server);
        missing.packages.resize(2);
        missing.lastUpdated -= 1000;
        Repo invalid = source("invalid", u"http://127.0.0.1:1/"_s);
        invalid.packagesURL = "http://exa mple.org/Packages";
        QVERIFY(RepoStore::saveRepos({served("good", server), missing, served("latin1", server), invalid}));

        ContentViewModel model;
        QSignalSpy alerts(&model, &ContentViewModel::alertMessageChanged);
        QSignalSpy raised(&model, &ContentViewModel::showAlertChanged);
        appear(model);
        QVERIFY(find(model, "good")->isUpdating);
        QCOMPARE(find(model, "missing")->updateProgress, 0.0);
        QVERIFY(server.waitForRequests(3));
        QCOMPARE(server.heldCount(), 3);
        // One alert names every failure, a line each, in the order they arose.
        const QString failed = u"فشل في جلب الحزم من السورس: "_s;
        server.setHolding(false);
        server.releaseOne(serverPath("latin1"));
        QTRY_COMPARE(model.alertMessage(), failed + u"invalid\n"_s + failed + u"latin1"_s);
        server.release();
        QTRY_VERIFY_WITH_TIMEOUT(std::none_of(model.repos().cbegin(), model.repos().cend(),
                                              [](const Repo &r) { return r.isUpdating; }), 10000);
        QCOMPARE(model.alertMessage(), failed + u"invalid\n"_s + failed + u"latin1\n"_s + failed + u"missing"_s);
        const Repo *g = find(model, "good");
        QCOMPARE(g->packages.at(1).name, std::string("com.example.two"));
        QCOMPARE(g->packages.at(0).downloadURL, g->url + "debs/one.deb");
        QCOMPARE(g->updateProgress, 1.0);
        const Repo *m = find(model, "missing");
        QCOMPARE(m->packages.size(), 2);
        QCOMPARE(m->lastUpdated, missing.lastUpdated);
        for (const char *failed : {"missing", "latin1", "invalid"})
            QCOMPARE(find(model, failed)->updateProgress, 0.0);
        QVERIFY(model.showAlert());
        QCOMPARE(alerts.size(), 3);
        QCOMPARE(raised.size(), 1);
        const RepoList stored = storedRepos(model);
        QCOMPARE(stored.at(0).packages.size(), 2);
        QCOMPARE(stored.at(0).updateProgress, 1.0);
        // Once it is closed, the next refresh's failures start a new one.
        model.setShowAlert(false);
        model.updateAllRepos();
        QTRY_COMPARE(model.alertMessage(), failed + u"invalid"_s);
    }

    // A source's Release names it, describes it and vouches for its index; a missing, broken
    // or address-like one changes nothing. What it said is shown again after a restart, and a
    // Release the server reports unchanged keeps it.
    void releaseNamesDescribesAndChecks()
    {
        TempDataDir data;
        TestServer server;
        const QByteArray sha256 = QCryptographicHash::hash(goodIndex, QCryptographicHash::Sha256).toHex();
        const QByteArray size = QByteArray::number(goodIndex.size());
        for (const char *name : {"labelled", "stale", "bare", "portal", "hosted"})
            server.serve(serverPath(name), goodIndex);
        TestServer::Answer labelled;
        labelled.body = "Origin: Someone\nLabel:  Piyazon's Repo \nDescription: a personal repo\nMD5Sum:\n "
                        + QByteArray(32, 'a') + " 1 Packages\nSHA256:\n " + sha256 + " " + size + " Packages\n";
        labelled.etag = "\"r1\"";
        server.serve(u"labelled/Release"_s, labelled);
        server.serve(u"stale/Release"_s, "Label: Stale\nSHA256:\n " + QByteArray(64, 'b') + " " + size + " Packages\n");
        server.serve(u"bare/Release"_s, "<html>Not here</html>", 404);
        server.serve(u"portal/Release"_s, "<html><body>Label: Portal</body></html>");
        server.serve(u"hosted/Release"_s, "Label: https://someone.github.io/repo\nOrigin: repo.example.org\n");
        server.serve(u"broken/Release"_s, "Label: Broken Repo\n");
        server.serve(serverPath("broken"), "gone", 404);
        RepoList repos;
        for (const char *name : {"labelled", "stale", "bare", "portal", "hosted", "broken"})
            repos.append(served(name, server));
        QVERIFY(RepoStore::saveRepos(repos));

        const QStringList names{u"Piyazon's Repo"_s, u"Stale"_s, u"bare"_s, u"portal"_s, u"hosted"_s, u"Broken Repo"_s};
        const QList<bool> mismatches{false, true, false, false, false, false};
        const auto check = [&](ContentViewModel &model) {
            RepoSectionModel *rows = model.otherRepos();
            QCOMPARE(rows->rowCount(), names.size());
            for (int row = 0; row < names.size(); ++row) {
                QCOMPARE(rows->index(row).data(RepoSectionModel::NameRole).toString(), names.at(row));
                QCOMPARE(rows->index(row).data(RepoSectionModel::IndexMismatchRole).toBool(), mismatches.at(row));
            }
            QCOMPARE(find(model, "stale")->packages.size(), 2); // a stale Release rejects nothing
            RepoDetailViewModel detail;
            detail.setContentModel(&model);
            detail.setRepoId(find(model, "labelled")->id.toString());
            QCOMPARE(detail.title(), names.at(0));
            QCOMPARE(detail.releaseDescription(), u"a personal repo"_s);
            QVERIFY(!detail.indexMismatch());
            detail.setRepoId(find(model, "stale")->id.toString());
            QVERIFY(detail.indexMismatch());
            model.setSearchText(u"piyazon"_s);
            QCOMPARE(model.filteredRepos(), QList<int>{0});
            model.setSearchText({});
        };
        {
            ContentViewModel model;
            appear(model);
            QTRY_VERIFY(std::none_of(model.repos().cbegin(), model.repos().cend(), [](const Repo &r) { return r.isUpdating; }));
            check(model);
            QCOMPARE(model.alertMessage(), u"فشل في جلب الحزم من السورس: Broken Repo"_s);
        }
        server.setHolding(true);
        ContentViewModel restarted;
        appear(restarted);
        check(restarted); // from beside the store, before any answer
        server.setHolding(false);
        server.release();
        QTRY_VERIFY(std::none_of(restarted.repos().cbegin(), restarted.repos().cend(), [](const Repo &r) { return r.isUpdating; }));
        QCOMPARE(server.lastHeader(u"labelled/Release"_s, "If-None-Match"), QByteArray("\"r1\""));
        check(restarted);
    }

    // Results follow their source, not its position, through a deletion and a reload while
    // the refresh runs; a reload afterwards shows only refreshes that run.
    void reloadsDuringAndAfterARefresh()
    {
        TempDataDir data;
        TestServer server;
        server.setHolding(true);
        server.serve(serverPath("a"), "Package: from-a\n\n");
        server.serve(serverPath("b"), "Package: from-b\n\n");
        server.serve(serverPath("bad"), "Package: \xff\n");
        QVERIFY(RepoStore::saveRepos({served("a", server), served("b", server), served("bad", server)}));

        ContentViewModel model;
        appear(model);
        QVERIFY(server.waitForRequests(3));
        model.deleteRepo(find(model, "a")->id.toString());
        appear(model); // replaces the records
        server.releaseOne(serverPath("a"));
        server.releaseOne(serverPath("b"));
        QTRY_VERIFY(!find(model, "b")->isUpdating);
        QCOMPARE(model.repos().size(), 2);
        QCOMPARE(find(model, "b")->packages.at(0).name, std::string("from-b"));
        QTRY_COMPARE(cards(model.filteredPackages()), QStringList{u"from-b"_s}); // before the refresh ends
        // Written while the other source still runs, which then fails.
        QCOMPARE(storedRepos(model).at(0).packages.size(), 1);
        server.releaseOne(serverPath("bad"));
        QTRY_VERIFY(!find(model, "bad")->isUpdating);

        appear(model); // back on the main screen
        QVERIFY(!find(model, "bad")->isUpdating);
        QCOMPARE(find(model, "bad")->updateProgress, 0.0);
        QCOMPARE(server.totalRequests(), 3);
        for (const Repo &repo : storedRepos(model))
            QVERIFY2(!repo.isUpdating, repo.name.c_str());

        // A document stored while a refresh ran (by a process that then ended) shows none.
        RepoList stored = storedRepos(model);
        stored[1].isUpdating = true;
        QVERIFY(RepoStore::saveRepos(stored));
        appear(model);
        QVERIFY(!find(model, "bad")->isUpdating);
        QCOMPARE(server.totalRequests(), 3);

        // A reload that changes a shown source in place tells the list, lest its row keep the
        // old text.
        stored[1].name = "renamed";
        QVERIFY(RepoStore::saveRepos(stored));
        QSignalSpy rowChanged(model.otherRepos(), &QAbstractItemModel::dataChanged);
        appear(model);
        QVERIFY(find(model, "renamed"));
        QVERIFY(!rowChanged.isEmpty());
    }

    void aResultAppliedDuringAReloadSurvivesIt()
    {
        TempDataDir data;
        TestServer server;
        server.setHolding(true);
        server.serve(serverPath("a"), "Package: from-a\n\n");
        server.serve(serverPath("big"), "Package: \xff\n");
        Repo big = served("big", server);
        // Large enough that the reload is still reading when the result is applied.
        for (int i = 0; i < 60'000; ++i)
            big.packages.append(package("com.example.package" + std::to_string(i), "A package of the large source"));
        QVERIFY(RepoStore::saveRepos({served("a", server), big}));

        ContentViewModel model;
        QSignalSpy appeared(&model, &ContentViewModel::appeared);
        model.appear();
        QVERIFY(appeared.wait(60'000));
        QVERIFY(server.waitForRequests(2));
        appeared.clear();
        model.appear();
        server.releaseOne(serverPath("a"));
        QTRY_VERIFY_WITH_TIMEOUT(!find(model, "a")->isUpdating, 30'000);
        QVERIFY2(appeared.isEmpty(), "the reload ended before the result was applied");
        QVERIFY(appeared.wait(60'000));

        const auto holdsResult = [](const Repo *a) {
            return a && a->packages.size() == 1 && a->packages.at(0).name == "from-a" && !a->isUpdating
                && a->updateProgress == 1.0;
        };
        QVERIFY(holdsResult(find(model, "a")));
        QVERIFY(find(model, "big")->isUpdating); // still running here
        QCOMPARE(find(model, "big")->packages.size(), 60'000);
        RepoList stored = storedRepos(model);
        QVERIFY(holdsResult(&stored.at(0)));

        model.togglePin(find(model, "a")->id.toString());
        stored = storedRepos(model);
        QVERIFY(holdsResult(&stored.at(0)));
        QVERIFY(stored.at(0).isPinned);
        QCOMPARE(stored.at(1).packages.size(), 60'000);
    }

    void appearanceRefreshesWhenDue_data()
    {
        QTest::addColumn<double>("age");
        QTest::addColumn<bool>("emptyList");
        QTest::addColumn<bool>("refreshes");
        QTest::newRow("exactly a day") << 86400.0 << false << false;
        QTest::newRow("a day and a second") << 86401.0 << false << true;
        QTest::newRow("empty list") << 0.0 << true << true;
    }
    void appearanceRefreshesWhenDue()
    {
        QFETCH(double, age);
        QFETCH(bool, emptyList);
        QFETCH(bool, refreshes);
        TempDataDir data;
        TestServer server;
        server.serve(serverPath("a"), goodIndex);
        server.serve(serverPath("b"), goodIndex);
        const double now = 800'000'000.0;
        Repo repo = served("a", server);
        repo.lastUpdated = now - age;
        // The first source's age decides, not that of a later one refreshed just now.
        Repo newer = served("b", server);
        newer.lastUpdated = now;
        const RepoList list = emptyList ? RepoList{} : RepoList{repo, newer};
        QVERIFY(RepoStore::saveRepos(list));

        ContentViewModel model;
        model.setClock([now] { return now; });
        appear(model); // the first appearance of a run always refreshes
        QCOMPARE(model.hasUpdatedRepos(), true);
        QTRY_COMPARE(server.totalRequests(), emptyList ? 0 : 2);
        QTRY_VERIFY(std::none_of(model.repos().cbegin(), model.repos().cend(), [](const Repo &r) { return r.isUpdating; }));
        model.waitForPendingWrites();
        // The refresh stored a fresh time; put the stored age back for the next appearance.
        QVERIFY(RepoStore::saveRepos(list));
        appear(model);
        QTest::qWait(100);
        QCOMPARE(server.totalRequests(), emptyList ? 0 : (refreshes ? 4 : 2));
    }

    // A full data folder: the alert says so once and the stored document stays whole; the next
    // change, and the quit, write again; a quit that still cannot write says so on the console.
    void aFailedWriteIsSaidAndRetried()
    {
        TempDataDir data;
        const RepoList stored{source("a", u"https://a.example/"_s), source("b", u"https://b.example/"_s)};
        QVERIFY(RepoStore::saveRepos(stored));
        const QString file = UserDefaults::filePath(QString::fromUtf16(RepoStore::key));
        const QByteArray before = TestData::readFile(file);
        int refused = 0;
        bool full = true;
        UserDefaults::setWriteHook([&](const QString &key, qint64) -> std::optional<QString> {
            if (key != QString::fromUtf16(RepoStore::key) || !full)
                return std::nullopt;
            ++refused;
            return u"No space left on device"_s;
        });
        ContentViewModel model;
        model.setRepos(stored);
        QSignalSpy alerts(&model, &ContentViewModel::showAlertChanged);
        model.togglePin(stored.at(0).id.toString());
        QTRY_COMPARE(model.alertMessage(), u"تعذر حفظ قائمة السورسات: No space left on device"_s);
        QVERIFY(model.showAlert());
        model.setShowAlert(false);
        model.togglePin(stored.at(1).id.toString());
        model.waitForPendingWrites();
        QCOMPARE(refused, 2);
        QCoreApplication::processEvents();
        QVERIFY(!model.showAlert()); // said once, not again for every change
        QCOMPARE(TestData::readFile(file), before);

        AsyncRepoStore *store = AsyncRepoStore::instance();
        const QString line = QString::fromUtf8(captureStdout([store] { QVERIFY(!store->finish()); }));
        QCOMPARE(refused, 3);
        QVERIFY2(line.endsWith(u": No space left on device\n"_s) && line.count(u'\n') == 1, qPrintable(line));
        full = false;
        QVERIFY(captureStdout([store] { QVERIFY(store->finish()); }).isEmpty());
        const RepoList written = RepoStore::loadRepos().value_or(RepoList{});
        QVERIFY(written.size() == 2 && written.at(0).isPinned && written.at(1).isPinned);
        UserDefaults::setWriteHook({});
    }

    // Without a stored list the defaults show, pinned, and refreshing is left to the
    // appearance. The window drives pins, deletion and search by name; here the sections' rows,
    // a twin address, the list's delete action and a search by address.
    void defaultsPinsDeletionAndSearch()
    {
        TempDataDir data;
        ContentViewModel model;
        QAbstractItemModelTester otherTester(model.otherRepos());
        QAbstractItemModelTester pinnedTester(model.pinnedRepos());
        QCOMPARE(model.pinnedRepos()->rowCount(), defaultRepos().size());
        QVERIFY(!model.hasUpdatedRepos());

        Repo fixed = source("Fixed", u"https://fixed.example/"_s);
        fixed.isPinned = fixed.isFixed = true;
        Repo twinA = source("Twin A", u"https://twin.example/"_s);
        Repo twinB = source("Twin B", u"https://twin.example/"_s);
        Repo fixedUnpinned = source("Fixed unpinned", u"https://fixed2.example/"_s);
        fixedUnpinned.isFixed = true;
        model.setRepos({fixed, twinA, twinB, fixedUnpinned});
        QCOMPARE(model.pinnedCount(), 1);
        QCOMPARE(model.otherCount(), 3);

        // Delete by identity removes exactly that row's source, even with a twin address.
        model.deleteRepo(twinB.id.toString());
        model.deleteRepo(QUuid::createUuid().toString()); // gone already: nothing happens
        QVERIFY(find(model, "Twin A") && !find(model, "Twin B"));
        QCOMPARE(storedRepos(model).size(), 3);

        // The list's delete action works on the rows shown and keeps fixed sources.
        model.setSearchText(u"twin"_s);
        QCOMPARE(model.otherRepos()->rowCount(), 1);
        model.setSearchText(QString());
        model.deleteRepoAt({0, 1}); // "Twin A" and the fixed "Fixed unpinned"
        QVERIFY(find(model, "Fixed unpinned"));
        QCOMPARE(storedRepos(model).size(), 2);

        // Several sources of one delete come back where each was; an older delete stays done.
        model.setRepos({fixed, twinA, twinB, fixedUnpinned, source("Last", u"https://last.example/"_s)});
        model.deleteRepoAt({0});
        model.deleteRepoAt({2, 0}); // "Last" and "Twin B"
        QCOMPARE(model.undoDeleteText(), u"تم حذف السورس «Last، Twin B»"_s);
        model.undoDelete();
        QCOMPARE(names(model), (QStringList{u"Fixed"_s, u"Twin B"_s, u"Fixed unpinned"_s, u"Last"_s}));
        QCOMPARE(names(storedRepos(model)), names(model));
        QVERIFY(model.undoDeleteText().isEmpty());
        model.undoDelete();
        QCOMPARE(model.repos().size(), 4);

        model.setRepos({source("lower", u"https://HAVOC.example/"_s), source("Other", u"https://other.example/"_s)});
        model.setSearchText(u"havoc"_s);
        QCOMPARE(model.otherRepos()->rowCount(), 1);
        QCOMPARE(model.otherCount(), 2);
        model.setSearchText(u" "_s); // a blank that nothing holds
        QCOMPARE(model.filteredRepos().size(), 0);
    }

    // A source's first fetch marks nothing; the next that brings news marks the new and the
    // updated cards and the row, orders them first, and lists them on the updates screen as the
    // command line does. All of it stays across a restart, whose refresh is answered 304. A
    // damaged file of first times is kept aside and the screen starts with nothing marked.
    void whatIsNew()
    {
        TempDataDir data;
        TestServer server;
        const auto index = [](const QByteArray &body, const QByteArray &tag) {
            return TestServer::Answer{200, body, "text/plain", false, tag, {}, false};
        };
        server.serve(serverPath("s"), index("Package: a\nVersion: 1\n\nPackage: b\nVersion: 1\n\nPackage: c\nVersion: 1\n", "\"1\""));
        QVERIFY(RepoStore::saveRepos({served("s", server)}));
        const double start = ReferenceDate::now();
        double now = start - 2 * 86400;
        {
            ContentViewModel model;
            model.setClock([&now] { return now; });
            appear(model);
            QTRY_VERIFY(!find(model, "s")->isUpdating);
            QCOMPARE(cards(model.filteredPackages()), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
            server.serve(serverPath("s"), index("Package: a\nVersion: 1\n\nPackage: b\nVersion: 2\n\nPackage: d\nVersion: 1\n", "\"2\""));
            now = start - 60;
            refreshAndWait(model, "s");
            QCOMPARE(cards(model.filteredPackages()), (QStringList{u"a"_s, u"b مُحدَّث"_s, u"d جديد"_s}));
        }
        ContentViewModel model;
        model.setClock([&start] { return start; });
        appear(model);
        QTRY_VERIFY(!find(model, "s")->isUpdating);
        QCOMPARE(server.notModifiedCount(), 1);
        model.setAllPackagesOrder(PackageOrder::Newest);
        QCOMPARE(cards(model.filteredPackages()), (QStringList{u"b مُحدَّث"_s, u"d جديد"_s, u"a"_s}));
        QCOMPARE(model.otherRepos()->index(0).data(RepoSectionModel::NewCountTextRole).toString(), u"جديد: 2"_s);
        model.setSearchText(u"a"_s);
        QCOMPARE(cards(model.filteredPackages()), QStringList{u"a"_s});
        model.setSearchText({});
        model.setAllPackagesOrder(PackageOrder::Index);
        QCOMPARE(cards(model.filteredPackages()), (QStringList{u"a"_s, u"b مُحدَّث"_s, u"d جديد"_s}));

        UpdatesViewModel updates;
        updates.setContentModel(&model);
        QStringList listed;
        for (int row = 0; row < updates.rowCount(); ++row) {
            const QModelIndex at = updates.index(row);
            listed << at.data(UpdatesViewModel::NameRole).toString() + u' ' + at.data(UpdatesViewModel::MarkRole).toString();
        }
        QCOMPARE(listed, (QStringList{u"b مُحدَّث"_s, u"d جديد"_s}));
        const QDate today = ReferenceDate::toDateTime(start).toLocalTime().date();
        QCOMPARE(updates.index(0).data(UpdatesViewModel::DayRole).toString(),
                 UpdatesViewModel::dayHeading(ReferenceDate::toDateTime(start - 60).toLocalTime().date(), today, QLocale::system()));
        QCOMPARE(UpdatesViewModel::dayHeading(today, today, QLocale::c()), u"اليوم"_s);
        QCOMPARE(UpdatesViewModel::dayHeading(today.addDays(-1), today, QLocale::c()), u"أمس"_s);
        QCOMPARE(UpdatesViewModel::dayHeading(QDate(2026, 12, 1), today, QLocale::c()), u"2026-12-01"_s);
        model.waitForPendingWrites();
        QCOMPARE(newSince(data.path(), "7"), listed);
        QVERIFY(newSince(data.path(), "0").isEmpty());

        // A refresh while a delete can still be undone forgets nothing of the deleted source.
        model.deleteRepo(find(model, "s")->id.toString());
        model.updateAllRepos();
        model.undoDelete();
        QCOMPARE(cards(model.filteredPackages()), (QStringList{u"a"_s, u"b مُحدَّث"_s, u"d جديد"_s}));

        QFile file(UserDefaults::filePath(QString::fromUtf16(FirstSeenStore::key)));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("damaged") == 7);
        file.close();
        ContentViewModel restarted;
        appear(restarted);
        QTRY_VERIFY(!find(restarted, "s")->isUpdating);
        QCOMPARE(cards(restarted.filteredPackages()), (QStringList{u"a"_s, u"b"_s, u"d"_s}));
        QCOMPARE(QDir(data.path()).entryList({u"packagesFirstSeen.unreadable-*"_s}).size(), 1);
        // The 304 stood for a first fetch, so the next news are marked.
        QCOMPARE(restarted.firstSeen().entryCount(find(restarted, "s")->id), 3);

        // A result with news rebuilds the updates list once, not at each step of its refresh.
        QTRY_VERIFY(!find(model, "s")->isUpdating);
        QSignalSpy rebuilt(&updates, &QAbstractItemModel::modelReset);
        server.serve(serverPath("s"), index("Package: a\nVersion: 1\n\nPackage: b\nVersion: 2\n\nPackage: d\nVersion: 1\n\n"
                                            "Package: e\nVersion: 1\n", "\"3\""));
        refreshAndWait(model, "s");
        QTRY_COMPARE(updates.count(), 3);
        QCOMPARE(rebuilt.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestContentViewModel)
#include "tst_contentviewmodel.moc"
