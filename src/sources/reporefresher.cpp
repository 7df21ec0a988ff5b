#include "reporefresher.h"

#include "indexfetcher.h"

RepoRefresher::RepoRefresher(QObject *parent)
    : QObject(parent)
{
}

void RepoRefresher::refresh(const RepoList &repos)
{
    for (const Repo &repo : repos) {
        const QUuid id = repo.id;
        ++m_inFlight[id];
        Q_EMIT started(id);
        parsePackages(QString::fromStdString(repo.packagesURL), repo.url, this, [this, id](IndexResult result) {
            if (result.ok()) {
                Q_EMIT succeeded(id, result.packages);
                if (m_release)
                    m_release(std::move(result.packages));
            } else {
                Q_EMIT failed(id);
            }
            if (auto it = m_inFlight.find(id); it != m_inFlight.end() && --*it == 0)
                m_inFlight.erase(it);
            if (m_inFlight.isEmpty())
                Q_EMIT idle();
        });
    }
}
