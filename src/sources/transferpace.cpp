#include "transferpace.h"

#include <algorithm>

namespace {

// Samples per window: the window is checked to within this fraction of its length.
constexpr int samplesPerWindow = 12;

} // namespace

TransferPace::TransferPace(const Limits &limits, QObject *parent)
    : QObject(parent)
    , m_limits(limits)
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(limits.idleMs);
    m_tick.setInterval(std::max(limits.windowMs / samplesPerWindow, 1));
    connect(&m_idle, &QTimer::timeout, this, &TransferPace::stalled);
    connect(&m_tick, &QTimer::timeout, this, &TransferPace::sample);
}

void TransferPace::start()
{
    m_paused = false;
    m_total = 0;
    m_clock.start();
    m_samples.assign(1, {0, 0});
    m_idle.start();
    m_tick.start();
}

void TransferPace::stop()
{
    m_idle.stop();
    m_tick.stop();
}

void TransferPace::received(qint64 bytes)
{
    if (bytes <= 0)
        return;
    m_total += bytes;
    if (!m_paused)
        m_idle.start();
}

void TransferPace::pause()
{
    if (m_paused)
        return;
    m_paused = true;
    stop();
}

void TransferPace::resume()
{
    if (!m_paused)
        return;
    m_paused = false;
    // A fresh window: time spent waiting counts for nothing.
    m_samples.assign(1, {m_clock.elapsed(), m_total});
    m_idle.start();
    m_tick.start();
}

void TransferPace::sample()
{
    const qint64 now = m_clock.elapsed();
    m_samples.push_back({now, m_total});
    // The newest sample that is at least a window old starts the window that ends now.
    const qint64 windowStart = now - m_limits.windowMs;
    if (m_samples.front().atMs > windowStart)
        return; // not a full window yet
    while (m_samples.size() > 1 && m_samples[1].atMs <= windowStart)
        m_samples.pop_front();
    if (m_total - m_samples.front().total < m_limits.minBytes) {
        stop();
        Q_EMIT tooSlow();
    }
}
