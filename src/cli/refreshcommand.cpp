#include "commands.h"

#include "model/defaultrepos.h"
#include "model/repostore.h"
#include "platform/console.h"
#include "refreshsummary.h"
#include "sources/refreshoutcome.h"
#include "sources/reporefresher.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTextStream>

int Cli::refresh(const QStringList &args)
{
    if (!args.isEmpty()) {
        err() << "vexlo-cli: refresh takes no arguments\n";
        return 2;
    }
    RepoList repos = RepoStore::loadRepos().value_or(defaultRepos());
    const auto find = [&repos](const QUuid &id) -> Repo * {
        for (Repo &repo : repos) {
            if (repo.id == id)
                return &repo;
        }
        return nullptr;
    };

    bool allSucceeded = true;
    RefreshSummary summary;
    RepoRefresher refresher;
    summary.count(refresher);
    QObject::connect(&refresher, &RepoRefresher::succeeded, [&](const QUuid &id, const PackageList &packages) {
        if (Repo *repo = find(id))
            RefreshOutcome::succeed(*repo, packages);
    });
    QObject::connect(&refresher, &RepoRefresher::failed, [&](const QUuid &id) {
        allSucceeded = false;
        if (Repo *repo = find(id)) {
            Console::printLine(RefreshOutcome::consoleLine(*repo));
            RefreshOutcome::fail(*repo);
            err() << RefreshOutcome::alertMessage(*repo) << Qt::endl;
        }
    });
    QEventLoop loop;
    QObject::connect(&refresher, &RepoRefresher::idle, &loop, &QEventLoop::quit);
    refresher.refresh(repos);
    if (!refresher.isIdle())
        loop.exec();
    err() << summary.line(refresher.bytesDownloaded()) << Qt::endl;

    if (!RepoStore::saveRepos(repos)) {
        err() << "vexlo-cli: the source list could not be written\n";
        return 1;
    }
    return allSucceeded ? 0 : 1;
}
