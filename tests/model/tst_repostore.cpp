#include "model/asyncrepostore.h"
#include "model/defaultrepos.h"
#include "model/repojson.h"
#include "model/repostore.h"
#include "platform/userdefaults.h"

#include "buildconfig.h"
#include "recordcompare.h"
#include "testsupport.h"

#include <QDir>
#include <QSet>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <cmath>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

RepoList sampleList(int sources, int packagesEach)
{
    RepoList list;
    for (int s = 0; s < sources; ++s) {
        Repo r;
        r.name = "Source " + std::to_string(s);
        r.url = "https://s" + std::to_string(s) + ".example/";
        r.imageURL = r.url + "CydiaIcon.png";
        r.packagesURL = r.url + "Packages";
        r.isPinned = s % 2;
        r.isUpdating = s == 0;
        r.updateProgress = s == 0 ? 0.0 : 1.0;
        r.lastUpdated = 767'000'000.123456 + s;
        if (s == 1)
            r.developer = "someone";
        for (int i = 0; i < packagesEach; ++i) {
            Package p;
            p.name = "com.example.package" + std::to_string(i);
            p.description = "A package with a description long enough to live on the heap";
            p.version = "1." + std::to_string(i);
            p.downloadURL = r.url + "debs/" + p.name + ".deb";
            p.architecture = "iphoneos-arm64";
            if (i % 3 == 0)
                p.ratings = i / 7.0;
            p.fileSize = 1000 + i;
            r.packages.append(std::move(p));
        }
        list.append(std::move(r));
    }
    return list;
}

QString storeFile()
{
    return UserDefaults::filePath(QString::fromUtf16(RepoStore::key));
}

void writeStoreFile(const QByteArray &bytes)
{
    QFile f(storeFile());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Child process: replaces the stored document with a large one, over and over, until killed.
int writeForever(const char *dataDir)
{
    qputenv("VEXLO_DATA_DIR", dataDir);
    std::string text;
    if (!RepoJson::writeRepos(sampleList(4, 5'000), text))
        return 1;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (;;) {
        std::fputs("writing\n", stdout);
        std::fflush(stdout);
        UserDefaults::set(QByteArrayView(text.data(), qsizetype(text.size())), QString::fromUtf16(RepoStore::key));
        std::fputs("written\n", stdout);
        std::fflush(stdout);
    }
}

} // namespace

class TestRepoStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultSources();
    void userDefaults();
    void firstStartHasNothingStored();
    void unreadableDocumentIsLeftUntouched_data();
    void unreadableDocumentIsLeftUntouched();
    void unreadableDocumentIsKeptAsideBeforeItIsWrittenOver();
    void saveAndLoadGiveTheSameList();
    void encodingFailureKeepsThePreviousDocument();
    void killedWhileSavingKeepsAReadableDocument();
    void asyncStoreKeepsOrder();
    void asyncStoreFinishesPendingSaves();
    void asyncLoadSkipsDestroyedContext();
};

// Without an own source the list is the public ones; with one, "Vexlo" comes first.
void TestRepoStore::defaultSources()
{
    const QStringList publicSources{u"Chariz https://repo.chariz.com/"_s, u"Havoc https://havoc.app/"_s,
                                    u"Sileo https://repo.getsileo.app/"_s, u"opa334 https://opa334.github.io/"_s,
                                    u"Zebra https://getzbra.com/repo/"_s, u"PoomSmart https://poomsmart.github.io/repo/"_s};
    for (const char *own : {"", "https://own.example/repo/"}) {
        const RepoList list = defaultRepos(own);
        QStringList names;
        QSet<QUuid> ids;
        for (const Repo &r : list) {
            names << QString::fromStdString(r.name + ' ' + r.url);
            ids.insert(r.id);
            QCOMPARE(r.packagesURL, r.url + "Packages");
            QCOMPARE(r.imageURL, r.url + "CydiaIcon.png");
            QVERIFY(r.isPinned && r.isFixed && !r.isUpdating && r.packages.isEmpty());
            QVERIFY(std::abs(r.lastUpdated - ReferenceDate::now()) < 60);
        }
        QCOMPARE(names, *own ? QStringList{u"Vexlo "_s + QLatin1StringView(own)} + publicSources : publicSources);
        QCOMPARE(ids.size(), list.size());
    }
    QCOMPARE(defaultRepos().size(), 6 + (*VEXLO_OWN_SOURCE_URL ? 1 : 0));
}

void TestRepoStore::userDefaults()
{
    TempDataDir dir;
    QVERIFY(!UserDefaults::data(u"someKey"_s));
    QVERIFY(UserDefaults::set("first", u"someKey"_s));
    QVERIFY(UserDefaults::set("second value", u"someKey"_s));
    const std::optional<QByteArray> bytes = UserDefaults::data(u"someKey"_s);
    QCOMPARE(bytes, std::optional<QByteArray>("second value"));
    // Room for the JSON reader's look-ahead, so the document is read in place.
    QVERIFY(QByteArray(*bytes).data_ptr().freeSpaceAtEnd() >= UserDefaults::readPadding);
    QVERIFY(UserDefaults::set({}, u"empty"_s));
    QCOMPARE(UserDefaults::data(u"empty"_s), std::optional<QByteArray>(QByteArray()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{u"empty"_s, u"someKey"_s}));
}

void TestRepoStore::firstStartHasNothingStored()
{
    TempDataDir dir;
    QVERIFY(!RepoStore::loadRepos());
    QVERIFY(!QFile::exists(storeFile()));
    // A stored empty list stays empty.
    writeStoreFile("[]");
    QVERIFY(RepoStore::loadRepos() && RepoStore::loadRepos()->isEmpty());
}

void TestRepoStore::unreadableDocumentIsLeftUntouched_data()
{
    QTest::addColumn<QByteArray>("document");
    std::string text;
    QVERIFY(RepoJson::writeRepos(sampleList(2, 3), text));
    const QByteArray good = QByteArray::fromStdString(text);
    QTest::newRow("a source without updateProgress")
        << QByteArray(good).replace(R"(,"updateProgress":1})", "}");
    QTest::newRow("cut short") << good.left(good.size() / 2);
}

void TestRepoStore::unreadableDocumentIsLeftUntouched()
{
    QFETCH(QByteArray, document);
    TempDataDir dir;
    writeStoreFile(document);
    QVERIFY(!RepoStore::loadRepos());
    QCOMPARE(TestData::readFile(storeFile()), document);
}

void TestRepoStore::unreadableDocumentIsKeptAsideBeforeItIsWrittenOver()
{
    TempDataDir dir;
    const QDir folder(dir.path());
    const QStringList asideFilter{u"savedRepos.unreadable-*"_s};

    // Read fine: nothing is kept.
    QVERIFY(RepoStore::saveRepos(sampleList(1, 1)));
    QVERIFY(RepoStore::loadRepos());
    QVERIFY(RepoStore::saveRepos(sampleList(1, 2)));
    QVERIFY(folder.entryList(asideFilter, QDir::Files).isEmpty());

    QStringList announced;
    RepoStore::setKeptAsideListener([&announced](const QString &path) { announced << path; });
    const QByteArray damaged[] = {"[{\"id\": damaged"_ba, "[1]"_ba};
    for (const QByteArray &bytes : damaged) {
        writeStoreFile(bytes);
        QVERIFY(!RepoStore::loadRepos());
        QVERIFY(!RepoStore::loadRepos()); // loaded again before the first write: one copy still
        QVERIFY(RepoStore::saveRepos(sampleList(2, 1)));
        QVERIFY(RepoStore::saveRepos(sampleList(3, 1))); // later writes keep nothing more
        QCOMPARE(RepoStore::loadRepos()->size(), 3);
    }
    RepoStore::setKeptAsideListener({});

    // Both kept, in the same second or not, neither overwriting the other.
    const QStringList aside = folder.entryList(asideFilter, QDir::Files, QDir::Name);
    QCOMPARE(aside.size(), 2);
    QCOMPARE(announced.size(), 2);
    QSet<QByteArray> kept;
    for (const QString &name : aside) {
        QVERIFY2(QRegularExpression(u"^savedRepos\\.unreadable-\\d{4}-\\d\\d-\\d\\d-\\d{6}(-\\d+)?$"_s).match(name).hasMatch(),
                 qPrintable(name));
        QVERIFY(announced.contains(folder.filePath(name)));
        kept << TestData::readFile(folder.filePath(name));
    }
    QCOMPARE(kept, (QSet<QByteArray>{damaged[0], damaged[1]}));

    // Replaced by someone else after the failed read: that document is not kept.
    writeStoreFile("garbage");
    QVERIFY(!RepoStore::loadRepos());
    QFile::remove(storeFile());
    writeStoreFile("[]");
    QVERIFY(RepoStore::saveRepos(sampleList(1, 1)));
    QCOMPARE(folder.entryList(asideFilter, QDir::Files).size(), 2);
}

void TestRepoStore::saveAndLoadGiveTheSameList()
{
    TempDataDir dir;
    const RepoList list = sampleList(3, 50);
    QVERIFY(RepoStore::saveRepos(list));
    const std::optional<RepoList> back = RepoStore::loadRepos();
    QVERIFY(back);
    RecordCompare::verifySame(list, *back);
    QVERIFY(back->first().isUpdating); // saved mid-refresh, loaded so
}

void TestRepoStore::encodingFailureKeepsThePreviousDocument()
{
    TempDataDir dir;
    RepoList list = sampleList(2, 2);
    QVERIFY(RepoStore::saveRepos(list));
    const QByteArray before = TestData::readFile(storeFile());
    list[1].packages[1].ratings = std::nan("");
    QVERIFY(!RepoStore::saveRepos(list));
    QCOMPARE(TestData::readFile(storeFile()), before);
}

void TestRepoStore::killedWhileSavingKeepsAReadableDocument()
{
    TempDataDir dir;
    const RepoList previous = sampleList(2, 10);
    QVERIFY(RepoStore::saveRepos(previous));
    bool interrupted = false;
    for (int attempt = 0; attempt < 3; ++attempt) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {u"--write-forever"_s, dir.path()});
        QVERIFY(child.waitForReadyRead(60'000));
        QCOMPARE(child.readLine(), "ready\n"_ba);
        QTest::qWait(20 + 30 * attempt);
        child.kill();
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        interrupted |= child.readAllStandardOutput().endsWith("writing\n");
        const std::optional<RepoList> list = RepoStore::loadRepos();
        QVERIFY(list);
        QVERIFY(list->size() == previous.size() || list->size() == 4);
    }
    QVERIFY(interrupted);

    // The next write removes what interrupted writes left, and nothing else.
    for (const QString &name : {u"savedRepos.saving-Ab12Cd"_s, u"savedRepos.x9Y8z7"_s, u"savedRepos.unreadable-1"_s,
                                u"otherKey.saving-Ab12Cd"_s}) {
        QFile leftover(QDir(dir.path()).filePath(name));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("left over");
    }
    QVERIFY(RepoStore::saveRepos(previous));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{u"otherKey.saving-Ab12Cd"_s, u"savedRepos"_s, u"savedRepos.unreadable-1"_s}));
}

void TestRepoStore::asyncStoreKeepsOrder()
{
    TempDataDir dir;
    AsyncRepoStore store;
    const RepoList a = sampleList(1, 5'000);
    const RepoList b = sampleList(2, 10);
    QList<qsizetype> seen;
    const auto record = [&seen](std::optional<RepoList> list) {
        QCOMPARE(QThread::currentThread(), QCoreApplication::instance()->thread());
        seen.append(list ? list->size() : -1);
    };
    store.load(this, record); // before any save: nothing stored
    store.save(a);
    store.load(this, record);
    store.save(a);
    store.save(b);
    store.load(this, record);
    store.save(a);
    QTRY_COMPARE(seen.size(), 3);
    QCOMPARE(seen, (QList<qsizetype>{-1, 1, 2}));
    store.waitForIdle();
    QCOMPARE(RepoStore::loadRepos()->size(), 1);
}

void TestRepoStore::asyncStoreFinishesPendingSaves()
{
    TempDataDir dir;
    const RepoList list = sampleList(3, 2'000);
    {
        AsyncRepoStore store;
        store.save(sampleList(1, 1));
        store.save(list);
    }
    const std::optional<RepoList> back = RepoStore::loadRepos();
    QVERIFY(back);
    RecordCompare::verifySame(list, *back);

    AsyncRepoStore store;
    store.save(sampleList(2, 1));
    store.waitForIdle();
    QCOMPARE(RepoStore::loadRepos()->size(), 2);
}

void TestRepoStore::asyncLoadSkipsDestroyedContext()
{
    TempDataDir dir;
    QVERIFY(RepoStore::saveRepos(sampleList(2, 5'000)));
    AsyncRepoStore store;
    bool called = false;
    auto *context = new QObject;
    store.load(context, [&called](std::optional<RepoList>) { called = true; });
    delete context;
    store.waitForIdle();
    bool after = false;
    store.load(this, [&after](std::optional<RepoList>) { after = true; });
    QTRY_VERIFY(after);
    QVERIFY(!called);
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--write-forever") == 0)
        return writeForever(argv[2]);
    QCoreApplication app(argc, argv);
    TestRepoStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_repostore.moc"
