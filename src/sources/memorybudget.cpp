#include "memorybudget.h"

#include "platform/backgroundpriority.h"

#include <QCoreApplication>
#include <QThreadPool>

MemoryBudget::MemoryBudget(qint64 capacity, QObject *parent)
    : QObject(parent)
    , m_capacity(capacity)
{
}

MemoryBudget *MemoryBudget::shared()
{
    static MemoryBudget *const instance = new MemoryBudget(sharedCapacity, QCoreApplication::instance());
    return instance;
}

qint64 MemoryBudget::used() const
{
    QMutexLocker lock(&m_mutex);
    return m_used;
}

bool MemoryBudget::grantable(const Share &share, qint64 bytes) const
{
    if (m_used + bytes <= m_capacity)
        return true;
    // The largest holder (the earliest among equals) goes on regardless.
    for (const Share *other : m_shares) {
        if (other != &share
            && (other->m_held > share.m_held || (other->m_held == share.m_held && other->m_order < share.m_order)))
            return false;
    }
    return true;
}

void MemoryBudget::giveBack(Share &share, qint64 bytes)
{
    if (bytes <= 0)
        return;
    {
        QMutexLocker lock(&m_mutex);
        bytes = std::min(bytes, share.m_held);
        share.m_held -= bytes;
        m_used -= bytes;
        m_room.wakeAll();
    }
    Q_EMIT released();
}

MemoryBudget::Share::Share(MemoryBudget *budget)
    : m_budget(budget)
{
    QMutexLocker lock(&budget->m_mutex);
    m_order = budget->m_nextOrder++;
    budget->m_shares.append(this);
}

MemoryBudget::Share::~Share()
{
    m_budget->giveBack(*this, m_held);
    {
        QMutexLocker lock(&m_budget->m_mutex);
        m_budget->m_shares.removeOne(this);
        // The largest holder may have changed: let waiters look again.
        m_budget->m_room.wakeAll();
    }
    Q_EMIT m_budget->released();
}

bool MemoryBudget::Share::tryTake(qint64 bytes)
{
    QMutexLocker lock(&m_budget->m_mutex);
    if (!m_budget->grantable(*this, bytes))
        return false;
    m_held += bytes;
    m_budget->m_used += bytes;
    return true;
}

void MemoryBudget::Share::take(qint64 bytes)
{
    QMutexLocker lock(&m_budget->m_mutex);
    if (!m_budget->grantable(*this, bytes)) {
        // The work that would give room back may be queued behind this thread.
        BackgroundPriority::pool()->releaseThread();
        while (!m_budget->grantable(*this, bytes))
            m_budget->m_room.wait(&m_budget->m_mutex);
        BackgroundPriority::pool()->reserveThread();
    }
    m_held += bytes;
    m_budget->m_used += bytes;
}

void MemoryBudget::Share::giveBack(qint64 bytes)
{
    m_budget->giveBack(*this, bytes);
}

qint64 MemoryBudget::Share::held() const
{
    QMutexLocker lock(&m_budget->m_mutex);
    return m_held;
}
