#include "commands.h"

#include "model/defaultrepos.h"
#include "model/repostore.h"
#include "sources/liverepolist.h"
#include "sources/refreshoutcome.h"

#include <QEventLoop>
#include <QTextStream>

int Cli::refresh(const QStringList &args)
{
    if (!args.isEmpty()) {
        err() << "vexlo-cli: refresh takes no arguments\n";
        return 2;
    }
    RepoList repos = RepoStore::loadRepos().value_or(defaultRepos());

    // The same changes as the main screen makes, each result written as it is applied, so
    // a stalled source holds back no other and a kill loses nothing already applied.
    bool written = true;
    LiveRepoList live(&repos, [&written](const RepoList &list) { written &= RepoStore::saveRepos(list); });
    bool allSucceeded = true;
    QObject::connect(&live, &LiveRepoList::refreshFailed, [&](int position) {
        allSucceeded = false;
        err() << RefreshOutcome::alertMessage(repos.at(position)) << Qt::endl;
    });
    QEventLoop loop;
    QObject::connect(&live, &LiveRepoList::idle, &loop, &QEventLoop::quit);
    live.refreshAll();
    if (!live.isIdle())
        loop.exec();

    if (!written) {
        err() << "vexlo-cli: the source list could not be written\n";
        return 1;
    }
    return allSucceeded ? 0 : 1;
}
