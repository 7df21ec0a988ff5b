#include "model/repostore.h"

#include "testsupport.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

Repo served(const TestServer &server, const char *name)
{
    Repo repo;
    repo.name = name;
    repo.url = server.url(QString::fromLatin1(name) + u'/').toStdString();
    repo.packagesURL = repo.url + "Packages";
    repo.lastUpdated = 1000.0;
    return repo;
}

} // namespace

class TestCliRefresh : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void refreshesEverySourceAndReportsFailures()
    {
        TempDataDir dir;
        TestServer server;
        server.setHolding(true);
        server.serve(u"good/Packages"_s, "Package: one\n\nPackage: two\n\n");
        server.serve(u"broken/Packages"_s, "Package: caf\xe9\n\n");
        Repo broken = served(server, "broken");
        Package kept;
        kept.name = "kept";
        broken.packages = {kept};
        broken.updateProgress = 0.5; // left by an earlier run; a refresh starts from 0.0
        QVERIFY(RepoStore::saveRepos({served(server, "good"), broken}));

        // The server answers from this process, so the child is waited for with events.
        QProcess p;
        p.start(QStringLiteral(VEXLO_CLI), {u"--data-dir"_s, dir.path(), u"refresh"_s});
        QVERIFY(server.waitForRequests(2, 30'000));
        // A result is stored as soon as it is applied, while another source still runs.
        server.releaseOne(u"good/Packages"_s);
        QVERIFY(QTest::qWaitFor([] {
            const RepoList now = RepoStore::loadRepos().value_or(RepoList{});
            return now.size() == 2 && now.at(0).packages.size() == 2;
        }, 30'000));
        QCOMPARE(p.state(), QProcess::Running);
        const Repo pending = RepoStore::loadRepos().value_or(RepoList{}).at(1);
        QVERIFY(pending.isUpdating);
        QCOMPARE(pending.updateProgress, 0.0);
        server.releaseOne(u"broken/Packages"_s);
        QVERIFY(QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 60'000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), u"فشل في تحديث السورس: broken\n"_s);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(u"فشل في جلب الحزم من السورس: broken"_s));

        const RepoList stored = RepoStore::loadRepos().value_or(RepoList{});
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored.at(0).packages.size(), 2);
        QCOMPARE(stored.at(0).updateProgress, 1.0);
        QVERIFY(stored.at(0).lastUpdated > 1000.0);
        // A failed source keeps what it had.
        QCOMPARE(stored.at(1).packages.size(), 1);
        QCOMPARE(stored.at(1).lastUpdated, 1000.0);
        QVERIFY(!stored.at(1).isUpdating);
    }
};

QTEST_GUILESS_MAIN(TestCliRefresh)
#include "tst_cli_refresh.moc"
