#include "model/repojson.h"
#include "model/repostore.h"

#include "testsupport.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
};

Run runPackages(const QString &dataDir, const QStringList &args = {})
{
    QProcess p;
    p.start(QStringLiteral(VEXLO_CLI), QStringList{u"--data-dir"_s, dataDir, u"packages"_s} + args);
    Run r;
    if (!p.waitForFinished(60'000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = p.exitCode();
    r.out = p.readAllStandardOutput();
    return r;
}

// The first column (names) of the plain output.
QByteArrayList names(const QByteArray &out)
{
    QByteArrayList result;
    for (const QByteArray &line : out.split('\n')) {
        if (!line.isEmpty())
            result.append(line.split('\t').first());
    }
    return result;
}

Package make(const char *name, const char *description, const char *architecture, qint64 size = 0,
             const char *section = nullptr)
{
    Package p;
    if (section)
        p.extras.set(Extra::Section, section);
    p.name = name;
    p.description = description;
    p.version = "1.0";
    p.architecture = architecture;
    p.fileSize = size;
    return p;
}

Repo repoOf(const char *name, PackageList packages)
{
    Repo repo;
    repo.name = name;
    repo.url = std::string("https://") + name + ".example/";
    repo.packagesURL = repo.url + "Packages";
    repo.packages = std::move(packages);
    return repo;
}

} // namespace

class TestCliPackages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<TempDataDir>();
        QVERIFY(RepoStore::saveRepos({
            repoOf("First", {make("com.tool.alpha", "A TWEAK", "iphoneos-arm64", 1536, "Tweaks"),
                             make("beta", "no", "iphoneos-arm", 0, "Utilities")}),
            repoOf("مصدر", {make("gamma", "tweak of mine", "iphoneos-arm64e", 0, "Tweaks"), make("Tweaked", "", "arm64")}),
        }));
    }
    void cleanup() { m_dir.reset(); }

    void listsEveryPackageAsLines()
    {
        const Run run = runPackages(m_dir->path());
        QCOMPARE(run.status, 0);
        const QByteArrayList lines = run.out.split('\n');
        QCOMPARE(lines.size(), 5); // four and the final line feed
        QCOMPARE(lines.first(), "com.tool.alpha\t1.0\tarm64\t1.5 ك.ب\tFirst"_ba);
        QCOMPARE(lines.at(2), "gamma\t1.0\tarm64e\t0.0 بايت\tمصدر"_ba);
    }

    void filtersAsTheScreensDo()
    {
        // Across sources: names and descriptions, any letter case.
        QCOMPARE(names(runPackages(m_dir->path(), {u"--search"_s, u"tweak"_s}).out),
                 (QByteArrayList{"com.tool.alpha", "gamma", "Tweaked"}));
        // In one source: names only.
        QCOMPARE(names(runPackages(m_dir->path(), {u"--source"_s, u"مصدر"_s, u"--search"_s, u"tweak"_s}).out),
                 QByteArrayList{"Tweaked"});
        // The simplified architecture, exactly.
        QCOMPARE(names(runPackages(m_dir->path(), {u"--arch"_s, u"arm64"_s}).out),
                 (QByteArrayList{"com.tool.alpha", "Tweaked"}));
        QCOMPARE(names(runPackages(m_dir->path(), {u"--source"_s, u"First"_s, u"--arch"_s, u"arm"_s}).out),
                 QByteArrayList{"beta"});
        // The section, exactly, combined with the others.
        QCOMPARE(names(runPackages(m_dir->path(), {u"--search"_s, u"tweak"_s, u"--section"_s, u"Tweaks"_s}).out),
                 (QByteArrayList{"com.tool.alpha", "gamma"}));
        QCOMPARE(names(runPackages(m_dir->path(), {u"--section"_s, u"Tweaks"_s, u"--arch"_s, u"arm64e"_s}).out),
                 QByteArrayList{"gamma"});
        QCOMPARE(runPackages(m_dir->path(), {u"--section"_s, u"tweaks"_s}).out, QByteArray());
    }

    void jsonIsTheRecordForm()
    {
        const Run run = runPackages(m_dir->path(), {u"--search"_s, u"M"_s, u"--json"_s});
        QCOMPARE(run.status, 0);
        const std::optional<PackageList> read = RepoJson::readPackages(run.out.trimmed());
        QVERIFY(read);
        const RepoList stored = RepoStore::loadRepos().value_or(RepoList{});
        QCOMPARE(read->size(), 2);
        QCOMPARE(read->at(0).id, stored.at(0).packages.at(0).id);
        QCOMPARE(read->at(1).name, std::string("gamma"));
        QCOMPARE(read->at(1).section(), std::optional<std::string_view>("Tweaks"));
        QVERIFY(run.out.contains(R"("fileSize":1536,"section":"Tweaks"})"));
        QCOMPARE(runPackages(m_dir->path(), {u"--search"_s, u"zzz"_s, u"--json"_s}).out, "[]\n"_ba);
    }

    void badArgumentsAndUnknownSources()
    {
        QCOMPARE(runPackages(m_dir->path(), {u"--source"_s, u"Nope"_s}).status, 1);
        QCOMPARE(runPackages(m_dir->path(), {u"--search"_s}).status, 2);
        QCOMPARE(runPackages(m_dir->path(), {u"--xml"_s}).status, 2);
    }

private:
    std::unique_ptr<TempDataDir> m_dir;
};

QTEST_GUILESS_MAIN(TestCliPackages)
#include "tst_cli_packages.moc"
