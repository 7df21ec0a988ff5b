#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>

#include <functional>
#include <utility>

class QAbstractItemModel;
class TestServer;

// The longest time the main thread went without running a 1 ms timer: while the thread is
// free the timer fires every millisecond, so a longer gap is the longest stretch of work.
// On a shared machine a gap can also be time the thread waited for a core, so the processor
// time the thread itself spent within the gap is kept beside it. With BENCH_TRACE_GAPS set,
// each new longest gap is printed with its end on CLOCK_MONOTONIC, to be matched against
// `perf record -k CLOCK_MONOTONIC`.
class StallMeter : public QObject
{
public:
    struct Stall
    {
        double wallMs = 0; // the longest gap
        double cpuMs = 0;  // the most processor time the thread used within one gap
        long waits = 0;       // times the thread blocked within the longest gap
        long preemptions = 0; // times it was put off a core within the longest gap
    };

    StallMeter();
    void start();
    [[nodiscard]] Stall stop();

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_lastCpu = 0;
    qint64 m_longest = 0;
    qint64 m_longestCpu = 0;
    std::pair<long, long> m_lastSwitches;
    long m_waits = 0;
    long m_preemptions = 0;
    bool m_trace = false;
};

// The tests' local HTTP server, running on its own thread as a remote server would: sending
// 50 MB must not count as work of the application's main thread.
class ServerThread
{
public:
    ServerThread();
    ~ServerThread();
    void serve(const QString &path, const QByteArray &body);
    [[nodiscard]] QString url(const QString &path) const { return m_base + path; }

private:
    void run(const std::function<void()> &call);

    QThread m_thread;
    QObject m_context;
    TestServer *m_server = nullptr;
    QString m_base;
};

// Stands in for the list view: on every signal of a section model it reads each role of the
// rows the signal names, as the delegates would. Counts signals and rows read.
class SectionReader : public QObject
{
public:
    explicit SectionReader(QAbstractItemModel *model);
    int signalCount = 0;
    int rowsRead = 0;

private:
    void read(int first, int last);
    QAbstractItemModel *m_model;
};

// Runs the event loop until `done` holds (checked every millisecond) or `timeoutMs` passes;
// false on timeout.
bool spinUntil(const std::function<bool()> &done, int timeoutMs = 120'000);

// Runs the event loop until the application's store has finished all work asked of it.
void spinUntilStoreIdle();

[[nodiscard]] double median(std::vector<double> values);
