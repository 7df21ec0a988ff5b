// What is new, on Debian's whole index: its refresh as a fresh start runs it (fetched from a
// local server, parsed, its first-seen times recorded and written), the recording alone (a
// first fetch, then one with 1 % of the versions changed), the side file's bytes per package,
// ordering 100,000 packages newest first, and that order applied to a search's result.
// Usage: bench_whatsnew DEBIAN_INDEX [REPS]. Prints one line per rep.
#include "search/packageorder.h"
#include "serverthread.h"
#include "sources/firstseenstore.h"
#include "sources/packagenews.h"
#include "sources/refreshoutcome.h"
#include "sources/reporefresher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

double refresh(RepoList &repos)
{
    RepoRefresher refresher;
    QObject::connect(&refresher, &RepoRefresher::succeeded, [&](const QUuid &, const PackageList &packages) {
        RefreshOutcome::succeed(repos[0], packages);
    });
    bool idle = false;
    QObject::connect(&refresher, &RepoRefresher::idle, [&] { idle = true; });
    QElapsedTimer clock;
    clock.start();
    refresher.refresh(repos);
    while (!idle)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return msSince(clock);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: %s DEBIAN_INDEX [REPS]\n", argv[0]);
        return 2;
    }
    const int reps = args.size() > 2 ? args.at(2).toInt() : 5;
    QFile file(args.at(1));
    if (!file.open(QIODevice::ReadOnly))
        return 2;
    ServerThread server;
    server.serve(u"d/Packages"_s, file.readAll(), "\"1\"");
    Repo debian;
    debian.name = "Debian";
    debian.url = server.url(u"d/"_s).toStdString();
    debian.packagesURL = debian.url + "Packages";

    for (int rep = -1; rep < reps; ++rep) { // the first round warms caches and pools
        QTemporaryDir data;
        qputenv("VEXLO_DATA_DIR", data.path().toLocal8Bit());
        RepoList repos{debian};
        const double refreshMs = refresh(repos);
        const PackageList packages = repos.at(0).packages;

        FirstSeenStore store;
        QElapsedTimer clock;
        clock.start();
        store.record(debian.id, packages, 1000);
        store.save();
        const double firstMs = msSince(clock);
        PackageList changed = packages;
        for (qsizetype i = 0; i < changed.size(); i += 100)
            changed[i].version += "+1";
        clock.restart();
        store.record(debian.id, changed, 2000);
        store.save();
        const double laterMs = msSince(clock);
        const double bytesPerPackage = double(store.serialize().size()) / double(packages.size());

        // 100,000 packages: the index, then as many again as needed under other names, which
        // a later fetch brings as new.
        PackageList many = packages;
        for (qsizetype i = 0; many.size() < 100'000; ++i) {
            Package p = packages.at(i % packages.size());
            p.name += "-more";
            many.append(std::move(p));
        }
        FirstSeenStore manyStore;
        manyStore.record(debian.id, packages, 1000);
        manyStore.record(debian.id, many, 2000);
        clock.restart();
        const PackageNews::Ages ages = PackageNews::agesOf(manyStore, debian.id, many, 2000);
        const double lookupMs = msSince(clock);
        clock.restart();
        const std::vector<std::uint32_t> order = PackageOrder::newestFirst(ages.firstSeen);
        const double sortMs = msSince(clock);
        std::vector<std::uint32_t> found;
        for (std::uint32_t i = 0; i < many.size(); i += 7)
            found.push_back(i);
        clock.restart();
        const std::vector<std::uint32_t> shown = PackageOrder::apply(found, order);
        const double applyMs = msSince(clock);
        if (rep < 0 || shown.size() != found.size())
            continue;
        std::printf("whatsnew rep=%d packages=%lld refresh_ms=%.3f record_first_ms=%.3f record_later_ms=%.3f "
                    "bytes_per_package=%.2f ordered=%lld lookup_ms=%.3f sort_ms=%.3f apply_ms=%.3f\n",
                    rep, (long long)packages.size(), refreshMs, firstMs, laterMs, bytesPerPackage,
                    (long long)many.size(), lookupMs, sortMs, applyMs);
        std::fflush(stdout);
    }
    return 0;
}
