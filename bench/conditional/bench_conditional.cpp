// A refresh of 50 sources (Debian's whole index and 49 corpus indexes that are UTF-8) served by a server that
// honours ETags, as a fresh start runs it: first with nothing kept, then again with nothing
// changed, then with one index changed. Usage: bench_conditional DEBIAN_INDEX CORPUS_REPOS [REPS]
// Each corpus source also serves its Release, where it has one. Prints one line per rep: wall
// time, index bytes received, full answers (200) and 304s of
// each refresh.
#include "sources/refreshoutcome.h"
#include "sources/reporefresher.h"
#include "serverthread.h"
#include "sources/utf8.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int sourceCount = 50;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(2);
    }
    return file.readAll();
}

struct Figure
{
    double ms = 0;
    qint64 bytes = 0;
    int full = 0;
    int notModified = 0;
};

// One refresh as a fresh start runs it (validators read from the data folder), its results
// applied to the list as the main screen applies them.
Figure refresh(RepoList &repos, ServerThread &server)
{
    const auto before = server.answers();
    RepoRefresher refresher;
    QObject::connect(&refresher, &RepoRefresher::succeeded, [&](const QUuid &id, const PackageList &packages) {
        for (Repo &repo : repos) {
            if (repo.id == id)
                RefreshOutcome::succeed(repo, packages);
        }
    });
    bool idle = false;
    QObject::connect(&refresher, &RepoRefresher::idle, [&] { idle = true; });
    QElapsedTimer clock;
    clock.start();
    refresher.refresh(repos);
    while (!idle)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    Figure figure{double(clock.nsecsElapsed()) / 1e6, refresher.bytesDownloaded()};
    const auto after = server.answers();
    figure.full = after.first - before.first;
    figure.notModified = after.second - before.second;
    return figure;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: %s DEBIAN_INDEX CORPUS_REPOS [REPS]\n", argv[0]);
        return 2;
    }
    const int reps = args.size() > 3 ? args.at(3).toInt() : 5;
    ServerThread server;
    QList<QByteArray> corpus;
    QList<QByteArray> releases; // beside each index, empty where its source publishes none
    const QDir dir(args.at(2));
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!QFile::exists(dir.filePath(name + u"/Packages"_s)))
            continue;
        // An index that fails (not UTF-8) is fetched whole every time, having no list to stand for.
        const QByteArray index = readAll(dir.filePath(name + u"/Packages"_s));
        if (isValidUtf8({index.constData(), std::size_t(index.size())})) {
            corpus.append(index);
            releases.append(QFile::exists(dir.filePath(name + u"/Release"_s)) ? readAll(dir.filePath(name + u"/Release"_s))
                                                                              : QByteArray());
        }
    }
    if (corpus.isEmpty())
        return 2;
    RepoList sources;
    for (int i = 0; i < sourceCount; ++i) {
        const QString path = u"s%1/Packages"_s.arg(i);
        server.serve(path, i == 0 ? readAll(args.at(1)) : corpus.at((i - 1) % corpus.size()), "\"1\"");
        if (i > 0 && !releases.at((i - 1) % corpus.size()).isEmpty())
            server.serve(u"s%1/Release"_s.arg(i), releases.at((i - 1) % corpus.size()), "\"r1\"");
        Repo repo;
        repo.name = "source " + std::to_string(i);
        repo.url = server.url(u"s%1/"_s.arg(i)).toStdString();
        repo.packagesURL = repo.url + "Packages";
        sources.append(repo);
    }
    const QByteArray changed = corpus.at(0) + "\nPackage: added\nVersion: 1\n";

    for (int rep = -1; rep < reps; ++rep) { // the first round warms connections, caches and pools
        QTemporaryDir data;
        qputenv("VEXLO_DATA_DIR", data.path().toLocal8Bit());
        server.serve(u"s1/Packages"_s, corpus.at(0), "\"1\"");
        RepoList repos = sources;
        const Figure first = refresh(repos, server);
        const Figure unchanged = refresh(repos, server);
        server.serve(u"s1/Packages"_s, changed, "\"2\"");
        const Figure one = refresh(repos, server);
        if (rep < 0)
            continue;
        std::printf("conditional rep=%d sources=%d first_ms=%.3f first_bytes=%lld first_full=%d "
                    "unchanged_ms=%.3f unchanged_bytes=%lld unchanged_full=%d unchanged_304=%d "
                    "one_ms=%.3f one_bytes=%lld one_full=%d one_304=%d changed_bytes=%lld\n",
                    rep, sourceCount, first.ms, (long long)first.bytes, first.full, unchanged.ms,
                    (long long)unchanged.bytes, unchanged.full, unchanged.notModified, one.ms, (long long)one.bytes,
                    one.full, one.notModified, (long long)changed.size());
        std::fflush(stdout);
    }
    return 0;
}
