#pragma once

#include "testsupport.h"

#include <QObject>
#include <QThread>

#include <functional>

// The server on its own thread, as a remote one would be: sending 50 MB is not the client's work.
class ServerThread
{
public:
    ServerThread()
    {
        m_thread.start();
        m_context.moveToThread(&m_thread);
        run([this] { m_server = new TestServer; });
    }
    ~ServerThread()
    {
        run([this] { delete m_server; });
        m_thread.quit();
        m_thread.wait();
    }
    void serve(const QString &path, const QByteArray &body, const QByteArray &etag)
    {
        run([&] { m_server->serve(path, {200, body, "text/plain", false, etag, {}}); });
    }
    [[nodiscard]] QString url(const QString &path)
    {
        QString url;
        run([&] { url = m_server->url(path); });
        return url;
    }
    // Full answers and 304s so far.
    [[nodiscard]] std::pair<int, int> answers()
    {
        std::pair<int, int> counts;
        run([&] { counts = {m_server->totalRequests() - m_server->notModifiedCount(), m_server->notModifiedCount()}; });
        return counts;
    }

private:
    void run(const std::function<void()> &call) { QMetaObject::invokeMethod(&m_context, call, Qt::BlockingQueuedConnection); }

    QThread m_thread;
    QObject m_context;
    TestServer *m_server = nullptr;
};
