#include "model/defaultrepos.h"
#include "model/repojson.h"
#include "model/repostore.h"
#include "platform/userdefaults.h"
#include "sources/packagesparser.h"

#include "testsupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

// vexlo-cli run as a separate process: what each command adds to the core it shares with the
// screens (argument handling, exit codes, output form and texts). The rules themselves are
// tested where they live.
namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QString err;
};

// Waits with events, so that a test server of this process can answer the child. A leak
// report of the sanitizer would add lines to standard error: `quiet` keeps it out where
// standard error is compared line for line.
Run cli(const QStringList &args, const QString &dataDir = {}, bool quiet = false)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TZ"_s, u"UTC"_s);
    if (quiet)
        env.insert(u"ASAN_OPTIONS"_s, u"detect_leaks=0"_s);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VEXLO_CLI), (dataDir.isEmpty() ? QStringList() : QStringList{u"--data-dir"_s, dataDir}) + args);
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 60'000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

QList<QByteArrayList> rows(const QByteArray &out)
{
    QList<QByteArrayList> result;
    for (const QByteArray &line : out.split('\n'))
        if (!line.isEmpty())
            result.append(line.split('\t'));
    return result;
}

Repo repoAt(const QString &url, const char *name = "Stored")
{
    return Repo{.name = name, .url = url.toStdString(), .packagesURL = url.toStdString() + "Packages", .lastUpdated = 1000.0};
}

Package make(const char *name, const char *description, const char *architecture, qint64 size = 0,
             const char *section = nullptr)
{
    Package p{.name = name, .description = description, .version = "1.0", .architecture = architecture, .fileSize = size};
    if (section)
        p.extras.set(Extra::Section, section);
    return p;
}

QStringList storedUrls()
{
    QStringList urls;
    for (const Repo &repo : RepoStore::loadRepos().value_or(RepoList{}))
        urls << QString::fromStdString(repo.url);
    return urls;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? file.fileName() : QString();
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sources()
    {
        TempDataDir dir;
        // Nothing stored: the defaults, listed without writing anything.
        Run run = cli({u"sources"_s}, dir.path());
        QCOMPARE(run.status, 0);
        QCOMPARE(rows(run.out).size(), defaultRepos().size());
        QCOMPARE(rows(run.out).last().mid(0, 3), (QByteArrayList{"PoomSmart", "https://poomsmart.github.io/repo/", "0"}));
        QVERIFY(QDir(dir.path()).isEmpty());

        Repo a = repoAt(u"https://a.example/"_s, "مصدر");
        a.lastUpdated = 767'000'000.25; // 2025-04-22 07:33:20.25 UTC
        a.packages.resize(3);
        QVERIFY(RepoStore::saveRepos({a, repoAt(u"https://b.example/"_s, "B")}));
        run = cli({u"sources"_s}, dir.path());
        QCOMPARE(rows(run.out), (QList<QByteArrayList>{{"مصدر", "https://a.example/", "3", "2025-04-22 07:33:20"},
                                                       {"B", "https://b.example/", "0", "2001-01-01 00:16:40"}}));
        run = cli({u"sources"_s, u"--json"_s}, dir.path());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, TestData::readFile(dir.filePath(u"savedRepos"_s)) + '\n');

        run = cli({u"sources"_s, u"--xml"_s}, dir.path());
        QCOMPARE(run.status, 2);
        QVERIFY(run.out.isEmpty() && run.err.contains(u"--xml"_s));
        QCOMPARE(cli({}).status, 2);

        // An unreadable list is no success: it is named where it was kept, once however often
        // it is listed.
        QFile damaged(dir.filePath(u"savedRepos"_s));
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate) && damaged.write("[{") == 2);
        damaged.close();
        for (int i = 0; i < 2; ++i) {
            run = cli({u"sources"_s}, dir.path(), true);
            QCOMPARE(run.status, 1);
            const QStringList aside = QDir(dir.path()).entryList({u"savedRepos.unreadable-*"_s}, QDir::Files);
            QCOMPARE(aside.size(), 1);
            QVERIFY2(run.err.contains(u"kept as "_s + dir.filePath(aside.first())), qPrintable(run.err));
        }
    }

    void parse()
    {
        const QString sample = QStringLiteral(FIXTURES_DIR "/Packages-sample");
        Run run = cli({u"parse"_s, sample});
        QCOMPARE(run.status, 0);
        QVERIFY(run.err.isEmpty());
        const QJsonArray packages = QJsonDocument::fromJson(run.out).array();
        QCOMPARE(packages.size(), 4);
        QCOMPARE(packages[1][u"description"].toString(), u"أداة تجريبية للاختبار"_s);
        QVERIFY(run.out.contains(R"("downloadURL":"https:\/\/example.org\/.\/debs\/com.example.alpha_1.2.0_iphoneos-arm64.deb")"));
        QCOMPARE(cli({u"parse"_s, sample, u"--count"_s}).out, "4\n"_ba);
        run = cli({u"parse"_s, u"--repo-url"_s, u"http://127.0.0.1/r"_s, sample});
        QVERIFY(run.out.contains(R"("downloadURL":"http:\/\/127.0.0.1\/rdebs\/beta.deb")"));

        QTemporaryDir dir;
        QCOMPARE(cli({u"parse"_s, writeFile(dir, u"empty"_s, {})}).out, "[]\n"_ba);

        // Exit codes: 3 not UTF-8, 1 unreadable or corrupt, 2 usage.
        run = cli({u"parse"_s, writeFile(dir, u"gbk"_s, "Package: a\nAuthor: \xd5\xc5\n"_ba)});
        QCOMPARE(run.status, 3);
        QVERIFY(run.out.isEmpty() && run.err.contains(u"not UTF-8"_s));
        run = cli({u"parse"_s, dir.filePath(u"nothing-here"_s)});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(u"nothing-here"_s));
        for (const QStringList &args : {QStringList{}, {sample, u"--bogus"_s}, {sample, u"--repo-url"_s}, {sample, sample}})
            QCOMPARE(cli(QStringList{u"parse"_s} + args).status, 2);
    }

    void packages()
    {
        TempDataDir dir;
        Repo first = repoAt(u"https://first.example/"_s, "First");
        first.packages = {make("com.tool.alpha", "A TWEAK", "iphoneos-arm64", 1536, "Tweaks"),
                          make("beta", "no", "iphoneos-arm", 0, "Utilities")};
        Repo second = repoAt(u"https://second.example/"_s, "مصدر");
        second.packages = {make("gamma", "tweak of mine", "iphoneos-arm64e", 0, "Tweaks"), make("Tweaked", "", "arm64")};
        QVERIFY(RepoStore::saveRepos({first, second}));
        const auto names = [&dir](const QStringList &args) {
            QByteArrayList names;
            for (const QByteArrayList &row : rows(cli(QStringList{u"packages"_s} + args, dir.path()).out))
                names.append(row.first());
            return names;
        };

        const Run run = cli({u"packages"_s}, dir.path());
        QCOMPARE(run.status, 0);
        QCOMPARE(rows(run.out).first(), (QByteArrayList{"com.tool.alpha", "1.0", "arm64", "1.5 ك.ب", "First"}));
        QCOMPARE(rows(run.out).size(), 4);
        // Across sources names and descriptions; in one source names only.
        QCOMPARE(names({u"--search"_s, u"tweak"_s}), (QByteArrayList{"com.tool.alpha", "gamma", "Tweaked"}));
        QCOMPARE(names({u"--source"_s, u"مصدر"_s, u"--search"_s, u"tweak"_s}), QByteArrayList{"Tweaked"});
        QCOMPARE(names({u"--section"_s, u"Tweaks"_s, u"--arch"_s, u"arm64e"_s}), QByteArrayList{"gamma"});

        const Run json = cli({u"packages"_s, u"--search"_s, u"M"_s, u"--json"_s}, dir.path());
        const std::optional<PackageList> read = RepoJson::readPackages(json.out.trimmed());
        QVERIFY(read && read->size() == 2);
        QCOMPARE(read->at(0).id, first.packages.at(0).id);
        QCOMPARE(read->at(1).section(), std::optional<std::string_view>("Tweaks"));

        QCOMPARE(cli({u"packages"_s, u"--source"_s, u"Nope"_s}, dir.path()).status, 1);
        QCOMPARE(cli({u"packages"_s, u"--search"_s}, dir.path()).status, 2);
    }

    void add()
    {
        TempDataDir dir;
        TestServer server;
        server.serve(u"a/Packages"_s, "Package: one\n\nPackage: two\n\n");
        server.serve(u"b/Packages"_s, "Package: three\n\n");
        QVERIFY(RepoStore::saveRepos({repoAt(server.url(u"old/"_s))}));

        // One argument may hold several addresses, as the sheet's text does.
        Run run = cli({u"add"_s, server.url(u"a"_s) + u' ' + server.url(u"b/"_s)}, dir.path(), true);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, u"تم إضافة السورسات بنجاح\n"_s);
        // In the order the fetches complete.
        const RepoList added = RepoStore::loadRepos().value_or(RepoList{});
        QCOMPARE(added.size(), 3);
        const QStringList urls = storedUrls();
        QCOMPARE(QSet<QString>(urls.begin() + 1, urls.end()), (QSet<QString>{server.url(u"a/"_s), server.url(u"b/"_s)}));
        QCOMPARE(added.at(1).packages.size() + added.at(2).packages.size(), 3);

        run = cli({u"add"_s, server.url(u"old"_s), server.url(u"missing"_s)}, dir.path(), true);
        QCOMPARE(run.status, 1);
        // The messages in order; a diagnostic line of the runtime on a loaded machine is not one.
        QStringList messages = run.err.split(u'\n', Qt::SkipEmptyParts);
        messages.removeIf([](const QString &line) { return line.at(0).script() != QChar::Script_Arabic; });
        QCOMPARE(messages,
                 (QStringList{u"السورس موجود بالفعل: "_s + server.url(u"old/"_s),
                              u"فشل في جلب البيانات: "_s + server.url(u"missing/"_s)}));
        QCOMPARE(storedUrls().size(), 3);
        QCOMPARE(cli({u"add"_s}, dir.path()).status, 2);

        // An unreadable list: the defaults and the addition, the damaged document kept and named.
        QFile damaged(dir.filePath(u"savedRepos"_s));
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write("[{\"id\":");
        damaged.close();
        run = cli({u"add"_s, server.url(u"a"_s)}, dir.path(), true);
        QCOMPARE(run.status, 0);
        QCOMPARE(storedUrls().size(), defaultRepos().size() + 1);
        QCOMPARE(storedUrls().last(), server.url(u"a/"_s));
        const QStringList aside = QDir(dir.path()).entryList({u"savedRepos.unreadable-*"_s}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QVERIFY2(run.err.contains(u"kept as "_s + dir.filePath(aside.first())), qPrintable(run.err));
    }

    // `deb URL SUITE COMPONENT` names a distribution: its Release lists the components and
    // architectures, each iOS list is fetched, and all packages make one source whose download
    // links and icon are under the archive root.
    void distributionSource()
    {
        REQUIRE_CORPUS(corpus);
        TempDataDir dir;
        TestServer server;
        const QByteArray arm = TestData::readFile(corpus + u"/20obb__veronicateam/Packages"_s);
        const QByteArray arm64 = TestData::readFile(corpus + u"/BandarHL__BandarHL.github.io/Packages"_s);
        server.serve(u"dists/stable/Release"_s, "Origin: Local\nComponents: main\nArchitectures: amd64 iphoneos-arm iphoneos-arm64\n");
        server.serve(u"dists/stable/main/binary-iphoneos-arm/Packages"_s, arm);
        server.serve(u"dists/stable/main/binary-iphoneos-arm64/Packages"_s, arm64);
        QVERIFY(RepoStore::saveRepos({}));

        const Run run = cli({u"add"_s, u"deb [trusted=yes arch=iphoneos-arm] "_s + server.baseUrl() + u" stable main"_s}, dir.path(), true);
        QCOMPARE(run.status, 0);
        const RepoList stored = RepoStore::loadRepos().value_or(RepoList{});
        QCOMPARE(stored.size(), 1);
        const Repo &source = stored.first();
        QCOMPARE(QString::fromStdString(source.url), server.url(u"dists/stable/"_s));
        QCOMPARE(QString::fromStdString(source.imageURL), server.url(u"CydiaIcon.png"_s));
        const std::string root = server.baseUrl().toStdString();
        const PackageList expected = parsePackages(std::string_view(arm.constData(), std::size_t(arm.size())), root)
                                   + parsePackages(std::string_view(arm64.constData(), std::size_t(arm64.size())), root);
        QCOMPARE(source.packages.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            QCOMPARE(source.packages.at(i).downloadURL, expected.at(i).downloadURL);
        QCOMPARE(server.requestCount(u"dists/stable/main/binary-amd64/Packages"_s), 0);
        QCOMPARE(server.requestCount(u"dists/stable/main/binary-all/Packages"_s), 0); // not listed
        QCOMPARE(rows(cli({u"export"_s, u"--format"_s, u"list"_s}, dir.path()).out).first().first(),
                 QByteArray("deb ") + root.c_str() + " stable main");
    }

    // Each export form read back by import on an empty data folder adds the same sources.
    // Files that are no list, or a hostile one, add nothing and harm nothing.
    void exportThenImport()
    {
        TempDataDir dir;
        TestServer server;
        server.serve(u"flat/Packages"_s, "Package: one\n\n");
        server.serve(u"dists/stable/main/binary-iphoneos-arm64/Packages"_s, "Package: two\n\n");
        const QStringList urls{server.url(u"flat/"_s), server.url(u"dists/stable/"_s)};
        QVERIFY(RepoStore::saveRepos({repoAt(urls.at(0)), repoAt(urls.at(1))}));
        QTemporaryDir files;
        for (const QString &format : {u"text"_s, u"list"_s, u"sources"_s, u"json"_s}) {
            const Run exported = cli({u"export"_s, u"--format"_s, format}, dir.path());
            QCOMPARE(exported.status, 0);
            const QString file = writeFile(files, u"sources."_s + format, exported.out);
            TempDataDir empty;
            const Run imported = cli({u"import"_s, file}, empty.path(), true);
            QVERIFY2(imported.status == 0, qPrintable(format + u": "_s + imported.err));
            QCOMPARE(storedUrls().mid(defaultRepos().size()), urls);
        }

        QByteArray many;
        for (int i = 0; i < 100'000; ++i)
            many += "https://host" + QByteArray::number(i) + ".example/\n";
        const QByteArray unknownFields = "Types: deb\nX-Repolib-Name: x\nURIs: " + urls.at(0).toUtf8()
                                       + "\nSuites: ./\nSigned-By:\n -----BEGIN PGP-----\n ab\nEnabled: yes\n\n"
                                         "Types: deb-src\nURIs: http://127.0.0.1:1/\nSuites: ./\n";
        const QList<std::pair<QByteArray, int>> hostile{{many, 1}, {QByteArray("deb \x01\xff\xfe\0x", 8), 1}, {unknownFields, 0}};
        for (const auto &[bytes, status] : hostile) {
            TempDataDir empty;
            const Run imported = cli({u"import"_s, writeFile(files, u"hostile"_s, bytes)}, empty.path(), true);
            QCOMPARE(imported.status, status);
            QCOMPARE(storedUrls().mid(defaultRepos().size()), status ? QStringList() : QStringList{urls.at(0)});
        }
        QCOMPARE(cli({u"export"_s, u"--format"_s, u"yaml"_s}, dir.path()).status, 2);
    }

    // Results are stored as they come, while other sources still run; a failed source keeps
    // what it had. A second run asks with what the first kept and downloads nothing of an
    // unchanged index. The closing line counts outcomes and bytes (error pages included).
    void refresh()
    {
        TempDataDir dir;
        TestServer server;
        server.setHolding(true);
        const QByteArray index = "Package: one\n\nPackage: two\n\n";
        server.serve(u"tagged/Packages"_s, {200, index, "text/plain", false, "\"7\"", {}});
        server.serve(u"broken/Packages"_s, "Package: caf\xe9\n\n");
        Repo broken = repoAt(server.url(u"broken/"_s), "broken");
        broken.packages.resize(1);
        QVERIFY(RepoStore::saveRepos({repoAt(server.url(u"tagged/"_s), "tagged"), broken}));

        QProcess p;
        p.start(QStringLiteral(VEXLO_CLI), {u"--data-dir"_s, dir.path(), u"refresh"_s});
        QVERIFY(server.waitForRequests(2, 30'000));
        server.releaseOne(u"tagged/Packages"_s);
        QVERIFY(QTest::qWaitFor([] { return RepoStore::loadRepos()->at(0).packages.size() == 2; }, 30'000));
        QCOMPARE(p.state(), QProcess::Running);
        QVERIFY(RepoStore::loadRepos()->at(1).isUpdating);
        server.releaseOne(u"broken/Packages"_s);
        QVERIFY(QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 60'000));
        QCOMPARE(p.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), u"فشل في تحديث السورس: broken\n"_s);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY(err.contains(u"فشل في جلب الحزم من السورس: broken\tالفهرس ليس نصًا بترميز UTF-8\n"_s));
        QVERIFY2(err.trimmed().endsWith(u"1 refreshed, 0 unchanged (304), 1 failed, %1 bytes downloaded"_s.arg(index.size() + 15)), // the broken body too
                 qPrintable(err));
        RepoList stored = RepoStore::loadRepos().value_or(RepoList{});
        QCOMPARE(stored.at(1).packages.size(), 1);
        QCOMPARE(stored.at(1).lastUpdated, 1000.0);
        QVERIFY(!stored.at(1).isUpdating);
        // The next run of the program still names the failure.
        Run listed = cli({u"sources"_s}, dir.path());
        QCOMPARE(rows(listed.out).at(0).mid(4), QByteArrayList{"succeeded"});
        QCOMPARE(rows(listed.out).at(1).mid(4), (QByteArrayList{"failed", "الفهرس ليس نصًا بترميز UTF-8"}));
        listed = cli({u"sources"_s, u"--json"_s}, dir.path());
        const QJsonArray sources = QJsonDocument::fromJson(listed.out).array();
        QCOMPARE(sources.at(1)[u"outcome"_s].toObject(),
                 (QJsonObject{{u"result"_s, u"failed"_s}, {u"everSucceeded"_s, true}, {u"reason"_s, u"الفهرس ليس نصًا بترميز UTF-8"_s}}));
        QCOMPARE(sources.at(1)[u"name"_s], u"broken"_s);

        server.setHolding(false);
        server.serve(u"broken/Packages"_s, QByteArray(), 304); // answers a request without validators
        const Run again = cli({u"refresh"_s}, dir.path());
        QCOMPARE(again.status, 1);
        QVERIFY2(again.err.contains(u"broken\tردّ الخادم بالرمز 304\n"_s), qPrintable(again.err));
        const qint64 notFoundPages = 4 * qint64(sizeof("<html><body>Not Found</body></html>") - 1);
        QVERIFY2(again.err.trimmed().endsWith(u"0 refreshed, 1 unchanged (304), 1 failed, %1 bytes downloaded"_s.arg(notFoundPages)),
                 qPrintable(again.err));
        const Repo tagged = RepoStore::loadRepos()->at(0);
        QCOMPARE(tagged.packages.at(0).id, stored.at(0).packages.at(0).id);
        QVERIFY(tagged.lastUpdated > stored.at(0).lastUpdated);
        QCOMPARE(server.requestCount(u"tagged/Packages"_s), 2);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
