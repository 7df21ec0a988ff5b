#pragma once

#include "model/repo.h"

#include <QHash>
#include <QObject>

#include <functional>

// Refreshes sources: one fetch per source, all in flight at once, parsed off the main
// thread. Results are reported by source id, so that whoever owns the list applies them to
// the right source even after the list changed meanwhile.
class RepoRefresher : public QObject
{
    Q_OBJECT

public:
    explicit RepoRefresher(QObject *parent = nullptr);

    // Starts a refresh of every source of the list as it is now; `started` is emitted for
    // each before this returns. A source whose refresh already runs gets a second one; the
    // result that arrives last is the one that stays.
    void refresh(const RepoList &repos);

    // Where each parsed list goes once `succeeded` has been handled, so that a list no slot
    // kept is not freed on the calling thread. By default it is dropped right there.
    void setRelease(std::function<void(PackageList)> release) { m_release = std::move(release); }

    [[nodiscard]] bool isRefreshing(const QUuid &id) const { return m_inFlight.contains(id); }
    [[nodiscard]] bool isIdle() const { return m_inFlight.isEmpty(); }

Q_SIGNALS:
    void started(const QUuid &id);
    void succeeded(const QUuid &id, const PackageList &packages);
    void failed(const QUuid &id);
    // The last running fetch has ended.
    void idle();

private:
    QHash<QUuid, int> m_inFlight;
    std::function<void(PackageList)> m_release;
};
