#pragma once

#include <QList>
#include <QMutex>
#include <QObject>
#include <QWaitCondition>

#include <memory>

// Memory that index downloads and their decoding hold together. Each fetch draws on it
// through a Share; a fetch that finds no room waits until others give some back, rather than
// failing. The largest holder is never made to wait, so some fetch always moves on and every
// wait ends: together the holders stay within the capacity, except that the largest may pass
// it by up to its own limit of one index.
class MemoryBudget : public QObject
{
    Q_OBJECT
public:
    explicit MemoryBudget(qint64 capacity, QObject *parent = nullptr);

    // The budget of all index fetches of the application.
    [[nodiscard]] static MemoryBudget *shared();
    static constexpr qint64 sharedCapacity = qint64(64) << 20;

    [[nodiscard]] qint64 capacity() const { return m_capacity; }
    [[nodiscard]] qint64 used() const;

    // One holder's part. Thread-safe; gives everything back when destroyed.
    class Share
    {
    public:
        explicit Share(MemoryBudget *budget);
        ~Share();
        Share(const Share &) = delete;
        Share &operator=(const Share &) = delete;

        // Takes `bytes` more when there is room, or when this is the largest holder; false
        // otherwise: wait for MemoryBudget::released and try again.
        [[nodiscard]] bool tryTake(qint64 bytes);
        // Blocks until `bytes` more could be taken. For work on the background priority pool, whose
        // place is lent to other work meanwhile.
        void take(qint64 bytes);
        void giveBack(qint64 bytes);
        [[nodiscard]] qint64 held() const;

    private:
        friend class MemoryBudget;
        MemoryBudget *m_budget;
        qint64 m_held = 0;
        quint64 m_order;
    };

    [[nodiscard]] std::shared_ptr<Share> share() { return std::make_shared<Share>(this); }

Q_SIGNALS:
    // Some room was given back; emitted on the thread that gave it.
    void released();

private:
    bool grantable(const Share &share, qint64 bytes) const; // with m_mutex held
    void giveBack(Share &share, qint64 bytes);

    const qint64 m_capacity;
    mutable QMutex m_mutex;
    QWaitCondition m_room;
    QList<Share *> m_shares;
    qint64 m_used = 0;
    quint64 m_nextOrder = 0;
};
