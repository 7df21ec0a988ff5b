#include "model/asyncrepostore.h"
#include "model/defaultrepos.h"
#include "model/repojson.h"
#include "model/repostore.h"
#include "platform/userdefaults.h"

#include "buildconfig.h"
#include "testsupport.h"

#include <QDir>
#include <QSet>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <atomic>
#include <cmath>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

RepoList sampleList(int sources, int packagesEach)
{
    RepoList list(sources);
    for (int s = 0; s < sources; ++s) {
        Repo &r = list[s];
        r.name = "Source " + std::to_string(s);
        r.url = "https://s" + std::to_string(s) + ".example/";
        r.isUpdating = s == 0; // saved mid-refresh
        r.lastUpdated = 767'000'000.123456 + s;
        r.packages.resize(packagesEach);
        for (int i = 0; i < packagesEach; ++i) {
            Package &p = r.packages[i];
            p.name = "com.example.package" + std::to_string(i);
            p.description = "A package with a description long enough to live on the heap";
            p.ratings = i % 3 ? std::nullopt : std::optional<double>(i / 7.0);
        }
    }
    return list;
}

std::string text(const RepoList &list)
{
    std::string out;
    return RepoJson::writeRepos(list, out) ? out : std::string("unwritable");
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
    const std::string document = text(sampleList(4, 5'000));
    const auto say = [](const char *line) { std::fputs(line, stdout); std::fflush(stdout); };
    say("ready\n");
    for (;;) {
        say("writing\n");
        UserDefaults::set(QByteArrayView(document.data(), qsizetype(document.size())), QString::fromUtf16(RepoStore::key));
        say("written\n");
    }
}

} // namespace

class TestRepoStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultSources();
    void firstStartHasNothingStored();
    void unreadableDocumentIsKeptAsideBeforeItIsWrittenOver();
    void encodingFailureKeepsThePreviousDocument();
    void killedWhileSavingKeepsAReadableDocument();
    void asyncStoreKeepsOrderAndFinishesSaves();
};

// Without an own source the list is the public ones; with one, "Vexlo" comes first.
void TestRepoStore::defaultSources()
{
    for (const char *own : {"", "https://own.example/repo/"}) {
        const RepoList list = defaultRepos(own);
        QCOMPARE(list.size(), *own ? 7 : 6);
        QVERIFY(list.first().name == (*own ? "Vexlo" : "Chariz"));
        QVERIFY(list.first().url == (*own ? own : "https://repo.chariz.com/"));
        QSet<QUuid> ids;
        for (const Repo &r : list) {
            ids.insert(r.id);
            QCOMPARE(r.packagesURL, r.url + "Packages");
            QCOMPARE(r.imageURL, r.url + "CydiaIcon.png");
            QVERIFY(r.isPinned && r.isFixed && !r.isUpdating && r.packages.isEmpty());
            QVERIFY(std::abs(r.lastUpdated - ReferenceDate::now()) < 60);
        }
        QCOMPARE(ids.size(), list.size());
    }
    QCOMPARE(defaultRepos().size(), 6 + (*VEXLO_OWN_SOURCE_URL ? 1 : 0));
}

void TestRepoStore::firstStartHasNothingStored()
{
    TempDataDir dir;
    QVERIFY(!UserDefaults::data(u"someKey"_s));
    QVERIFY(UserDefaults::set("first", u"someKey"_s) && UserDefaults::set("second value", u"someKey"_s));
    const std::optional<QByteArray> bytes = UserDefaults::data(u"someKey"_s);
    QCOMPARE(bytes, std::optional<QByteArray>("second value"));
    // Room for the JSON reader's look-ahead, so the document is read in place.
    QVERIFY(QByteArray(*bytes).data_ptr().freeSpaceAtEnd() >= UserDefaults::readPadding);
    QVERIFY(UserDefaults::set({}, u"empty"_s));
    QCOMPARE(UserDefaults::data(u"empty"_s), std::optional<QByteArray>(QByteArray()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{u"empty"_s, u"someKey"_s}));

    // Written later, on a thread of their own: a read or a write of the key waits for them, the
    // last value asked for stays, and a failed write is tried again.
    std::atomic<bool> full = true;
    UserDefaults::setWriteHook([&full](const QString &key, qint64) -> std::optional<QString> {
        const bool refused = (key == u"later"_s || key == u"companion"_s) && full;
        return refused ? std::optional<QString>(u"No space left on device"_s) : std::nullopt;
    });
    // A companion store writes what changed, once, and keeps it changed while it is refused.
    bool changed = true;
    int encoded = 0;
    const auto encode = [&encoded] { ++encoded; return QByteArray("v"); };
    QVERIFY(!UserDefaults::setIfChanged(changed, u"companion"_s, encode) && changed);
    full = false;
    QVERIFY(UserDefaults::setIfChanged(changed, u"companion"_s, encode) && !changed);
    QVERIFY(UserDefaults::setIfChanged(changed, u"companion"_s, encode));
    QCOMPARE(encoded, 2);
    QVERIFY(QFile::remove(UserDefaults::filePath(u"companion"_s)));
    full = true;
    UserDefaults::setLater(u"later"_s, [] { return QByteArray("kept"); });
    QVERIFY(!UserDefaults::data(u"later"_s));
    full = false;
    UserDefaults::waitForWrites();
    QCOMPARE(UserDefaults::data(u"later"_s), std::optional<QByteArray>("kept"));
    for (const char *value : {"one", "two", "three"})
        UserDefaults::setLater(u"later"_s, [value] { return QByteArray(value); });
    QCOMPARE(UserDefaults::data(u"later"_s), std::optional<QByteArray>("three"));
    // A value waiting behind another key's write is waited for too.
    UserDefaults::setLater(u"slow"_s, [] { QThread::msleep(200); return QByteArray("slow"); });
    UserDefaults::setLater(u"later"_s, [] { return QByteArray("queued"); });
    QCOMPARE(UserDefaults::data(u"later"_s), std::optional<QByteArray>("queued"));
    UserDefaults::setLater(u"later"_s, [] { return QByteArray("older"); });
    QVERIFY(UserDefaults::set("newer", u"later"_s));
    UserDefaults::waitForWrites();
    QCOMPARE(UserDefaults::data(u"later"_s), std::optional<QByteArray>("newer"));
    UserDefaults::setWriteHook({});
    QVERIFY(QFile::remove(UserDefaults::filePath(u"later"_s)) && QFile::remove(UserDefaults::filePath(u"slow"_s)));

    QVERIFY(!RepoStore::loadRepos());
    QVERIFY(!QFile::exists(storeFile()));
    writeStoreFile("[]");
    QVERIFY(RepoStore::loadRepos() && RepoStore::loadRepos()->isEmpty());
    // An unreadable document is not "nothing stored", and reading it leaves it as it is.
    const QByteArray good = QByteArray::fromStdString(text(sampleList(2, 3)));
    for (const QByteArray &document : {QByteArray(good).replace(R"(,"updateProgress":0})", "}"), good.chopped(good.size() / 2)}) {
        writeStoreFile(document);
        QVERIFY(!RepoStore::loadRepos());
        QCOMPARE(TestData::readFile(storeFile()), document);
    }
}

void TestRepoStore::unreadableDocumentIsKeptAsideBeforeItIsWrittenOver()
{
    TempDataDir dir;
    const QDir folder(dir.path());
    const auto aside = [&folder] { return folder.entryList({u"savedRepos.unreadable-*"_s}, QDir::Files); };
    QStringList announced;
    RepoStore::setKeptAsideListener([&announced](const QString &path) { announced << path; });
    // The last one reads fine and is not kept.
    const QByteArray documents[] = {"[{\"id\": damaged"_ba, "[1]"_ba, "[]"_ba};
    for (const QByteArray &bytes : documents) {
        writeStoreFile(bytes);
        (void)RepoStore::loadRepos();
        (void)RepoStore::loadRepos(); // loaded again before the first write: one copy still
        QVERIFY(RepoStore::saveRepos(sampleList(2, 1)));
        QVERIFY(RepoStore::saveRepos(sampleList(3, 1))); // later writes keep nothing more
        QCOMPARE(RepoStore::loadRepos()->size(), 3);
    }
    RepoStore::setKeptAsideListener({});

    // Both kept, in the same second or not, neither overwriting the other.
    QSet<QByteArray> kept;
    for (const QString &name : aside()) {
        QVERIFY2(QRegularExpression(u"^savedRepos\\.unreadable-\\d{4}-\\d\\d-\\d\\d-\\d{6}(-\\d+)?$"_s).match(name).hasMatch(),
                 qPrintable(name));
        QVERIFY(announced.contains(folder.filePath(name)));
        kept << TestData::readFile(folder.filePath(name));
    }
    QCOMPARE(kept, (QSet<QByteArray>{documents[0], documents[1]}));
    QCOMPARE(announced.size(), 2);

    // Replaced by someone else after the failed read: that document is not kept.
    writeStoreFile("garbage");
    QVERIFY(!RepoStore::loadRepos());
    QFile::remove(storeFile());
    writeStoreFile("[]");
    QVERIFY(RepoStore::saveRepos(sampleList(1, 1)));
    QCOMPARE(aside().size(), 2);
}

// Also when the bad value comes after megabytes already written out.
void TestRepoStore::encodingFailureKeepsThePreviousDocument()
{
    TempDataDir dir;
    for (const int packages : {2, 20'000}) {
        RepoList list = sampleList(2, packages);
        QVERIFY(RepoStore::saveRepos(list));
        const QByteArray before = TestData::readFile(storeFile());
        QVERIFY(before.size() > packages * 100);
        list[1].packages.last().ratings = std::nan("");
        QString reason;
        std::string buffer;
        QVERIFY(!RepoStore::saveRepos(list, buffer, &reason));
        QCOMPARE(reason, u"the list cannot be written as JSON"_s);
        QCOMPARE(TestData::readFile(storeFile()), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"savedRepos"_s});
    }
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

    // The next start's load removes what interrupted writes left, and nothing else.
    for (const QString &name : {u"savedRepos.saving-Ab12Cd"_s, u"savedRepos.x9Y8z7"_s, u"savedRepos.unreadable-1"_s,
                                u"otherKey.saving-Ab12Cd"_s}) {
        QFile leftover(QDir(dir.path()).filePath(name));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("left over");
    }
    QVERIFY(RepoStore::loadRepos());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{u"otherKey.saving-Ab12Cd"_s, u"savedRepos"_s, u"savedRepos.unreadable-1"_s}));
}

// Loads and saves happen in the order asked, answered on the main thread; saves still
// pending when the store goes are finished, and a fresh read gets the list back unchanged.
void TestRepoStore::asyncStoreKeepsOrderAndFinishesSaves()
{
    TempDataDir dir;
    const RepoList a = sampleList(1, 5'000);
    const RepoList b = sampleList(3, 2'000);
    QList<qsizetype> seen;
    const auto record = [&seen](std::optional<RepoList> list) {
        QCOMPARE(QThread::currentThread(), QCoreApplication::instance()->thread());
        seen.append(list ? list->size() : -1);
    };
    {
        AsyncRepoStore store;
        store.load(this, record); // before any save: nothing stored
        store.save(a);
        store.load(this, record);
        store.save(a);
        store.save(b);
        store.load(this, record);
        store.save(a);
        QTRY_COMPARE(seen.size(), 3);
        QCOMPARE(seen, (QList<qsizetype>{-1, 1, 3}));
        store.waitForIdle();
        QCOMPARE(RepoStore::loadRepos()->size(), 1);
        // A load whose context is gone calls nothing.
        bool called = false;
        auto *context = new QObject;
        store.load(context, [&called](std::optional<RepoList>) { called = true; });
        delete context;
        store.save(sampleList(1, 1));
        store.save(b);
        store.load(this, record);
        QTRY_COMPARE(seen.size(), 4);
        QVERIFY(!called);
        store.save(a);
        store.save(b);
    }
    const std::optional<RepoList> back = RepoStore::loadRepos();
    QVERIFY(back);
    QCOMPARE(text(*back), text(b));
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
