#include "model/defaultrepos.h"
#include "model/repostore.h"

#include "testsupport.h"

#include <QDir>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int status = -1;
    QString err;
};

// Runs vexlo-cli while this process keeps serving its test server.
Run runAdd(const QString &dataDir, const QStringList &addresses)
{
    QProcess p;
    // Standard error is compared line for line: keep a sanitizer's exit-time leak report of the
    // child out of it (leaks are checked by the in-process tests).
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"ASAN_OPTIONS"_s, u"detect_leaks=0"_s);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VEXLO_CLI), QStringList{u"--data-dir"_s, dataDir, u"add"_s} + addresses);
    Run r;
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 60'000)
        || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = p.exitCode();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QStringList storedUrls()
{
    QStringList urls;
    for (const Repo &repo : RepoStore::loadRepos().value_or(RepoList{}))
        urls << QString::fromStdString(repo.url);
    return urls;
}

Repo stored(const QString &url)
{
    Repo repo;
    repo.name = "Stored";
    repo.url = url.toStdString();
    repo.packagesURL = repo.url + "Packages";
    return repo;
}

} // namespace

class TestCliAdd : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addsToTheStoredList()
    {
        TempDataDir dir;
        TestServer server;
        server.serve(u"a/Packages"_s, "Package: one\n\nPackage: two\n\n");
        server.serve(u"b/Packages"_s, "Package: three\n\n");
        QVERIFY(RepoStore::saveRepos({stored(u"https://stored.example/"_s)}));

        // One argument may hold several addresses, as the sheet's text does.
        const Run run = runAdd(dir.path(), {server.url(u"a"_s) + u' ' + server.url(u"b/"_s)});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, u"تم إضافة السورسات بنجاح\n"_s);
        const RepoList repos = RepoStore::loadRepos().value_or(RepoList{});
        QCOMPARE(repos.size(), 3);
        QCOMPARE(repos.at(0).name, std::string("Stored"));
        QCOMPARE(repos.at(1).name, std::string("127.0.0.1"));
        QCOMPARE(repos.at(1).packages.size() + repos.at(2).packages.size(), 3);
    }

    void failuresAreReportedAndExitOne()
    {
        TempDataDir dir;
        TestServer server;
        server.serve(u"good/Packages"_s, "Package: one\n\n");
        QVERIFY(RepoStore::saveRepos({stored(server.url(u"old/"_s))}));
        const Run run = runAdd(dir.path(), {server.url(u"old"_s), server.url(u"good"_s), server.url(u"missing"_s)});
        QCOMPARE(run.status, 1);
        // The messages, in order; a diagnostic line of the runtime under a loaded machine is not one.
        QStringList messages = run.err.split(u'\n', Qt::SkipEmptyParts);
        messages.removeIf([](const QString &line) { return line.isEmpty() || line.at(0).script() != QChar::Script_Arabic; });
        QVERIFY2(!run.err.contains(u"Sanitizer"_s), qPrintable(run.err));
        if (messages.size() != 2)
            qWarning().noquote() << run.err;
        QCOMPARE(messages,
                 (QStringList{u"السورس موجود بالفعل: "_s + server.url(u"old/"_s),
                              u"فشل في جلب البيانات: "_s + server.url(u"missing/"_s)}));
        QCOMPARE(storedUrls(), (QStringList{server.url(u"old/"_s), server.url(u"good/"_s)}));
    }

    void withoutAStoredListTheDefaultsAreKept()
    {
        TempDataDir dir;
        TestServer server;
        server.serve(u"a/Packages"_s, "Package: one\n\n");
        const Run run = runAdd(dir.path(), {server.url(u"a"_s)});
        QCOMPARE(run.status, 0);
        const QStringList urls = storedUrls();
        QCOMPARE(urls.size(), defaultRepos().size() + 1);
        QCOMPARE(urls.last(), server.url(u"a/"_s));

        // An unreadable list: the defaults again, and the damaged document kept and named.
        QFile damaged(dir.path() + u"/savedRepos"_s);
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write("[{\"id\":");
        damaged.close();
        server.serve(u"b/Packages"_s, "Package: two\n\n");
        const Run again = runAdd(dir.path(), {server.url(u"b"_s)});
        QCOMPARE(again.status, 0);
        QCOMPARE(storedUrls().size(), 8);
        const QStringList aside = QDir(dir.path()).entryList({u"savedRepos.unreadable-*"_s}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QVERIFY2(again.err.contains(u"kept as "_s + QDir(dir.path()).filePath(aside.first())), qPrintable(again.err));
        QCOMPARE(TestData::readFile(QDir(dir.path()).filePath(aside.first())), "[{\"id\":"_ba);
    }

    void nothingToAddIsAUsageError()
    {
        TempDataDir dir;
        QCOMPARE(runAdd(dir.path(), {}).status, 2);
        QVERIFY(storedUrls().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliAdd)
#include "tst_cli_add.moc"
