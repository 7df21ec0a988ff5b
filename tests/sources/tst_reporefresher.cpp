#include "sources/reporefresher.h"

#include "model/asyncrepostore.h"
#include "model/repostore.h"
#include "platform/userdefaults.h"
#include "sources/indexvalidatorstore.h"
#include "sources/liverepolist.h"
#include "sources/refreshoutcomestore.h"
#include "sources/releasefetch.h"
#include "sources/packagenews.h"
#include "sources/refreshoutcome.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

Repo servedRepo(TestServer &server, const QString &name, TestServer::Answer answer)
{
    server.serve(name + u"/Packages"_s, std::move(answer));
    Repo repo;
    repo.url = server.url(name + u'/').toStdString();
    repo.packagesURL = repo.url + "Packages";
    repo.lastUpdated = 1000.0;
    return repo;
}

TestServer::Answer tagged(const QByteArray &body, const QByteArray &etag, bool ignoreConditions = false)
{
    return {200, body, "text/plain", false, etag, {}, ignoreConditions};
}

// One refresh as a restarted application runs it, its results applied to `repos` as the main
// screen applies them; the ids of the sources found unchanged.
// `whileAlive` runs once the refresh has ended, before the refresher goes.
QList<QUuid> refreshAll(RepoList &repos, double now = 0, const std::function<void()> &whileAlive = {})
{
    RepoRefresher refresher;
    if (now != 0)
        refresher.setClock([now] { return now; });
    QList<QUuid> unchanged;
    QObject::connect(&refresher, &RepoRefresher::unchanged, [&](const QUuid &id) { unchanged.append(id); });
    QObject::connect(&refresher, &RepoRefresher::succeeded, [&](const QUuid &id, const PackageList &packages) {
        for (Repo &repo : repos) {
            if (repo.id == id)
                RefreshOutcome::succeed(repo, packages);
        }
    });
    QSignalSpy idle(&refresher, &RepoRefresher::idle);
    refresher.refresh(repos);
    if (!idle.wait(10'000))
        qWarning("refresh did not end");
    if (whileAlive)
        whileAlive();
    return unchanged;
}

QJsonObject storedValidators()
{
    return QJsonDocument::fromJson(UserDefaults::data(QString::fromUtf16(IndexValidatorStore::key)).value_or(QByteArray())).object();
}

// The stored tag of a source, by its id as the data folder writes it.
QString storedTag(const Repo &repo)
{
    return storedValidators().value(repo.id.toString(QUuid::WithoutBraces).toUpper()).toObject().value(u"etag").toString();
}

Repo repoAt(const QString &packagesURL)
{
    Repo repo;
    repo.url = packagesURL.chopped(8).toStdString();
    repo.packagesURL = packagesURL.toStdString();
    return repo;
}

// Each source's outcome as "result everSucceeded reason".
QStringList outcomes(const RefreshOutcomeStore &store, const RepoList &repos)
{
    QStringList lines;
    for (const Repo &repo : repos) {
        const auto entry = store.find(repo.id);
        lines << (entry ? RefreshOutcomeStore::resultName(entry->result) + (entry->everSucceeded ? u" ever "_s : u" never "_s)
                              + entry->reason
                        : u"none"_s);
    }
    return lines;
}

FirstSeenStore storedFirstSeen()
{
    FirstSeenStore store;
    store.load();
    return store;
}

QString firstSeenFile()
{
    return UserDefaults::filePath(QString::fromUtf16(FirstSeenStore::key));
}

// The marks of a source's packages, by name.
QStringList marks(const Repo &repo, double now)
{
    const PackageNews::Ages ages = PackageNews::agesOf(storedFirstSeen(), repo.id, repo.packages, now);
    QStringList named;
    for (qsizetype i = 0; i < repo.packages.size(); ++i) {
        if (ages.marks[std::size_t(i)] != Novelty::Known)
            named << QString::fromStdString(repo.packages.at(i).name) + u' ' + PackageNews::markText(ages.marks[std::size_t(i)]);
    }
    return named;
}

} // namespace

class TestRepoRefresher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A source's bar moves as its index arrives, in pieces: rising steps of a twentieth, each
    // told once, to the end.
    void progressFollowsTheBytes()
    {
        TempDataDir dir;
        QByteArray index;
        for (int i = 0; i < 8'000; ++i)
            index += "Package: com.example.p" + QByteArray::number(i) + "\nVersion: 1.0\n\n";
        PacedServer paced(index, 4096, 2); // some 60 pieces
        RepoList repos{repoAt(paced.url())};
        LiveRepoList live(&repos, [](const RepoList &) {});
        QList<double> seen;
        connect(&live, &LiveRepoList::sourceChanged, this, [&](int i) {
            if (repos.at(i).isUpdating)
                seen.append(repos.at(i).updateProgress);
        });
        QSignalSpy idle(&live, &LiveRepoList::idle);
        live.refreshAll();
        QVERIFY(idle.wait(20'000));
        QVERIFY2(seen.size() >= 3, qPrintable(QString::number(seen.size())));
        for (qsizetype k = 1; k < seen.size(); ++k) {
            QVERIFY(seen.at(k) > seen.at(k - 1));
            QCOMPARE(seen.at(k) * 20, std::round(seen.at(k) * 20));
        }
        QCOMPARE(repos.at(0).packages.size(), 8'000);
        QCOMPARE(repos.at(0).updateProgress, 1.0);
    }

    // The list handed in may be the caller's own, changed by a slot of `started` (its old
    // storage freed by the last other holder) while the refresh walks it. Parsed lists reach
    // the release function as their last reference unless a slot kept one.
    void listsHandedInAndOut()
    {
        TempDataDir dir;
        TestServer server;
        RepoList repos{servedRepo(server, u"kept"_s, tagged("Package: kept\n", {})),
                       servedRepo(server, u"dropped"_s, tagged("Package: dropped\n", {}))};
        RepoList otherHolder = repos;
        const QUuid keptId = repos.at(0).id;
        RepoRefresher refresher;
        connect(&refresher, &RepoRefresher::started, this, [&] {
            repos[0].isUpdating = true;
            otherHolder.clear();
        });
        PackageList kept;
        connect(&refresher, &RepoRefresher::succeeded, this, [&](const QUuid &id, const PackageList &packages) {
            if (id == keptId)
                kept = packages;
        });
        QStringList released;
        refresher.setRelease([&](PackageList packages) {
            released << QString::fromStdString(packages.at(0).name) + (packages.isDetached() ? u" alone"_s : u" shared"_s);
        });
        QSignalSpy idle(&refresher, &RepoRefresher::idle);
        refresher.refresh(repos);
        QVERIFY(idle.wait(10'000));
        released.sort();
        QCOMPARE(released, (QStringList{u"dropped alone"_s, u"kept shared"_s}));
    }

    // A second refresh asks with the stored validators: an unchanged index costs a 304 and
    // keeps its packages, a changed one comes whole; servers without validators, or that
    // ignore them, are fetched whole every time as before.
    void secondRefreshDownloadsOnlyWhatChanged()
    {
        TempDataDir dir;
        TestServer server;
        const QByteArray index = "Package: a\nVersion: 1\n\nPackage: b\nVersion: 1\n";
        RepoList repos{servedRepo(server, u"tagged"_s, tagged(index, "\"1\"")),
                       servedRepo(server, u"plain"_s, tagged(index, {})),
                       servedRepo(server, u"ignoring"_s, tagged(index, "\"1\"", true))};

        qsizetype written = 0; // when the refresh ends, not only when the refresher goes
        QVERIFY(refreshAll(repos, 0, [&] {
                    UserDefaults::waitForWrites();
                    written = storedValidators().size();
                }).isEmpty());
        for (const Repo &repo : repos)
            QCOMPARE(repo.packages.size(), 2);
        QCOMPARE(written, 2); // nothing to keep for the plain server
        QCOMPARE(storedTag(repos.at(0)), u"\"1\""_s);

        const QUuid taggedId = repos.at(0).packages.at(1).id, ignoredId = repos.at(2).packages.at(1).id;
        for (Repo &repo : repos)
            repo.lastUpdated = 1000.0;
        QCOMPARE(refreshAll(repos), QList<QUuid>{repos.at(0).id});
        QCOMPARE(server.notModifiedCount(), 1);
        QCOMPARE(server.lastHeader(u"tagged/Packages"_s, "If-None-Match"), "\"1\""_ba);
        QCOMPARE(repos.at(0).packages.at(1).id, taggedId);
        QVERIFY(repos.at(0).lastUpdated > 1000.0);
        QVERIFY(server.lastHeader(u"plain/Packages"_s, "If-None-Match").isEmpty());
        QCOMPARE(server.lastHeader(u"ignoring/Packages"_s, "If-None-Match"), "\"1\""_ba);
        QCOMPARE(repos.at(2).packages.size(), 2);
        QVERIFY(repos.at(2).packages.at(1).id != ignoredId); // parsed again

        // New indexes: the tagged one with a new tag, the ignoring server's with new validators.
        server.serve(u"tagged/Packages"_s, tagged("Package: c\n", "\"2\""));
        server.serve(u"ignoring/Packages"_s, tagged(index, "\"2\"", true));
        QVERIFY(refreshAll(repos).isEmpty());
        QCOMPARE(repos.at(0).packages.size(), 1);
        QCOMPARE(repos.at(0).packages.at(0).name, "c");
        QCOMPARE(storedTag(repos.at(0)), u"\"2\""_s);
        QCOMPARE(storedTag(repos.at(2)), u"\"2\""_s);
        QCOMPARE(server.notModifiedCount(), 1);

        // Validators fit only the list their index produced; an unreadable file of them is replaced.
        RepoList reloaded{repos.at(0)};
        reloaded[0].packages = {Package()};
        QVERIFY(refreshAll(reloaded).isEmpty());
        QVERIFY(server.lastHeader(u"tagged/Packages"_s, "If-None-Match").isEmpty());
        QCOMPARE(reloaded.at(0).packages.at(0).name, "c");
        QCOMPARE(refreshAll(reloaded).size(), 1);
        // The sources left out of the list were deleted: their validators are forgotten.
        QCOMPARE(storedValidators().keys(), QStringList{reloaded.at(0).id.toString(QUuid::WithoutBraces).toUpper()});

        QFile file(UserDefaults::filePath(QString::fromUtf16(IndexValidatorStore::key)));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("{\"") == 2);
        file.close();
        QVERIFY(refreshAll(reloaded).isEmpty());
        QVERIFY(server.lastHeader(u"tagged/Packages"_s, "If-None-Match").isEmpty());
        QCOMPARE(storedValidators().size(), 1);
        QCOMPARE(refreshAll(reloaded).size(), 1);
    }

    // Results applied over a store of 50 MB are saved off this thread and coalesced: a few
    // writes a second however many sources answer, the last one holding every result.
    void resultsOverALargeStoreAreSavedFewTimes()
    {
        TempDataDir dir;
        TestServer server;
        RepoList repos;
        // A large source whose refresh fails keeps its packages, so every save is of this size.
        repos << servedRepo(server, u"large"_s, {404, "gone"});
        repos[0].packages.resize(100'000);
        for (qsizetype i = 0; i < repos[0].packages.size(); ++i)
            repos[0].packages[i] = Package{.name = "com.example.large" + std::to_string(i),
                                           .description = std::string(440, 'd'), .version = "1.0"};
        for (int i = 0; i < 50; ++i)
            repos << servedRepo(server, u"s%1"_s.arg(i), tagged("Package: p" + QByteArray::number(i) + '\n', {}));

        QList<qint64> writes; // sizes
        UserDefaults::setWriteHook([&writes](const QString &key, qint64 size) -> std::optional<QString> {
            if (key == QString::fromUtf16(RepoStore::key))
                writes << size;
            return std::nullopt;
        });
        // Small documents are quick to write: the spacing of saves keeps their number down too.
        for (const bool large : {true, false}) {
            if (!large)
                repos.removeFirst();
            writes.clear();
            QElapsedTimer clock;
            {
                AsyncRepoStore store;
                LiveRepoList live(&repos, [&store](const RepoList &list) { store.save(list); });
                live.setRelease([&store](PackageList packages) { store.release(std::move(packages)); });
                QSignalSpy idle(&live, &LiveRepoList::idle);
                clock.start();
                live.refreshAll();
                QVERIFY(idle.wait(60'000));
                QVERIFY(store.finish());
            }
            const double seconds = double(clock.elapsed()) / 1000;
            QVERIFY2(!writes.isEmpty() && writes.size() <= 2 + seconds * 1000 / AsyncRepoStore::saveSpacingMs
                         && writes.size() <= 10,
                     qPrintable(u"%1 writes in %2 s"_s.arg(writes.size()).arg(seconds)));
            QVERIFY(!large || writes.last() > 50'000'000);
            const RepoList stored = RepoStore::loadRepos().value_or(RepoList{});
            QCOMPARE(stored.size(), large ? 51 : 50);
            QCOMPARE(stored.at(0).packages.size(), large ? 100'000 : 1);
            for (int i = large ? 1 : 0; i < stored.size(); ++i)
                QVERIFY(stored.at(i).packages.size() == 1 && stored.at(i).packages.at(0).name == "p" + std::to_string(i - large)
                        && !stored.at(i).isUpdating);
        }
        UserDefaults::setWriteHook({});
    }

    // The first fetch of a source marks nothing; the next one that brings something marks what
    // came new and what replaced an older version, and forgets what left. A 304 changes
    // nothing; what counts as new ages out after a week; an unreadable file is kept aside and
    // the next fetch starts over.
    void firstSeenOfEachPackage()
    {
        TempDataDir dir;
        TestServer server;
        RepoList repos{servedRepo(server, u"s"_s, tagged("Package: a\nVersion: 1\n\nPackage: b\nVersion: 1\n\n"
                                                        "Package: c\nVersion: 1\n", "\"1\""))};
        // Written when the refresh ends, not only when the refresher goes.
        int written = 0;
        refreshAll(repos, 1000, [&] {
            UserDefaults::waitForWrites();
            written = storedFirstSeen().entryCount(repos.at(0).id);
        });
        QCOMPARE(written, 3);
        QVERIFY(marks(repos.at(0), 1000).isEmpty());

        server.serve(u"s/Packages"_s, tagged("Package: a\nVersion: 1\n\nPackage: b\nVersion: 2\n\n"
                                             "Package: d\nVersion: 1\n", "\"2\""));
        refreshAll(repos, 2000);
        QCOMPARE(marks(repos.at(0), 2000), (QStringList{u"b مُحدَّث"_s, u"d جديد"_s}));
        const FirstSeenStore store = storedFirstSeen();
        QCOMPARE(store.entryCount(repos.at(0).id), 3); // c and the old b are gone
        QCOMPARE(store.find(repos.at(0).id, repos.at(0).packages.at(0))->time, 1000.0);
        QCOMPARE(PackageNews::agesOf(store, repos.at(0).id, repos.at(0).packages, 2000).firstSeen,
                 (std::vector<double>{1000, 2000, 2000}));

        const QByteArray before = TestData::readFile(firstSeenFile());
        QCOMPARE(refreshAll(repos, 3000).size(), 1);
        QCOMPARE(TestData::readFile(firstSeenFile()), before);
        QCOMPARE(marks(repos.at(0), 2000 + PackageNews::recentSeconds).size(), 2);
        QVERIFY(marks(repos.at(0), 2001 + PackageNews::recentSeconds).isEmpty());

        // Nothing new in a changed index: the marks of the last news stay, until other news.
        server.serve(u"s/Packages"_s, tagged("Package: a\nVersion: 1\n\nPackage: b\nVersion: 2\n", "\"3\""));
        refreshAll(repos, 4000);
        QCOMPARE(marks(repos.at(0), 4000), QStringList{u"b مُحدَّث"_s});
        QCOMPARE(storedFirstSeen().entryCount(repos.at(0).id), 2);
        server.serve(u"s/Packages"_s, tagged("Package: a\nVersion: 1\n\nPackage: b\nVersion: 2\n\nPackage: e\n", "\"4\""));
        refreshAll(repos, 4500);
        QCOMPARE(marks(repos.at(0), 4500), QStringList{u"e جديد"_s});

        QFile file(firstSeenFile());
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(20) && file.write("x") == 1);
        file.close();
        QCOMPARE(storedFirstSeen().entryCount(repos.at(0).id), 0);
        QCOMPARE(QDir(dir.path()).entryList({u"packagesFirstSeen.unreadable-*"_s}).size(), 1);
        server.serve(u"s/Packages"_s, tagged("Package: f\nVersion: 1\n", "\"5\""));
        refreshAll(repos, 5000);
        QVERIFY(marks(repos.at(0), 5000).isEmpty());
        QCOMPARE(storedFirstSeen().entryCount(repos.at(0).id), 1);
        // A 304 for a source with nothing recorded (the file lost) records its list as a first fetch.
        QVERIFY(QFile::remove(firstSeenFile()));
        const int unchanged = server.notModifiedCount();
        refreshAll(repos, 6000);
        QCOMPARE(server.notModifiedCount(), unchanged + 1);
        QCOMPARE(storedFirstSeen().entryCount(repos.at(0).id), 1);
        QVERIFY(marks(repos.at(0), 6000).isEmpty());
    }

    // Recorded in steps, as a refresh does off the main thread: a store whose records of the
    // source changed meanwhile refuses the result. The very list recorded is read without
    // look-ups and answers as an equal list made anew (which is looked up).
    void firstSeenRecordedInSteps()
    {
        const QUuid id = QUuid::createUuid();
        const auto made = [](std::initializer_list<std::pair<const char *, const char *>> named) {
            PackageList list;
            for (const auto &[name, version] : named) {
                list.append(Package{});
                list.last().name = name;
                list.last().version = version;
            }
            return list;
        };
        FirstSeenStore store;
        store.record(id, made({{"a", "1"}, {"b", "1"}}), 1000);
        const PackageList next = made({{"a", "1"}, {"b", "2"}, {"c", "1"}});
        FirstSeenStore::Recording pending = store.prepare(id);
        store.keepOnly({});
        QVERIFY(!store.adopt(FirstSeenStore::compute(std::move(pending), next, 2000)));
        QCOMPARE(store.entryCount(id), 0);
        store.record(id, made({{"a", "1"}, {"b", "1"}}), 1000);
        // Another source's records may change meanwhile; a second recording of this one may not.
        FirstSeenStore::Recording first = store.prepare(id);
        FirstSeenStore::Recording second = store.prepare(id);
        store.record(QUuid::createUuid(), next, 1500);
        QVERIFY(store.adopt(FirstSeenStore::compute(std::move(first), next, 2000)));
        QVERIFY(!store.adopt(FirstSeenStore::compute(std::move(second), made({{"d", "1"}}), 2000)));
        QCOMPARE(store.entryCount(id), 3);

        const PackageList again = made({{"a", "1"}, {"b", "2"}, {"c", "1"}});
        QVERIFY(store.entriesInOrder(id, next));
        QVERIFY(!store.entriesInOrder(id, again));
        QVERIFY(!store.entriesInOrder(id, next.mid(0, 2)));
        for (const PackageList &list : {next, again}) {
            const PackageNews::Ages ages = PackageNews::agesOf(store, id, list, 2000);
            QCOMPARE(ages.firstSeen, (std::vector<double>{1000, 2000, 2000}));
            QCOMPARE(ages.marks, (std::vector<Novelty>{Novelty::Known, Novelty::Updated, Novelty::New}));
        }
        Repo repo;
        repo.id = id;
        repo.packages = next;
        // What the first fetch found never counts as arrived, however early the window starts.
        for (const double since : {1500.0, 500.0}) {
            QStringList arrived;
            for (const PackageNews::Arrival &arrival : PackageNews::arrivals({repo}, store, since))
                arrived << QString::fromStdString(next.at(arrival.package).name) + PackageNews::markText(arrival.novelty);
            QCOMPARE(arrived, (QStringList{u"bمُحدَّث"_s, u"cجديد"_s}));
        }
    }

    // A failed index ends its source's refresh at once, not when a Release that never comes
    // times out.
    void failedIndexWaitsForNoRelease()
    {
        TempDataDir dir;
        TestServer server;
        server.serve(u"gone/Packages"_s, "gone", 404);
        TestServer::Answer never;
        never.stall = true;
        server.serve(u"gone/Release"_s, never);
        RepoList repos{repoAt(server.url(u"gone/Packages"_s))};
        LiveRepoList live(&repos, [](const RepoList &) {});
        FetchOptions options;
        options.transferTimeoutMs = 60'000;
        live.refresher().setFetchOptions(options);
        QSignalSpy idle(&live, &LiveRepoList::idle);
        live.refreshAll();
        QVERIFY(idle.wait(10'000));
        QCOMPARE(outcomes(live.outcomes(), repos), QStringList{u"failed never لا يوجد فهرس حزم على هذا العنوان"_s});
    }

    // A Release that drips gives up as soon as its index would, not after its own minute.
    void slowReleaseEndsWithItsIndexLimits()
    {
        PacedServer dripping(QByteArray(64 << 10, '\n'), 1, 20); // 50 bytes a second
        FetchOptions limits;
        limits.lowSpeedWindowMs = 500;
        QObject context;
        std::optional<ReleaseOutcome> outcome;
        fetchRelease(dripping.url(), {}, limits, &context, [&outcome](ReleaseOutcome o) { outcome = std::move(o); });
        QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 10'000);
        QCOMPARE(outcome->kind, ReleaseOutcome::Kind::Unreachable);
    }

    // Every failure keeps a reason of its own, chosen by what happened, beside the store: it is
    // read back after a restart, and a refresh of one source leaves the others' records alone.
    void outcomesNameEachFailure()
    {
        TempDataDir dir;
        TestServer server;
        PacedServer dripping(QByteArray(64 << 10, '\n'), 1, 20); // 50 bytes a second
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 nowhere = closed.serverPort();
        const QString refused = u"http://127.0.0.1:%1/Packages"_s.arg(nowhere);
        closed.close();
        RepoList repos{servedRepo(server, u"good"_s, tagged("Package: a\n", "\"1\"")),
                       servedRepo(server, u"page"_s, {200, "\n <!DOCTYPE html><html></html>", "text/html", false, {}, {}, false}),
                       servedRepo(server, u"latin1"_s, tagged("Package: caf\xe9\n", {})),
                       servedRepo(server, u"broken"_s, {500, "oops", "text/plain", false, {}, {}, false}),
                       repoAt(server.url(u"missing/Packages"_s)), repoAt(dripping.url()), repoAt(refused)};
        repos[3].packages = {Package()}; // had packages before these records were kept
        LiveRepoList live(&repos, [](const RepoList &) {});
        FetchOptions options;
        options.lowSpeedWindowMs = 1000;
        live.refresher().setFetchOptions(options);
        QSignalSpy idle(&live, &LiveRepoList::idle);
        live.refreshAll();
        QVERIFY(idle.wait(20'000));
        QStringList expected{u"succeeded ever "_s,
                             u"failed never العنوان يعرض صفحة ويب بدل فهرس الحزم"_s,
                             u"failed never الفهرس ليس نصًا بترميز UTF-8"_s,
                             u"failed ever ردّ الخادم بالرمز 500"_s,
                             u"failed never لا يوجد فهرس حزم على هذا العنوان"_s,
                             u"failed never الخادم بطيء جدًا أو لم يستجب في الوقت المحدد"_s,
                             u"failed never تعذّر الاتصال بالخادم"_s};
        QCOMPARE(outcomes(live.outcomes(), repos), expected);
        RefreshOutcomeStore restarted;
        restarted.load();
        QCOMPARE(outcomes(restarted, repos), expected);

        // One source alone: only its index is asked for. The other answers 304 this time.
        server.serve(u"page/Packages"_s, "Package: b\n");
        live.refreshOne(repos.at(1).id);
        QVERIFY(idle.wait(10'000));
        QCOMPARE(server.requestCount(u"good/Packages"_s), 1);
        expected[1] = u"succeeded ever "_s;
        QCOMPARE(outcomes(live.outcomes(), repos), expected);
        // Through a proxy that refuses it, an https address reaches no server either; the
        // connection was not cut short.
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, u"127.0.0.1"_s, nowhere));
        repos[6].packagesURL = "https://repo.example.invalid/Packages"; // a loopback address would bypass the proxy
        live.refreshOne(repos.at(6).id);
        QVERIFY(idle.wait(10'000));
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        QCOMPARE(outcomes(live.outcomes(), repos), expected);
        // Deleted sources are forgotten when the records are next written after a refresh.
        repos.remove(2, 5);
        live.refreshOne(repos.at(0).id);
        QVERIFY(idle.wait(10'000));
        restarted.load();
        QCOMPARE(outcomes(restarted, repos), (QStringList{u"unchanged ever "_s, u"succeeded ever "_s}));
        QCOMPARE(QJsonDocument::fromJson(UserDefaults::data(QString::fromUtf16(RefreshOutcomeStore::key)).value_or(""))
                     .object().size(), 2);

        // An unreadable file is kept aside and read as empty; readable entries are kept.
        QVERIFY(UserDefaults::set(QByteArray("{\"" + repos.at(0).id.toString(QUuid::WithoutBraces).toLatin1()
                                             + "\":{\"result\":\"failed\",\"everSucceeded\":true},\"x\":1}"),
                                  QString::fromUtf16(RefreshOutcomeStore::key)));
        restarted.load();
        QCOMPARE(outcomes(restarted, repos), (QStringList{u"none"_s, u"none"_s}));
        QCOMPARE(QDir(dir.path()).entryList({u"refreshOutcomes.unreadable-*"_s}).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestRepoRefresher)
#include "tst_reporefresher.moc"
