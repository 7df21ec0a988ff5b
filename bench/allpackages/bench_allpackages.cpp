// The all-packages screen over a stored list of 100,000 packages: main-thread time of applying
// the loaded list and of opening the screen, of every keystroke of a search (typing words, then
// deleting them), and the resident memory the list, its views and its search indexes add.
// Usage: bench_allpackages STORE_JSON
// Prints one line of key=value figures (main-thread CPU times and the index build's wall time in
// ms, memory in KiB).
#include "model/repojson.h"
#include "screens/allpackages/allpackagesviewmodel.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "screens/packagegrid/packagelistmodel.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

double nowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// CPU time of the calling thread: what the main thread spends, whatever else the shared
// machine runs meanwhile.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

template <typename F>
double timeMs(F &&f)
{
    const double start = threadCpuMs();
    f();
    return threadCpuMs() - start;
}

long vmRssKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 12, '\n');
    }
    return -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

void waitForIndexes(ContentViewModel &model)
{
    while (!model.isPackageSearchReady()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    QCoreApplication::processEvents();
}

// What the first frame of the screen reads: its texts and the first cards' fields.
void readFirstFrame(const AllPackagesViewModel &screen)
{
    volatile qsizetype sink = screen.title().size() + screen.countText().size();
    const PackageListModel *packages = screen.packages();
    for (int row = 0; row < std::min(8, packages->rowCount()); ++row) {
        for (int role = PackageListModel::NameRole; role <= PackageListModel::IdRole; ++role)
            sink = sink + packages->data(packages->index(row), role).toString().size();
    }
}

// Types the word one letter at a time, then deletes it letter by letter.
void typeAndDelete(ContentViewModel &model, const QString &word, std::vector<double> &typing, std::vector<double> &deleting)
{
    const bool verbose = qEnvironmentVariableIsSet("BENCH_VERBOSE");
    for (qsizetype n = 1; n <= word.size(); ++n) {
        typing.push_back(timeMs([&] { model.setSearchText(word.left(n)); }));
        if (verbose)
            std::fprintf(stderr, "typed %s: %.3f ms, %d\n", qPrintable(word.left(n)), typing.back(), model.filteredPackages()->count());
    }
    for (qsizetype n = word.size() - 1; n >= 0; --n) {
        deleting.push_back(timeMs([&] { model.setSearchText(word.left(n)); }));
        if (verbose)
            std::fprintf(stderr, "deleted to %s: %.3f ms, %d\n", qPrintable(word.left(n)), deleting.back(), model.filteredPackages()->count());
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_allpackages STORE_JSON\n");
        return 2;
    }
    QTemporaryDir data; // nothing is written, but never into the user's folders
    qputenv("VEXLO_DATA_DIR", data.path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (data.path() + QStringLiteral("/cache")).toLocal8Bit());

    ContentViewModel model;
    const long rssBefore = vmRssKiB();

    // Read on a thread of its own, as the store reads it; the reader's buffers live as long as
    // that thread, so they are measured apart.
    RepoList repos;
    qint64 documentBytes = 0;
    long rssWithReader = 0;
    bool readOk = false;
    std::thread reader([&] {
        {
            QFile file(QString::fromLocal8Bit(argv[1]));
            if (!file.open(QIODevice::ReadOnly))
                return;
            const QByteArray document = file.readAll();
            documentBytes = document.size();
            if (std::optional<RepoList> read = RepoJson::readRepos(document)) {
                repos = std::move(*read);
                readOk = true;
            }
        }
        rssWithReader = vmRssKiB();
    });
    reader.join();
    if (!readOk) {
        std::fprintf(stderr, "cannot read a store document from %s\n", argv[1]);
        return 2;
    }
    const long rssRecords = vmRssKiB();

    // The list arrives as a load of the store does; the indexes are then built off this thread.
    const double indexStart = nowMs();
    const double applyMs = timeMs([&] { model.setRepos(repos); });
    waitForIndexes(model);
    const double indexWallMs = nowMs() - indexStart;
    repos.clear(); // the model holds the only copy now
    const long rssLoaded = vmRssKiB();

    AllPackagesViewModel screen;
    const double openMs = timeMs([&] {
        screen.setContentModel(&model);
        readFirstFrame(screen);
    });
    const int packageCount = screen.packages()->count();

    std::vector<double> typing;
    std::vector<double> deleting;
    typeAndDelete(model, QStringLiteral("python3-"), typing, deleting);
    typeAndDelete(model, QStringLiteral("Library"), typing, deleting);
    typeAndDelete(model, QStringLiteral("العربية"), typing, deleting);
    // One letter that nearly every package holds, and a text that none does.
    const double mostMs = timeMs([&] { model.setSearchText(QStringLiteral("e")); });
    const int mostCount = screen.packages()->count();
    const double noneMs = timeMs([&] { model.setSearchText(QStringLiteral("zqxj")); });
    model.setSearchText(QStringLiteral("lib"));
    const double openSearchedMs = timeMs([&] {
        AllPackagesViewModel again;
        again.setContentModel(&model);
        readFirstFrame(again);
    });
    const long rssTyped = vmRssKiB();

    // A refresh of the largest source replaces its packages while the screen shows a search.
    RepoList refreshed = model.repos();
    refreshed[0].packages = PackageList(refreshed[0].packages.cbegin(), refreshed[0].packages.cend());
    const double refreshMs = timeMs([&] { model.setRepos(refreshed); });
    refreshed.clear();
    waitForIndexes(model);

    std::printf("allpackages document_bytes=%lld packages=%d apply_ms=%.3f index_wall_ms=%.1f open_ms=%.3f "
                "open_searched_ms=%.3f key_median_ms=%.3f key_max_ms=%.3f delete_median_ms=%.3f delete_max_ms=%.3f "
                "most_ms=%.3f most_count=%d none_ms=%.3f refresh_one_ms=%.3f rss_records_kib=%ld rss_loaded_kib=%ld "
                "rss_typed_kib=%ld rss_reader_kib=%ld\n",
                static_cast<long long>(documentBytes), packageCount, applyMs, indexWallMs, openMs, openSearchedMs,
                median(typing), *std::max_element(typing.begin(), typing.end()), median(deleting),
                *std::max_element(deleting.begin(), deleting.end()), mostMs, mostCount, noneMs, refreshMs,
                rssRecords - rssBefore, rssLoaded - rssBefore, rssTyped - rssBefore, rssWithReader - rssRecords);
    return 0;
}
