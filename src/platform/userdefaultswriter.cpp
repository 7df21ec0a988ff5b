#include "userdefaults.h"

#include <QMutex>
#include <QWaitCondition>

#include <algorithm>
#include <deque>
#include <thread>

namespace {

struct Job
{
    QString key;
    std::function<QByteArray()> encode;
};

// One thread writes the values asked for later, in the order asked for. A write that failed
// is kept, and tried again before the next wait for all writes and with the next write asked
// for, unless a newer value of its key replaced it.
class Writer
{
public:
    static Writer &instance()
    {
        static Writer writer;
        return writer;
    }

    ~Writer()
    {
        waitForAll();
        QMutexLocker lock(&m_mutex);
        m_stopping = true;
        m_wake.wakeAll();
        lock.unlock();
        if (m_thread.joinable())
            m_thread.join();
    }

    void add(Job job)
    {
        QMutexLocker lock(&m_mutex);
        // A value still waiting is dropped: the newer one holds all it held.
        std::erase_if(m_jobs, [&job](const Job &waiting) { return waiting.key == job.key; });
        std::erase_if(m_failed, [&job](const Job &failed) { return failed.key == job.key; });
        retryFailed();
        m_jobs.push_back(std::move(job));
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
        m_wake.wakeAll();
    }

    void wait(const QString &key)
    {
        QMutexLocker lock(&m_mutex);
        if (m_thread.joinable() && std::this_thread::get_id() == m_thread.get_id())
            return; // the writer's own write
        while (m_current == key || std::any_of(m_jobs.cbegin(), m_jobs.cend(), [&key](const Job &j) { return j.key == key; }))
            m_idle.wait(&m_mutex);
    }

    void waitForAll()
    {
        QMutexLocker lock(&m_mutex);
        retryFailed();
        m_wake.wakeAll();
        while (!m_jobs.empty() || !m_current.isNull())
            m_idle.wait(&m_mutex);
    }

private:
    void retryFailed() // with m_mutex held
    {
        for (Job &failed : m_failed)
            m_jobs.push_back(std::move(failed));
        m_failed.clear();
    }

    void run()
    {
        QMutexLocker lock(&m_mutex);
        for (;;) {
            while (m_jobs.empty() && !m_stopping)
                m_wake.wait(&m_mutex);
            if (m_jobs.empty())
                return;
            Job job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_current = job.key;
            lock.unlock();
            const bool written = UserDefaults::set(job.encode(), job.key);
            lock.relock();
            m_current = QString();
            if (!written && std::none_of(m_jobs.cbegin(), m_jobs.cend(), [&job](const Job &j) { return j.key == job.key; }))
                m_failed.push_back(std::move(job));
            m_idle.wakeAll();
        }
    }

    QMutex m_mutex;
    QWaitCondition m_wake;
    QWaitCondition m_idle;
    std::deque<Job> m_jobs;
    std::deque<Job> m_failed;
    QString m_current; // the key being written
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace

void UserDefaults::setLater(const QString &key, std::function<QByteArray()> encode)
{
    Writer::instance().add({key, std::move(encode)});
}

void UserDefaults::waitForWrites(const QString &key)
{
    if (key.isEmpty())
        Writer::instance().waitForAll();
    else
        Writer::instance().wait(key);
}
