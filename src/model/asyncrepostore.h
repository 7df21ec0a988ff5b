#pragma once

#include "repo.h"

#include <QMutex>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QWaitCondition>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QThread;

// The store as the screens and vexlo-cli use it: saves and loads run one at a time, in the
// order they were asked for, on one background thread, so a list of 100,000 packages never
// stalls the thread that handles results. A load sees every save asked for before it. A save
// still waiting when a newer one arrives is dropped, as the newer list holds all it held;
// saves start at least saveSpacingMs apart, so a burst of results costs few writes.
//
// A save that fails keeps its list: the next save, or finish(), writes it again.
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
    // waitForIdle, then one more attempt at a list whose save failed; when that fails too,
    // says so on the console. Returns whether the last list asked to be saved is written.
    bool finish();

    // Why the last save failed, or nothing when the last save was written.
    [[nodiscard]] std::optional<QString> unwritten() const;

    static constexpr int saveSpacingMs = 250;

Q_SIGNALS:
    // A save failed after the one before it was written (or was the first); emitted on this
    // object's thread. Further failures stay quiet until a save succeeds again.
    void saveFailed(const QString &reason);

private:
    struct Delivery;
    struct Task
    {
        RepoList repos;                     // what to save
        std::shared_ptr<Delivery> delivery; // set for a load
    };

    void run();
    void execute(Task &task);

    mutable QMutex m_mutex;
    QWaitCondition m_wake;
    QWaitCondition m_idle;
    std::deque<Task> m_tasks;
    QList<RepoList> m_garbage;
    QList<PackageList> m_garbagePackages;
    bool m_busy = false;
    bool m_stopping = false;
    int m_waiting = 0;           // threads in waitForIdle: saves are not spaced meanwhile
    QElapsedTimer m_lastSave;    // since the start of the last save
    RepoList m_failedList;       // the list of the last save, while it is unwritten
    std::optional<QString> m_failedReason;
    std::string m_buffer; // the encoding buffer, used by the background thread only
    std::unique_ptr<QThread> m_thread;
};
