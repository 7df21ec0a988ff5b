#include "sources/reporefresher.h"

#include "testsupport.h"

#include <QSignalSpy>
#include <QTest>

#include <map>
#include <string>

using namespace Qt::StringLiterals;

class TestRepoRefresher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Parsed lists reach the release function as the only reference left, unless a slot kept
    // one: so where that function drops them is where they are freed.
    void releasedListsHoldTheLastReference()
    {
        TestServer server;
        RepoList repos;
        for (const char *name : {"kept", "dropped"}) {
            server.serve(QString::fromLatin1(name) + u"/Packages"_s, "Package: " + QByteArray(name) + "\n\n");
            Repo repo;
            repo.url = server.url(QString::fromLatin1(name) + u'/').toStdString();
            repo.packagesURL = repo.url + "Packages";
            repos.append(repo);
        }
        RepoRefresher refresher;
        PackageList kept;
        connect(&refresher, &RepoRefresher::succeeded, this, [&](const QUuid &id, const PackageList &packages) {
            if (id == repos.at(0).id)
                kept = packages;
        });
        std::map<std::string, bool> onlyReference;
        refresher.setRelease([&](PackageList packages) {
            QCOMPARE(packages.size(), 1);
            onlyReference[packages.at(0).name] = packages.isDetached();
        });
        QSignalSpy idle(&refresher, &RepoRefresher::idle);
        refresher.refresh(repos);
        QVERIFY(idle.wait(10'000));
        QCOMPARE(onlyReference.size(), std::size_t(2));
        QVERIFY(onlyReference.at("dropped"));
        QVERIFY(!onlyReference.at("kept"));
        QCOMPARE(kept.at(0).name, std::string("kept"));
    }
};

QTEST_GUILESS_MAIN(TestRepoRefresher)
#include "tst_reporefresher.moc"
