#include "refreshsummary.h"

#include "sources/reporefresher.h"

using namespace Qt::StringLiterals;

void RefreshSummary::count(const RepoRefresher &refresher)
{
    QObject::connect(&refresher, &RepoRefresher::succeeded, &refresher, [this] { ++m_succeeded; });
    QObject::connect(&refresher, &RepoRefresher::unchanged, &refresher, [this] { ++m_unchanged; });
    QObject::connect(&refresher, &RepoRefresher::failed, &refresher, [this] { ++m_failed; });
}

QString RefreshSummary::line(qint64 bytesDownloaded) const
{
    return u"vexlo-cli refresh: %1 refreshed, %2 unchanged (304), %3 failed, %4 bytes downloaded"_s
        .arg(m_succeeded - m_unchanged)
        .arg(m_unchanged)
        .arg(m_failed)
        .arg(bytesDownloaded);
}
