#include "benchsupport.h"

#include "model/asyncrepostore.h"
#include "testsupport.h"

#include <QAbstractItemModel>
#include <QEventLoop>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <time.h>

namespace {

qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::pair<long, long> contextSwitches()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return {usage.ru_nvcsw, usage.ru_nivcsw};
}

} // namespace

StallMeter::StallMeter()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, &StallMeter::tick);
    m_clock.start();
    m_trace = qEnvironmentVariableIsSet("BENCH_TRACE_GAPS");
}

void StallMeter::start()
{
    m_longest = m_longestCpu = 0;
    m_last = m_clock.nsecsElapsed();
    m_lastCpu = threadCpuNs();
    m_lastSwitches = contextSwitches();
    m_timer.start();
}

StallMeter::Stall StallMeter::stop()
{
    tick();
    m_timer.stop();
    return {double(m_longest) / 1e6, double(m_longestCpu) / 1e6, m_waits, m_preemptions};
}

void StallMeter::tick()
{
    const qint64 now = m_clock.nsecsElapsed();
    const qint64 cpu = threadCpuNs();
    const auto switches = contextSwitches();
    if (now - m_last > m_longest) {
        m_longest = now - m_last;
        m_waits = switches.first - m_lastSwitches.first;
        m_preemptions = switches.second - m_lastSwitches.second;
        if (m_trace) {
            timespec t{};
            clock_gettime(CLOCK_MONOTONIC, &t);
            std::fprintf(stderr, "gap %.3f ms ending at %ld.%09ld\n", double(m_longest) / 1e6, long(t.tv_sec), t.tv_nsec);
        }
    }
    m_lastSwitches = switches;
    if (cpu - m_lastCpu > m_longestCpu) {
        m_longestCpu = cpu - m_lastCpu;
        if (m_trace) {
            timespec t{};
            clock_gettime(CLOCK_MONOTONIC, &t);
            std::fprintf(stderr, "cpu %.3f ms in gap %.3f ms ending at %ld.%09ld\n", double(m_longestCpu) / 1e6,
                         double(now - m_last) / 1e6, long(t.tv_sec), t.tv_nsec);
        }
    }
    m_last = now;
    m_lastCpu = cpu;
}

ServerThread::ServerThread()
{
    m_thread.setObjectName(QStringLiteral("Server"));
    m_thread.start();
    m_context.moveToThread(&m_thread);
    run([this] {
        m_server = new TestServer;
        m_base = m_server->baseUrl();
    });
}

ServerThread::~ServerThread()
{
    run([this] { delete m_server; });
    m_thread.quit();
    m_thread.wait();
}

void ServerThread::serve(const QString &path, const QByteArray &body)
{
    run([&] { m_server->serve(path, body); });
}

void ServerThread::run(const std::function<void()> &call)
{
    QMetaObject::invokeMethod(&m_context, call, Qt::BlockingQueuedConnection);
}

SectionReader::SectionReader(QAbstractItemModel *model)
    : m_model(model)
{
    connect(model, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &from, const QModelIndex &to) {
        ++signalCount;
        read(from.row(), to.row());
    });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        ++signalCount;
        read(0, m_model->rowCount() - 1);
    });
    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first, int last) {
        ++signalCount;
        read(first, last);
    });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { ++signalCount; });
}

void SectionReader::read(int first, int last)
{
    const QList<int> roles = m_model->roleNames().keys();
    for (int row = first; row <= last; ++row) {
        for (int role : roles)
            (void)m_model->data(m_model->index(row, 0), role);
        ++rowsRead;
    }
}

bool spinUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(1);
    bool ok = true;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
        else if (clock.elapsed() > timeoutMs)
            ok = false, loop.quit();
    });
    poll.start();
    if (!done())
        loop.exec();
    return ok;
}

void spinUntilStoreIdle()
{
    // The store is asked from another thread, so the main thread keeps running meanwhile.
    auto idle = std::make_shared<std::atomic<bool>>(false);
    AsyncRepoStore *store = AsyncRepoStore::instance(); // made on the main thread
    std::unique_ptr<QThread> waiter(QThread::create([idle, store] {
        store->waitForIdle();
        *idle = true;
    }));
    waiter->start();
    spinUntil([&] { return idle->load(); });
    waiter->wait();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}
