// The main screen's responsiveness with a large catalogue, and the parallel refresh.
//
//   bench_mainscreen stall STORE_JSON DEBIAN_INDEX CORPUS_REPOS [REPS]
//     The store holds the document STORE_JSON (100,000 packages in 10 sources); its first
//     source is served Debian's whole index, the others real indexes of the corpus. Per rep:
//     the screen reappears (reload of the store), a pin is toggled (a save), and a refresh
//     of all sources is applied and stored. For each: the longest main-thread stall from the
//     call until the store's background work has finished, and the section models' signals.
//
//   With BENCH_MAIN_RT=1 the main thread runs under real-time scheduling, so that other
//   processes on a busy machine cannot delay it: its stalls are then its own work and its own
//   waits. Threads started later do not inherit it: a pool thread decoding an index at the same
//   real-time priority would hold a core until it is done, and the main thread would wait.
//
//   bench_mainscreen refresh DEBIAN_INDEX CORPUS_REPOS [REPS]
//     50 sources, one Debian's whole index and 49 corpus indexes under their own paths: the
//     time of refreshing all at once against each alone (slowest, sum), and the same refresh
//     through the main screen (results applied and stored) with its longest stall.
//
//   bench_mainscreen picture ICON_PNG [REPS]
//     A source icon is downloaded, shown and saved by the picture cache: the longest stall
//     from the download's start until its file is written, against the time the save takes
//     when done on the calling thread.
//
// Prints one line of key=value figures per rep; bench/mainscreen/run summarises them.
#include "benchsupport.h"

#include "imagecache/imageloader.h"
#include "imagecache/localimage.h"
#include "model/asyncrepostore.h"
#include "model/repojson.h"
#include "model/repostore.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "sources/reporefresher.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <numeric>
#include <pthread.h>
#include <sched.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(2);
    }
    return file.readAll();
}

// The corpus indexes, in a fixed order.
QList<QByteArray> corpusIndexes(const QString &reposDir)
{
    QList<QByteArray> indexes;
    const QDir dir(reposDir);
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (QFile::exists(dir.filePath(name + u"/Packages"_s)))
            indexes.append(readAll(dir.filePath(name + u"/Packages"_s)));
    }
    if (indexes.isEmpty()) {
        std::fprintf(stderr, "no indexes in %s\n", qPrintable(reposDir));
        std::exit(2);
    }
    return indexes;
}

// Points a source at an index path of the server.
void pointAt(Repo &repo, const ServerThread &server, const QString &dir)
{
    repo.url = server.url(dir + u'/').toStdString();
    repo.packagesURL = repo.url + "Packages";
    repo.imageURL = repo.url + "CydiaIcon.png";
}

qsizetype packageCount(const RepoList &repos)
{
    return std::accumulate(repos.cbegin(), repos.cend(), qsizetype(0),
                           [](qsizetype n, const Repo &r) { return n + r.packages.size(); });
}

bool noneUpdating(const RepoList &repos)
{
    return std::none_of(repos.cbegin(), repos.cend(), [](const Repo &r) { return r.isUpdating; });
}

void maybeRealTime()
{
    if (!qEnvironmentVariableIsSet("BENCH_MAIN_RT"))
        return;
    sched_param param{};
    param.sched_priority = 1;
    if (const int error = pthread_setschedparam(pthread_self(), SCHED_FIFO | SCHED_RESET_ON_FORK, &param))
        std::fprintf(stderr, "real-time scheduling refused (%d)\n", error);
}

struct Figure
{
    double stallMs = 0;    // the longest gap of the main thread
    double stallCpuMs = 0; // the most processor time the main thread used within one gap
    double doneMs = 0;   // until the operation's own effect is complete on the screen
    double storedMs = 0; // until the store's background work has finished too
    long waits = 0;
    long preemptions = 0;
    int signalCount = 0;
    int rowsRead = 0;
};

// Runs `op` from the event loop while the stall meter runs, until `done` holds and the store
// is idle, then a little longer for anything the store posted back.
Figure measure(StallMeter &meter, QList<SectionReader *> readers, const std::function<void()> &op,
               const std::function<bool()> &done)
{
    for (SectionReader *r : readers)
        r->signalCount = r->rowsRead = 0;
    Figure f;
    QElapsedTimer clock;
    bool started = false;
    meter.start();
    QTimer::singleShot(0, [&] {
        clock.start();
        op();
        started = true;
    });
    if (!spinUntil([&] { return started && done(); })) {
        std::fprintf(stderr, "operation did not finish\n");
        std::exit(3);
    }
    f.doneMs = double(clock.nsecsElapsed()) / 1e6;
    spinUntilStoreIdle();
    f.storedMs = double(clock.nsecsElapsed()) / 1e6;
    QElapsedTimer tail;
    tail.start();
    spinUntil([&] { return tail.elapsed() >= 20; });
    const StallMeter::Stall stall = meter.stop();
    f.stallMs = stall.wallMs;
    f.stallCpuMs = stall.cpuMs;
    f.waits = stall.waits;
    f.preemptions = stall.preemptions;
    for (SectionReader *r : readers) {
        f.signalCount += r->signalCount;
        f.rowsRead += r->rowsRead;
    }
    return f;
}

void print(const char *op, int rep, const Figure &f, qsizetype packagesBefore, qsizetype packagesAfter)
{
    std::printf("stall op=%s rep=%d stall_ms=%.3f stall_cpu_ms=%.3f waits=%ld preempted=%ld done_ms=%.3f stored_ms=%.3f signals=%d rows_read=%d "
                "packages_before=%lld packages_after=%lld\n",
                op, rep, f.stallMs, f.stallCpuMs, f.waits, f.preemptions, f.doneMs, f.storedMs, f.signalCount, f.rowsRead,
                static_cast<long long>(packagesBefore), static_cast<long long>(packagesAfter));
    std::fflush(stdout);
}

int stall(const QString &storeJson, const QString &debianIndex, const QString &corpusDir, int reps)
{
    ServerThread server;
    server.serve(u"debian/Packages"_s, readAll(debianIndex));
    const QList<QByteArray> corpus = corpusIndexes(corpusDir);
    for (qsizetype i = 0; i < corpus.size(); ++i)
        server.serve(u"c%1/Packages"_s.arg(i), corpus.at(i));

    std::optional<RepoList> original = RepoJson::readRepos(readAll(storeJson));
    if (!original) {
        std::fprintf(stderr, "cannot read the store document %s\n", qPrintable(storeJson));
        return 2;
    }
    for (qsizetype k = 0; k < original->size(); ++k)
        pointAt((*original)[k], server, k == 0 ? u"debian"_s : u"c%1"_s.arg((k - 1) % corpus.size()));
    const qsizetype stored = packageCount(*original);
    if (!RepoStore::saveRepos(*original))
        return 2;

    ContentViewModel model;
    model.setClock([] { return 0.0; }); // only the first appearance refreshes
    SectionReader pinned(model.pinnedRepos());
    SectionReader other(model.otherRepos());
    bool appeared = false;
    QObject::connect(&model, &ContentViewModel::appeared, [&] { appeared = true; });
    StallMeter meter;

    // The first appearance refreshes; later ones only reload.
    model.appear();
    spinUntil([&] { return appeared && noneUpdating(model.repos()); });
    spinUntilStoreIdle();
    maybeRealTime();

    const QString pinId = model.repos().at(3).id.toString(QUuid::WithoutBraces);
    for (int rep = 0; rep < reps; ++rep) {
        RepoStore::saveRepos(*original);
        const qsizetype before = packageCount(model.repos());
        appeared = false;
        Figure f = measure(meter, {&pinned, &other}, [&] { model.appear(); }, [&] { return appeared; });
        print("appear", rep, f, before, packageCount(model.repos()));
        if (packageCount(model.repos()) != stored)
            return 4;

        f = measure(meter, {&pinned, &other}, [&] { model.togglePin(pinId); }, [] { return true; });
        print("pin", rep, f, stored, stored);

        f = measure(meter, {&pinned, &other}, [&] { model.updateAllRepos(); },
                    [&] { return noneUpdating(model.repos()); });
        print("refresh", rep, f, stored, packageCount(model.repos()));
    }
    return 0;
}

int refresh(const QString &debianIndex, const QString &corpusDir, int reps)
{
    constexpr int sourceCount = 50;
    ServerThread server;
    server.serve(u"debian/Packages"_s, readAll(debianIndex));
    const QList<QByteArray> corpus = corpusIndexes(corpusDir);
    RepoList sources;
    for (int i = 0; i < sourceCount; ++i) {
        Repo repo;
        repo.name = "source " + std::to_string(i);
        const QString dir = i == 0 ? u"debian"_s : u"s%1"_s.arg(i);
        if (i > 0)
            server.serve(dir + u"/Packages"_s, corpus.at((i - 1) % corpus.size()));
        pointAt(repo, server, dir);
        sources.append(repo);
    }

    RepoRefresher refresher;
    auto timeRefresh = [&](const RepoList &list) {
        bool idle = false;
        const auto connection = QObject::connect(&refresher, &RepoRefresher::idle, [&] { idle = true; });
        QElapsedTimer clock;
        clock.start();
        refresher.refresh(list);
        spinUntil([&] { return idle; });
        QObject::disconnect(connection);
        return double(clock.nsecsElapsed()) / 1e6;
    };
    timeRefresh(sources); // connections, caches, pools

    // Through the main screen: results applied to the list and stored.
    if (!RepoStore::saveRepos(sources))
        return 2;
    ContentViewModel model;
    bool appeared = false;
    QObject::connect(&model, &ContentViewModel::appeared, [&] { appeared = true; });
    model.appear();
    spinUntil([&] { return appeared && noneUpdating(model.repos()); });
    spinUntilStoreIdle();
    maybeRealTime();
    StallMeter meter;

    for (int rep = 0; rep < reps; ++rep) {
        const double all = timeRefresh(sources);
        std::vector<double> single;
        for (const Repo &repo : sources)
            single.push_back(timeRefresh(RepoList{repo}));
        const Figure screen = measure(meter, {}, [&] { model.updateAllRepos(); },
                                      [&] { return noneUpdating(model.repos()); });
        std::printf("refresh rep=%d sources=%d all_ms=%.3f slowest_ms=%.3f sum_ms=%.3f debian_ms=%.3f "
                    "screen_applied_ms=%.3f screen_stored_ms=%.3f screen_stall_ms=%.3f screen_stall_cpu_ms=%.3f screen_waits=%ld screen_preempted=%ld packages=%lld\n",
                    rep, sourceCount, all, *std::max_element(single.cbegin(), single.cend()),
                    std::accumulate(single.cbegin(), single.cend(), 0.0), single.front(), screen.doneMs,
                    screen.storedMs, screen.stallMs, screen.stallCpuMs, screen.waits, screen.preemptions, static_cast<long long>(packageCount(model.repos())));
        std::fflush(stdout);
    }
    return 0;
}

int picture(const QString &iconFile, int reps)
{
    ServerThread server;
    const QByteArray icon = readAll(iconFile);
    const QImage decoded = QImage::fromData(icon);
    if (decoded.isNull())
        return 2;
    StallMeter meter;
    for (int rep = 0; rep < reps; ++rep) {
        const QString path = u"r%1/CydiaIcon.png"_s.arg(rep);
        server.serve(path, icon);
        const QString url = server.url(path);
        ImageLoader loader;
        bool shown = false;
        QObject::connect(&loader, &ImageLoader::ready,
                         [&](const QString &, QSize, const QImage &image) { shown = !image.isNull(); });
        // Saved once the file holds the downloaded picture.
        const Figure f = measure(meter, {}, [&] {
            QImage ignored;
            loader.request(url, QSize(120, 120), &ignored);
        }, [&] { return shown && QFileInfo(imageCacheFilePath(url)).size() == icon.size(); });
        loader.waitForSaves();
        QElapsedTimer clock;
        clock.start();
        saveImageLocally(icon, url + u"-sync"_s);
        const double syncMs = double(clock.nsecsElapsed()) / 1e6;
        std::printf("picture rep=%d width=%d height=%d stall_ms=%.3f stall_cpu_ms=%.3f shown_and_saved_ms=%.3f "
                    "save_on_caller_ms=%.3f\n",
                    rep, decoded.width(), decoded.height(), f.stallMs, f.stallCpuMs, f.doneMs, syncMs);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir data; // never the user's data or cache folder
    qputenv("VEXLO_DATA_DIR", data.path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (data.path() + u"/cache"_s).toLocal8Bit());

    if (args.size() >= 5 && args.at(1) == u"stall")
        return stall(args.at(2), args.at(3), args.at(4), args.size() > 5 ? args.at(5).toInt() : 5);
    if (args.size() >= 4 && args.at(1) == u"refresh")
        return refresh(args.at(2), args.at(3), args.size() > 4 ? args.at(4).toInt() : 5);
    if (args.size() >= 3 && args.at(1) == u"picture")
        return picture(args.at(2), args.size() > 3 ? args.at(3).toInt() : 5);
    std::fprintf(stderr, "usage: %s stall STORE_JSON DEBIAN_INDEX CORPUS_REPOS [REPS]\n"
                         "       %s refresh DEBIAN_INDEX CORPUS_REPOS [REPS]\n"
                         "       %s picture ICON_PNG [REPS]\n", argv[0], argv[0], argv[0]);
    return 2;
}
