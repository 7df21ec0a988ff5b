#pragma once

#include "repo.h"

#include <QMutex>
#include <QObject>
#include <QWaitCondition>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QThread;

// The store as the screens use it: saves and loads run one at a time, in the order they were
// asked for, on one background thread, so a list of 100,000 packages never stalls the window.
// A load sees every save asked for before it. Saves still waiting when a newer one arrives
// are dropped, as only the newest list needs writing.
class AsyncRepoStore : public QObject
{
    Q_OBJECT
public:
    using LoadCallback = std::function<void(std::optional<RepoList>)>;

    explicit AsyncRepoStore(QObject *parent = nullptr);
    // Finishes all pending work first, so a save asked for is never lost.
    ~AsyncRepoStore() override;

    // The application's store, finished before the application quits.
    [[nodiscard]] static AsyncRepoStore *instance();

    // Takes a snapshot of the list: constant time, as the list is implicitly shared.
    void save(RepoList snapshot);

    // `callback` receives the stored list, or nothing when none can be read, on the thread of
    // `context`; it is not called once `context` is destroyed.
    void load(QObject *context, LoadCallback callback);

    // Drops a list on the background thread: freeing 100,000 packages takes longer than a frame.
    // The list is freed there only when this was its last reference.
    void release(RepoList list);
    void release(PackageList packages);

    // Blocks until every save, load and release asked for so far has finished.
    void waitForIdle();

private:
    struct Delivery;
    struct Task
    {
        RepoList repos;                     // what to save
        std::shared_ptr<Delivery> delivery; // set for a load
    };

    void run();
    void execute(Task &task);

    QMutex m_mutex;
    QWaitCondition m_wake;
    QWaitCondition m_idle;
    std::deque<Task> m_tasks;
    QList<RepoList> m_garbage;
    QList<PackageList> m_garbagePackages;
    bool m_busy = false;
    bool m_stopping = false;
    std::string m_buffer; // the encoding buffer, used by the background thread only
    std::unique_ptr<QThread> m_thread;
};
