#include "commands.h"

#include "model/asyncrepostore.h"
#include "model/defaultrepos.h"
#include "model/repostore.h"
#include "sources/releaseinfostore.h"
#include "sources/repoadder.h"

#include <QEventLoop>
#include <QTextStream>

int Cli::add(const QStringList &args)
{
    if (args.isEmpty()) {
        err() << "vexlo-cli: add needs at least one address (see --help)\n";
        return 2;
    }
    // Each argument is read as typed text, so one may hold several addresses.
    return addBatch([&args](RepoAdder &adder) { adder.addRepos(args.join(u'\n')); });
}

int Cli::addBatch(const std::function<void(RepoAdder &)> &start)
{
    // The list the main screen would add to: the stored one, else the defaults.
    RepoList repos = RepoStore::loadRepos().value_or(defaultRepos());
    RepoAdder adder([&repos]() -> const RepoList & { return repos; });

    AsyncRepoStore store;
    AddBatchResult result;
    ReleaseInfoStore releases;
    releases.load();
    QObject::connect(&adder, &RepoAdder::releaseRead, [&releases](const QUuid &id, const ReleaseInfo &info) {
        if (releases.insert(id, info))
            releases.save();
    });
    QEventLoop loop;
    QObject::connect(&adder, &RepoAdder::repoReady, [&](const Repo &repo) {
        repos.append(repo);
        // Saved after every append, as the screen does: an interrupted run keeps what arrived.
        store.save(repos);
    });
    QObject::connect(&adder, &RepoAdder::failed, [](int, const QString &message) { err() << message << Qt::endl; });
    QObject::connect(&adder, &RepoAdder::finished, [&](int, const AddBatchResult &batch) {
        result = batch;
        loop.quit();
    });
    start(adder);
    loop.exec();

    if (!store.finish()) {
        err() << "vexlo-cli: the source list could not be written: " << store.unwritten().value_or(QString()) << '\n';
        return 1;
    }
    const bool ok = result.failedAddresses.isEmpty();
    if (ok)
        err() << result.message() << Qt::endl;
    return ok ? 0 : 1;
}
