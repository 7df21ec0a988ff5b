#include "asyncrepostore.h"
#include "repostore.h"

#include "platform/console.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

using namespace Qt::StringLiterals;

// Hands a load result to the context's thread. The background thread posts under the mutex
// and the context clears `context` under the same mutex when it is destroyed, so nothing is
// ever posted to a destroyed object (Qt discards events still queued for it).
struct AsyncRepoStore::Delivery
{
    QMutex mutex;
    QObject *context = nullptr;
    LoadCallback callback;
    QMetaObject::Connection watch;
};

AsyncRepoStore::AsyncRepoStore(QObject *parent)
    : QObject(parent)
    , m_thread(QThread::create([this] { run(); }))
{
    m_thread->setObjectName(QStringLiteral("RepoStore"));
    m_thread->start();
}

AsyncRepoStore::~AsyncRepoStore()
{
    {
        QMutexLocker lock(&m_mutex);
        m_stopping = true;
        m_wake.wakeAll();
    }
    m_thread->wait();
}

AsyncRepoStore *AsyncRepoStore::instance()
{
    Q_ASSERT(QCoreApplication::instance());
    static AsyncRepoStore *const store = [] {
        auto *s = new AsyncRepoStore(QCoreApplication::instance());
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, s,
                         &AsyncRepoStore::finish);
        return s;
    }();
    return store;
}

void AsyncRepoStore::save(RepoList snapshot)
{
    QMutexLocker lock(&m_mutex);
    if (!m_tasks.empty() && !m_tasks.back().delivery) {
        // Not started yet: the newer list supersedes it.
        std::swap(m_tasks.back().repos, snapshot);
        m_garbage.append(std::move(snapshot));
    } else {
        m_tasks.push_back(Task{std::move(snapshot), nullptr});
    }
    m_wake.wakeOne();
}

void AsyncRepoStore::load(QObject *context, LoadCallback callback)
{
    Q_ASSERT(context);
    auto delivery = std::make_shared<Delivery>();
    delivery->context = context;
    delivery->callback = std::move(callback);
    // Holds only a weak reference, so a context that lives on does not keep finished
    // deliveries alive; the connection is cut once the result is handed over.
    delivery->watch = QObject::connect(context, &QObject::destroyed, [weak = std::weak_ptr(delivery)] {
        if (const auto d = weak.lock()) {
            QMutexLocker lock(&d->mutex);
            d->context = nullptr;
        }
    });
    QMutexLocker lock(&m_mutex);
    m_tasks.push_back(Task{{}, std::move(delivery)});
    m_wake.wakeOne();
}

void AsyncRepoStore::release(RepoList list)
{
    QMutexLocker lock(&m_mutex);
    m_garbage.append(std::move(list));
    m_wake.wakeOne();
}

void AsyncRepoStore::release(PackageList packages)
{
    QMutexLocker lock(&m_mutex);
    m_garbagePackages.append(std::move(packages));
    m_wake.wakeOne();
}

void AsyncRepoStore::waitForIdle()
{
    QMutexLocker lock(&m_mutex);
    ++m_waiting;
    m_wake.wakeAll();
    while (m_busy || !m_tasks.empty() || !m_garbage.isEmpty() || !m_garbagePackages.isEmpty())
        m_idle.wait(&m_mutex);
    --m_waiting;
}

bool AsyncRepoStore::finish()
{
    waitForIdle();
    {
        QMutexLocker lock(&m_mutex);
        if (!m_failedReason)
            return true;
        m_tasks.push_back(Task{m_failedList, nullptr});
    }
    waitForIdle();
    const std::optional<QString> reason = unwritten();
    if (reason)
        Console::printLine(u"لم تُحفظ آخر تغييرات قائمة السورسات: "_s + *reason);
    return !reason;
}

std::optional<QString> AsyncRepoStore::unwritten() const
{
    QMutexLocker lock(&m_mutex);
    return m_failedReason;
}

void AsyncRepoStore::run()
{
    for (;;) {
        Task task;
        QList<RepoList> garbage;
        QList<PackageList> garbagePackages;
        bool haveTask = false;
        {
            QMutexLocker lock(&m_mutex);
            m_busy = false;
            while (m_tasks.empty() && m_garbage.isEmpty() && m_garbagePackages.isEmpty()) {
                m_idle.wakeAll();
                if (m_stopping)
                    return;
                m_wake.wait(&m_mutex);
            }
            m_busy = true;
            garbage.swap(m_garbage);
            garbagePackages.swap(m_garbagePackages);
            const bool spaced = !m_tasks.empty() && !m_tasks.front().delivery && m_waiting == 0 && !m_stopping
                && m_lastSave.isValid() && m_lastSave.elapsed() < saveSpacingMs;
            if (spaced) {
                // Too soon after the last save: free what is to be freed, wait for the rest of
                // the spacing (or for someone who needs the save now), then look again.
                lock.unlock();
                garbage.clear();
                garbagePackages.clear();
                lock.relock();
                if (m_waiting == 0 && !m_stopping && m_lastSave.elapsed() < saveSpacingMs)
                    m_wake.wait(&m_mutex, QDeadlineTimer(saveSpacingMs - m_lastSave.elapsed()));
                continue;
            }
            if (!m_tasks.empty()) {
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
                haveTask = true;
            }
        }
        garbage.clear();
        garbagePackages.clear();
        if (haveTask)
            execute(task);
    }
}

void AsyncRepoStore::execute(Task &task)
{
    if (!task.delivery) {
        {
            QMutexLocker lock(&m_mutex);
            m_lastSave.start();
        }
        QString reason;
        const bool written = RepoStore::saveRepos(task.repos, m_buffer, &reason);
        QMutexLocker lock(&m_mutex);
        const bool firstFailure = !written && !m_failedReason;
        // Only the newest list counts: an older one queued behind it was dropped already.
        m_failedList = written ? RepoList() : std::move(task.repos);
        m_failedReason = written ? std::nullopt : std::optional<QString>(reason);
        if (firstFailure)
            QMetaObject::invokeMethod(this, [this, reason] { Q_EMIT saveFailed(reason); }, Qt::QueuedConnection);
        return;
    }
    std::optional<RepoList> result = RepoStore::loadRepos();
    const std::shared_ptr<Delivery> d = std::move(task.delivery);
    QMutexLocker lock(&d->mutex);
    if (!d->context)
        return;
    QMetaObject::invokeMethod(
        d->context,
        [d, result = std::move(result)]() mutable {
            QObject::disconnect(d->watch);
            d->callback(std::move(result));
        },
        Qt::QueuedConnection);
}
