#include "model/repostore.h"
#include "screens/addsource/addrepoviewmodel.h"
#include "platform/singleinstance.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "screens/mainscreen/sourcelisttransfer.h"
#include "sources/repoadder.h"
#include "sources/sourceaddress.h"
#include "testsupport.h"

#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray sampleIndex = "Package: com.example.one\nVersion: 1.0\n\nPackage: com.example.two\nFilename: debs/one.deb\n\n";

Repo existing(const QString &base)
{
    Repo repo;
    repo.name = "Existing";
    repo.url = base.toStdString();
    repo.packagesURL = repo.url + "Packages";
    return repo;
}

QStringList urls(const RepoList &repos)
{
    QStringList list;
    for (const Repo &r : repos)
        list << QString::fromStdString(r.url);
    return list;
}

// A main screen with the given list and a sheet open on it.
struct Screen
{
    explicit Screen(const RepoList &repos = {})
    {
        model.setRepos(repos);
        model.setShowingAddRepo(true);
        sheet.setContentModel(&model);
    }

    // Types the text and presses save; waits for the batch to end.
    void save(const QString &text, bool wait = true)
    {
        sheet.setRepoURLs(text);
        QVERIFY(sheet.canSave());
        QSignalSpy ended(model.repoAdder(), &RepoAdder::finished);
        sheet.addRepos();
        QVERIFY(sheet.isLoading());
        if (wait)
            QVERIFY(ended.wait(20'000));
    }

    ContentViewModel model;
    AddRepoViewModel sheet;
};

} // namespace

class TestAddRepo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitsAtNewlinesAndSingleBlanks()
    {
        QCOMPARE(RepoAdder::splitAddresses(u"a\rb\r\nc\u000Bd\u000Ce\u0085f\u2028g\u2029h"_s),
                 (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, u"g"_s, u"h"_s}));
        // Runs give no empty pieces; tabs and other spaces stay.
        QCOMPARE(RepoAdder::splitAddresses(u"  a  \n\n b "_s), (QStringList{u"a"_s, u"b"_s}));
        QCOMPARE(RepoAdder::splitAddresses(u"\ta\u00A0b c\t"_s), (QStringList{u"\ta\u00A0b"_s, u"c\t"_s}));
        QCOMPARE(RepoAdder::splitAddresses(u" \n \r\n"_s), QStringList());

        // The slips of typing: no scheme, the index's own address pasted.
        const auto base = [](const char *typed) { return SourceAddress::fromTyped(QString::fromUtf8(typed)).base; };
        QCOMPARE(base("repo.example.com"), u"https://repo.example.com/"_s);
        QCOMPARE(base("localhost:8080/debs"), u"https://localhost:8080/debs/"_s);
        QVERIFY(SourceAddress::fromTyped(u"Repo.Example.com/X"_s).assumedHttps);
        QVERIFY(!SourceAddress::fromTyped(u"http://repo.example.com"_s).assumedHttps);
        QCOMPARE(base("http://a.example/Repo/Packages"), u"http://a.example/Repo/"_s);
        QCOMPARE(base("https://a.example/Packages.xz"), u"https://a.example/"_s);
        QCOMPARE(base("a.example/x/Packages.bz2"), u"https://a.example/x/"_s);
        QCOMPARE(base("https://a.example/Packages/"), u"https://a.example/Packages/"_s);
        QCOMPARE(base("https://a.example/MyPackages"), u"https://a.example/MyPackages/"_s);
        QCOMPARE(base("https://a.example/packages.gz"), u"https://a.example/packages.gz/"_s);
        // Only web addresses are sources.
        for (const char *typed : {"data:text/plain,x", "ftp://a.example/", "file:///tmp/repo/", "mailto:a@b", "http://[fe80::1"})
            QVERIFY2(!SourceAddress::fromTyped(QString::fromUtf8(typed)).isAcceptable(), typed);
        for (const char *typed : {"HTTPS://a.example/", "http://a.example:8080/x/", "a.example"})
            QVERIFY2(SourceAddress::fromTyped(QString::fromUtf8(typed)).isAcceptable(), typed);
    }

    void sourcesArriveInTheOrderTheirFetchesComplete()
    {
        TempDataDir data;
        TestServer server;
        for (const char *name : {"first", "second", "third"})
            server.serve(QString::fromLatin1(name) + u"/Packages"_s, sampleIndex);
        server.setHolding(true);
        const Repo old = existing(u"https://old.example/"_s);
        Screen screen({old});
        QSignalSpy ended(screen.model.repoAdder(), &RepoAdder::finished);
        // Two addresses on one line, one on the next, the last typed without its "/".
        screen.save(server.url(u"first/ "_s) + server.url(u"second/\n"_s) + server.url(u"third"_s), false);
        QVERIFY(server.waitForRequests(3)); // all in flight at once

        RepoList expected{old};
        for (const char *name : {"third", "first", "second"}) {
            server.releaseOne(QString::fromLatin1(name) + u"/Packages"_s);
            QTRY_COMPARE(screen.model.repos().size(), expected.size() + 1);
            expected = screen.model.repos();
            // Written after every single append.
            screen.model.waitForPendingWrites();
            QCOMPARE(urls(RepoStore::loadRepos().value_or(RepoList{})), urls(expected));
        }
        QCOMPARE(urls(expected), (QStringList{u"https://old.example/"_s, server.url(u"third/"_s),
                                              server.url(u"first/"_s), server.url(u"second/"_s)}));

        const Repo &added = expected.at(1);
        QCOMPARE((QList<std::string>{added.name, added.imageURL, added.packagesURL, added.packages.at(1).downloadURL}),
                 (QList<std::string>{"127.0.0.1", added.url + "CydiaIcon.png", added.url + "Packages", added.url + "debs/one.deb"}));
        QVERIFY(!added.isPinned && !added.isFixed && !added.isUpdating && !added.developer);
        QVERIFY(std::abs(added.lastUpdated - ReferenceDate::now()) < 60);

        QTRY_COMPARE(ended.size(), 1);
        QVERIFY(!screen.sheet.isLoading());
        QVERIFY(!screen.model.showingAddRepo()); // the sheet closed itself
        QCOMPARE(screen.model.alertMessage(), u"تم إضافة السورسات بنجاح"_s);
        QVERIFY(screen.model.showAlert());
    }

    void duplicatesAreFoundByExactAddress()
    {
        TempDataDir data;
        TestServer server;
        server.serve(u"Repo/Packages"_s, sampleIndex);
        server.serve(u"New/Packages"_s, sampleIndex);
        Screen screen({existing(server.url(u"repo/"_s))});
        QSignalSpy failures(screen.model.repoAdder(), &RepoAdder::failed);
        // Without its "/": the stored source. Other letter case: a source of its own. The
        // same new address twice: added once.
        screen.save(server.url(u"repo"_s) + u' ' + server.url(u"Repo/"_s) + u'\n' + server.url(u"New"_s) + u' '
                    + server.url(u"New/"_s));
        const QStringList added = urls(screen.model.repos());
        QCOMPARE(QSet<QString>(added.begin(), added.end()), (QSet<QString>{server.url(u"repo/"_s), server.url(u"Repo/"_s), server.url(u"New/"_s)}));
        QCOMPARE(added.size(), 3);
        QCOMPARE(added.at(0), server.url(u"repo/"_s));
        QCOMPARE(server.requestCount(u"New/Packages"_s), 1);
        QCOMPARE(server.requestCount(u"repo/Packages"_s), 0);
        QCOMPARE(failures.size(), 2);
        const QString expected = u"تمت إضافة 2 من 4\n"_s + u"السورس موجود بالفعل: "_s + server.url(u"repo/"_s) + u'\n'
            + u"السورس موجود بالفعل: "_s + server.url(u"New/"_s);
        QCOMPARE(screen.model.alertMessage(), expected);
        QVERIFY(!screen.model.showingAddRepo());
    }

    // The alert says how many were added and lists the failures in typed order; the sheet,
    // opened again, holds exactly the failed addresses.
    void failuresAddNothingAndComeBackToTheSheet()
    {
        TempDataDir data;
        TestServer server;
        server.serve(u"good/Packages"_s, sampleIndex);
        server.serve(u"xz/Packages"_s, sampleIndex);
        server.serve(u"missing/Packages"_s, "<html><body>Not Found</body></html>", 404);
        server.setHolding(true);
        Screen screen;
        const QString local = QUrl::fromLocalFile(QDir::tempPath()).toString();
        // Read as https, on a port where nothing listens.
        const QString schemeless = u"127.0.0.1:1/plain"_s;
        screen.save(server.url(u"missing "_s) + server.url(u"good/Packages "_s) + u"http://[fe80::1\n"_s + local
                        + u' ' + server.url(u"xz/Packages.xz "_s) + schemeless,
                    false);
        QVERIFY(server.waitForRequests(3));
        // The fetch that fails last is typed first.
        server.releaseOne(u"good/Packages"_s);
        QTRY_COMPARE(screen.model.repos().size(), 1);
        server.releaseOne(u"xz/Packages"_s);
        QTRY_COMPARE(screen.model.repos().size(), 2);
        // With the fetches its error page sends on to the compressed names.
        server.setHolding(false);
        server.release();
        QTRY_VERIFY(!screen.sheet.isLoading());

        QCOMPARE(urls(screen.model.repos()), (QStringList{server.url(u"good/"_s), server.url(u"xz/"_s)}));
        const QStringList lines = screen.model.alertMessage().split(u'\n');
        QCOMPARE(lines.mid(0, 4), (QStringList{u"تمت إضافة 2 من 6"_s, u"فشل في جلب البيانات: "_s + server.url(u"missing/"_s),
                                              u"رابط غير صالح: http://[fe80::1/"_s, u"رابط غير صالح: "_s + local + u'/'}));
        QCOMPARE(lines.size(), 5);
        // Read as https: the line says so.
        QVERIFY(lines.at(4).startsWith(u"فشل في جلب البيانات: https://"_s + schemeless + u"/ ("_s));
        QVERIFY(screen.model.showAlert());
        QVERIFY(!screen.model.showingAddRepo());
        screen.model.waitForPendingWrites();
        QCOMPARE(urls(RepoStore::loadRepos().value_or(RepoList{})), urls(screen.model.repos()));

        // Opened again: exactly the failed addresses, one per line, ready to fix and save.
        screen.model.setShowingAddRepo(true);
        screen.sheet.reset();
        QCOMPARE(screen.sheet.repoURLs(), (QStringList{server.url(u"missing"_s), u"http://[fe80::1"_s, local, schemeless}.join(u'\n')));
        server.setHolding(false);
        server.serve(u"missing/Packages"_s, sampleIndex);
        screen.save(server.url(u"missing"_s));
        QCOMPARE(screen.model.alertMessage(), u"تم إضافة السورسات بنجاح"_s);
        QCOMPARE(screen.model.repos().size(), 3);
        screen.sheet.reset();
        QCOMPARE(screen.sheet.repoURLs(), QString());
    }

    // Blanks alone close the sheet with success.
    void blanksAloneSucceed()
    {
        TempDataDir data;
        Screen screen;
        QSignalSpy saves(&screen.model, &ContentViewModel::reposChanged);
        screen.save(u"  \n "_s);
        QVERIFY(saves.isEmpty());
        QVERIFY(!screen.model.showingAddRepo());
        QCOMPARE(screen.model.alertMessage(), u"تم إضافة السورسات بنجاح"_s);
    }

    void batchOutlivesTheSheet()
    {
        TempDataDir data;
        TestServer server;
        server.serve(u"a/Packages"_s, sampleIndex);
        server.serve(u"b/Packages"_s, sampleIndex);
        server.setHolding(true);
        ContentViewModel model;
        model.setRepos({});
        model.setShowingAddRepo(true);
        {
            AddRepoViewModel sheet;
            sheet.setContentModel(&model);
            sheet.setRepoURLs(server.url(u"a"_s));
            sheet.addRepos();
            model.setShowingAddRepo(false); // dragged down; the sheet's state goes with it
        }
        QVERIFY(server.waitForRequests(1));

        // Opened again and a second batch started: the first one's end does not close it.
        AddRepoViewModel sheet;
        sheet.setContentModel(&model);
        model.setShowingAddRepo(true);
        sheet.setRepoURLs(server.url(u"b"_s));
        sheet.addRepos();
        QVERIFY(server.waitForRequests(2));
        server.releaseOne(u"a/Packages"_s);
        QTRY_COMPARE(model.repos().size(), 1);
        QTRY_COMPARE(model.alertMessage(), u"تم إضافة السورسات بنجاح"_s);
        QVERIFY(model.showingAddRepo());
        QVERIFY(sheet.isLoading());

        server.releaseOne(u"b/Packages"_s);
        QTRY_VERIFY(!sheet.isLoading());
        QVERIFY(!model.showingAddRepo());
        QCOMPARE(urls(model.repos()), (QStringList{server.url(u"a/"_s), server.url(u"b/"_s)}));
    }
    // A second start on the same data folder hands its link to the first and ends; the link
    // fills the sheet and adds nothing. A list file given at start is imported.
    void secondStartHandsItsArgumentsOver()
    {
        TempDataDir data;
        TestServer server;
        server.serve(u"flat/Packages"_s, sampleIndex);
        Screen screen;
        screen.model.setShowingAddRepo(false);
        SourceListTransfer transfer;
        transfer.setContentModel(&screen.model);
        SingleInstance first(data.path());
        QVERIFY(first.claim({}));
        connect(&first, &SingleInstance::argumentsReceived, &transfer, &SourceListTransfer::handleArguments);

        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"VEXLO_DATA_DIR"_s, data.path());
        env.insert(u"ASAN_OPTIONS"_s, u"detect_leaks=0"_s);
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(VEXLO_APP), {u"vexlo://add?url=https%3A%2F%2Fa.example%2F&url=https://b.example/repo&x=1"_s});
        QVERIFY(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 30'000));
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY(screen.model.showingAddRepo());
        QCOMPARE(screen.sheet.repoURLs(), u"https://a.example/\nhttps://b.example/repo"_s);
        QVERIFY(screen.model.repos().isEmpty());

        const QString list = data.filePath(u"mine.list"_s);
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# mine\ndeb " + server.url(u"flat/"_s).toUtf8() + " ./\n");
        file.close();
        QSignalSpy ended(screen.model.repoAdder(), &RepoAdder::finished);
        transfer.handleArguments({u"vexlo://other?url=https://c.example/"_s, list});
        QVERIFY(ended.wait(20'000));
        QCOMPARE(urls(screen.model.repos()), QStringList{server.url(u"flat/"_s)});
        QCOMPARE(screen.sheet.repoURLs(), u"https://a.example/\nhttps://b.example/repo"_s); // not an add link
    }

    // A request to end from outside (a session that ends) quits as closing the window does,
    // so what is still to be written is written, rather than killing the process.
    void terminationRequestQuitsTheWindow()
    {
        TempDataDir data;
        QVERIFY(RepoStore::saveRepos({})); // nothing to refresh from outside
        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"VEXLO_DATA_DIR"_s, data.path());
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"ASAN_OPTIONS"_s, u"detect_leaks=0"_s);
        app.setProcessEnvironment(env);
        app.start(QStringLiteral(VEXLO_APP), {});
        const QString name = SingleInstance(data.path()).serverName();
        QVERIFY(QTest::qWaitFor([&] {
            QLocalSocket probe;
            probe.connectToServer(name);
            return probe.waitForConnected(100);
        }, 60'000));
        app.terminate();
        QVERIFY(app.waitForFinished(30'000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        const std::optional<RepoList> stored = RepoStore::loadRepos();
        QVERIFY(stored && stored->isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAddRepo)
#include "tst_addrepo.moc"
