#pragma once

#include <QString>

class RepoRefresher;

// The closing line of `vexlo-cli refresh`: how many sources were refreshed, found unchanged
// (304) and failed, and the index bytes downloaded.
class RefreshSummary
{
public:
    void count(const RepoRefresher &refresher);
    [[nodiscard]] QString line(qint64 bytesDownloaded) const;

private:
    int m_succeeded = 0; // unchanged ones included
    int m_unchanged = 0;
    int m_failed = 0;
};
