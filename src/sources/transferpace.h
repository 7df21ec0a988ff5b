#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>

// Watches how fast one download moves: it has stalled when no byte came for `idleMs`, and is
// too slow when fewer than `minBytes` came in any window of `windowMs`. The clock stops while
// the download is paused by its reader (waiting for memory), which is no fault of the server.
class TransferPace : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        int idleMs = 60'000;
        int windowMs = 60'000;
        qint64 minBytes = 1024;
    };

    explicit TransferPace(const Limits &limits, QObject *parent = nullptr);

    // Starts or restarts the watch, as for a new request.
    void start();
    void stop();
    void received(qint64 bytes);
    void pause();
    void resume();
    [[nodiscard]] bool isPaused() const { return m_paused; }

Q_SIGNALS:
    void stalled();
    void tooSlow();

private:
    void sample();

    struct Sample
    {
        qint64 atMs;
        qint64 total;
    };

    Limits m_limits;
    QTimer m_idle;
    QTimer m_tick;
    QElapsedTimer m_clock;
    std::deque<Sample> m_samples;
    qint64 m_total = 0;
    bool m_paused = false;
};
