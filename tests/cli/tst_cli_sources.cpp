#include "model/defaultrepos.h"
#include "model/repostore.h"
#include "platform/userdefaults.h"

#include "buildconfig.h"
#include "testsupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run runSources(const QString &dataDir, const QStringList &args = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TZ"_s, u"UTC"_s);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VEXLO_CLI), QStringList{u"--data-dir"_s, dataDir, u"sources"_s} + args);
    Run r;
    if (!p.waitForFinished(60'000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QList<QByteArrayList> rows(const QByteArray &out)
{
    QList<QByteArrayList> result;
    for (const QByteArray &line : out.split('\n')) {
        if (!line.isEmpty())
            result.append(line.split('\t'));
    }
    return result;
}

QString storeFile()
{
    return UserDefaults::filePath(QString::fromUtf16(RepoStore::key));
}

} // namespace

class TestCliSources : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultsWhenNothingIsStored();
    void defaultsWhenTheDocumentIsUnreadable();
    void storedList();
    void unknownOptionIsAUsageError();
};

void TestCliSources::defaultsWhenNothingIsStored()
{
    TempDataDir dir;
    const Run run = runSources(dir.path());
    QCOMPARE(run.status, 0);
    const QList<QByteArrayList> lines = rows(run.out);
    QCOMPARE(lines.size(), defaultRepos().size());
    const Repo first = defaultRepos().constFirst();
    QCOMPARE(lines.first(), (QByteArrayList{first.name.c_str(), first.url.c_str(), "0", lines.first().value(3)}));
    QCOMPARE(lines.last().mid(0, 3), (QByteArrayList{"PoomSmart", "https://poomsmart.github.io/repo/", "0"}));
    static const QRegularExpression dateTime(u"^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"_s);
    QVERIFY2(dateTime.match(QString::fromUtf8(lines.first().value(3))).hasMatch(), lines.first().value(3));
    // Listing writes nothing.
    QVERIFY(!QFile::exists(storeFile()));
}

void TestCliSources::defaultsWhenTheDocumentIsUnreadable()
{
    TempDataDir dir;
    QVERIFY(UserDefaults::set(R"([{"name":"broken"}])", QString::fromUtf16(RepoStore::key)));
    const Run run = runSources(dir.path());
    QCOMPARE(run.status, 0);
    QCOMPARE(rows(run.out).size(), defaultRepos().size());
    QCOMPARE(TestData::readFile(storeFile()), R"([{"name":"broken"}])"_ba);
}

void TestCliSources::storedList()
{
    TempDataDir dir;
    Repo a;
    a.name = "مصدر";
    a.url = "https://a.example/";
    a.imageURL = a.url + "CydiaIcon.png";
    a.packagesURL = a.url + "Packages";
    a.lastUpdated = 767'000'000.25; // 2025-04-22 07:33:20.25 UTC
    a.packages.resize(3);
    Repo b = a;
    b.id = makeUuid();
    b.name = "B";
    b.packages.clear();
    QVERIFY(RepoStore::saveRepos({a, b}));

    const Run run = runSources(dir.path());
    QCOMPARE(run.status, 0);
    QCOMPARE(rows(run.out), (QList<QByteArrayList>{{"مصدر", "https://a.example/", "3", "2025-04-22 07:33:20"},
                                                   {"B", "https://a.example/", "0", "2025-04-22 07:33:20"}}));

    const Run json = runSources(dir.path(), {u"--json"_s});
    QCOMPARE(json.status, 0);
    QCOMPARE(json.out, TestData::readFile(storeFile()) + '\n');
}

void TestCliSources::unknownOptionIsAUsageError()
{
    TempDataDir dir;
    const Run run = runSources(dir.path(), {u"--xml"_s});
    QCOMPARE(run.status, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY(run.err.contains("--xml"));
}

QTEST_GUILESS_MAIN(TestCliSources)
#include "tst_cli_sources.moc"
