#include "commands.h"

#include "model/asyncrepostore.h"
#include "model/defaultrepos.h"
#include "model/repostore.h"
#include "refreshsummary.h"
#include "sources/liverepolist.h"
#include "sources/refreshoutcome.h"
#include "sources/reporefresher.h"

#include <QEventLoop>
#include <QTextStream>

int Cli::refresh(const QStringList &args)
{
    if (!args.isEmpty()) {
        err() << "vexlo-cli: refresh takes no arguments\n";
        return 2;
    }
    RepoList repos = RepoStore::loadRepos().value_or(defaultRepos());

    // The same changes as the main screen makes, each result saved as it is applied, so a
    // stalled source holds back no other and a kill loses little; the saves run on the store's
    // thread and a burst of results costs one write.
    AsyncRepoStore store;
    LiveRepoList live(&repos, [&store](const RepoList &list) { store.save(list); });
    live.setRelease([&store](PackageList packages) { store.release(std::move(packages)); });
    bool allSucceeded = true;
    RefreshSummary summary;
    summary.count(live.refresher());
    QObject::connect(&live, &LiveRepoList::refreshFailed, [&](int position) {
        allSucceeded = false;
        const Repo &repo = repos.at(position);
        const std::optional<RefreshOutcomeStore::Entry> outcome = live.outcomes().find(repo.id);
        err() << RefreshOutcome::alertMessage(live.title(repo)) << '\t' << (outcome ? outcome->reason : QString()) << Qt::endl;
    });
    QEventLoop loop;
    QObject::connect(&live, &LiveRepoList::idle, &loop, &QEventLoop::quit);
    live.refreshAll();
    if (!live.isIdle())
        loop.exec();
    err() << summary.line(live.refresher().bytesDownloaded()) << Qt::endl;

    if (!store.finish()) {
        err() << "vexlo-cli: the source list could not be written: " << store.unwritten().value_or(QString()) << '\n';
        return 1;
    }
    return allSucceeded ? 0 : 1;
}
