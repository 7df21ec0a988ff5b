#pragma once

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QColor>
#include <QSize>
#include <QHash>
#include <QHttpServerResponder>
#include <QList>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

// A real HTTP server on 127.0.0.1 for tests. Every path is answered from a table; answers
// can be held back (to control the order in which clients see them) or never given.
class TestServer : public QAbstractHttpServer
{
    Q_OBJECT
public:
    struct Answer
    {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "text/plain; charset=utf-8";
        bool stall = false; // accept the request and never answer
        // Sent with the answer; a request that names them (If-None-Match, or If-Modified-Since
        // when there is no tag) is answered 304 Not Modified, unless conditions are ignored.
        QByteArray etag;
        QByteArray lastModified;
        bool ignoreConditions = false;
    };

    explicit TestServer(QObject *parent = nullptr);

    // Base address with a trailing slash, e.g. "http://127.0.0.1:41234/".
    [[nodiscard]] QString baseUrl() const;
    [[nodiscard]] QString url(const QString &path) const { return baseUrl() + path; } // path without leading slash

    void serve(const QString &path, Answer answer) { m_answers.insert(path, std::move(answer)); }
    void serve(const QString &path, const QByteArray &body, int status = 200);

    // A Release path not served is answered 404 at once, never held nor counted.
    // While holding, requests are queued instead of answered; release() answers them in
    // arrival order.
    void setHolding(bool holding) { m_holding = holding; }
    void release();
    // Answers only the held requests for one path.
    void releaseOne(const QString &path);

    [[nodiscard]] int requestCount(const QString &path) const { return m_counts.value(path); }
    [[nodiscard]] int notModifiedCount() const { return m_notModified; }
    // A header of the last request for `path`, empty when it had none.
    [[nodiscard]] QByteArray lastHeader(const QString &path, const QByteArray &name) const;
    [[nodiscard]] int totalRequests() const { return m_total; }
    [[nodiscard]] int heldCount() const { return int(m_held.size()); }
    // Spins the event loop until at least n requests arrived in all (or timeout).
    bool waitForRequests(int n, int timeoutMs = 10'000);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &, QTcpSocket *) override { }

private:
    struct Held
    {
        QString path;
        std::shared_ptr<QHttpServerResponder> responder;
    };
    void answer(const QString &path, QHttpServerResponder &responder);
    bool answerNotModified(const QString &path, QHttpServerResponder &responder);

    quint16 m_port = 0;
    QHash<QString, Answer> m_answers;
    QHash<QString, int> m_counts;
    QHash<QString, QList<QPair<QByteArray, QByteArray>>> m_lastHeaders;
    int m_notModified = 0;
    QList<Held> m_held;
    QList<std::shared_ptr<QHttpServerResponder>> m_stalled;
    bool m_holding = false;
    int m_total = 0;
};

// Serves `body` in pieces of `piece` bytes, one every `intervalMs`, with its Content-Length or,
// when `withLength` is false, ending it by closing; after `stallAfter` bytes it stalls.
class PacedServer : public QTcpServer
{
public:
    PacedServer(QByteArray body, int piece, int intervalMs, qint64 stallAfter = -1, bool withLength = true)
    {
        listen(QHostAddress::LocalHost);
        const qint64 end = stallAfter >= 0 ? std::min<qint64>(stallAfter, body.size()) : body.size();
        connect(this, &QTcpServer::newConnection, this, [=, this] {
            QTcpSocket *socket = nextPendingConnection();
            auto *timer = new QTimer(socket);
            auto sent = std::make_shared<qint64>(0); // each request gets the whole body
            connect(socket, &QTcpSocket::disconnected, timer, &QTimer::stop);
            connect(socket, &QTcpSocket::readyRead, socket, [=] {
                socket->readAll();
                if (timer->isActive())
                    return;
                const QByteArray header = withLength ? "Content-Length: " + QByteArray::number(body.size()) : QByteArray("Connection: close");
                socket->write("HTTP/1.1 200 OK\r\n" + header + "\r\n\r\n");
                timer->start(intervalMs);
            });
            connect(timer, &QTimer::timeout, socket, [=, this] {
                if (*sent >= end) {
                    timer->stop();
                    return withLength ? void() : socket->disconnectFromHost();
                }
                const qint64 n = std::min<qint64>(piece, end - *sent);
                socket->write(body.mid(*sent, n));
                *sent += n;
                m_sent += n;
            });
        });
    }
    [[nodiscard]] QString url() const { return QStringLiteral("http://127.0.0.1:%1/Packages").arg(serverPort()); }
    [[nodiscard]] qint64 sent() const { return m_sent; } // by every request together

private:
    qint64 m_sent = 0;
};

// Points the application's data folder (VEXLO_DATA_DIR) and the platform's cache folder
// (XDG_CACHE_HOME) at fresh temporary folders for the lifetime of the object, so no test
// touches the user's real data or cache.
class TempDataDir
{
public:
    TempDataDir();
    ~TempDataDir();
    [[nodiscard]] QString path() const { return m_dir.path(); }
    [[nodiscard]] QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_cache;
    std::optional<QByteArray> m_previous;
    std::optional<QByteArray> m_previousCache;
};

// What `call` writes to standard output (the application's console lines).
[[nodiscard]] QByteArray captureStdout(const std::function<void()> &call);

namespace TestData {
// Folder of the real-world indexes (…/shared/corpus/repos), or empty when not present.
[[nodiscard]] QString corpusReposDir();
// A fixture file of this project (tests/fixtures/NAME).
[[nodiscard]] QByteArray fixture(const QString &name);
[[nodiscard]] QByteArray readFile(const QString &path);
// A picture of one colour, encoded ("png", "jpeg", "webp", …).
[[nodiscard]] QByteArray picture(const char *format = "png", QSize size = {40, 20}, QColor colour = Qt::red);
} // namespace TestData

// Skips the current test with a message when the shared corpus is absent.
#define REQUIRE_CORPUS(dirVar)                                                                 \
    const QString dirVar = TestData::corpusReposDir();                                         \
    if (dirVar.isEmpty())                                                                      \
        QSKIP("shared corpus of real indexes not found (set VEXLO_SHARED_DIR); skipped")
