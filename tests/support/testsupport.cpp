#include "testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QTemporaryFile>
#include <QTest>

#include <cstdio>
#include <unistd.h>

TestServer::TestServer(QObject *parent)
    : QAbstractHttpServer(parent)
{
    m_port = listen(QHostAddress::LocalHost, 0);
    Q_ASSERT(m_port != 0);
}

QString TestServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_port);
}

void TestServer::serve(const QString &path, const QByteArray &body, int status)
{
    serve(path, Answer{status, body});
}

void TestServer::release()
{
    for (Held &h : std::exchange(m_held, {})) {
        answer(h.path, *h.responder);
        // Give the client a chance to see each answer before the next one.
        QCoreApplication::processEvents();
    }
}

void TestServer::releaseOne(const QString &path)
{
    for (qsizetype i = 0; i < m_held.size();) {
        if (m_held.at(i).path == path) {
            Held h = m_held.takeAt(i);
            answer(h.path, *h.responder);
        } else {
            ++i;
        }
    }
}

bool TestServer::waitForRequests(int n, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_total >= n; }, timeoutMs);
}

bool TestServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    QString path = request.url().path();
    if (path.startsWith(u'/'))
        path.remove(0, 1);
    // Sources ask for a Release beside every index: one that no test serves is answered at
    // once and not counted, so tests about indexes see index requests only.
    if (path.endsWith(u"Release") && !m_answers.contains(path)) {
        auto responder = makeResponder(request, socket);
        answer(path, responder);
        return true;
    }
    ++m_total;
    ++m_counts[path];
    m_lastHeaders.insert(path, request.headers());

    auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
    if (m_answers.value(path).stall) {
        m_stalled.append(responder);
        return true;
    }
    if (m_holding) {
        m_held.append({path, responder});
        return true;
    }
    if (answerNotModified(path, *responder))
        return true;
    answer(path, *responder);
    return true;
}

void TestServer::answer(const QString &path, QHttpServerResponder &responder)
{
    const auto it = m_answers.constFind(path);
    if (it == m_answers.cend()) {
        responder.write(QByteArrayLiteral("<html><body>Not Found</body></html>"), "text/html",
                        QHttpServerResponder::StatusCode::NotFound);
        return;
    }
    responder.writeStatusLine(QHttpServerResponder::StatusCode(it->status));
    responder.writeHeader("Content-Type", it->contentType);
    responder.writeHeader("Content-Length", QByteArray::number(it->body.size()));
    if (!it->etag.isEmpty())
        responder.writeHeader("ETag", it->etag);
    if (!it->lastModified.isEmpty())
        responder.writeHeader("Last-Modified", it->lastModified);
    responder.writeBody(it->body);
}

QByteArray TestServer::lastHeader(const QString &path, const QByteArray &name) const
{
    for (const auto &[key, value] : m_lastHeaders.value(path)) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

bool TestServer::answerNotModified(const QString &path, QHttpServerResponder &responder)
{
    const auto it = m_answers.constFind(path);
    if (it == m_answers.cend() || it->ignoreConditions || it->status != 200)
        return false;
    const QByteArray tag = lastHeader(path, "If-None-Match");
    const bool matches = !it->etag.isEmpty() ? tag == it->etag
                                             : !it->lastModified.isEmpty() && lastHeader(path, "If-Modified-Since") == it->lastModified;
    if (!matches)
        return false;
    ++m_notModified;
    responder.writeStatusLine(QHttpServerResponder::StatusCode::NotModified);
    if (!it->etag.isEmpty())
        responder.writeHeader("ETag", it->etag);
    responder.writeBody(QByteArray());
    return true;
}

namespace {

std::optional<QByteArray> environment(const char *name)
{
    return qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
}

void restore(const char *name, const std::optional<QByteArray> &value)
{
    value ? qputenv(name, *value) : qunsetenv(name);
}

} // namespace

TempDataDir::TempDataDir()
    : m_previous(environment("VEXLO_DATA_DIR"))
    , m_previousCache(environment("XDG_CACHE_HOME"))
{
    qputenv("VEXLO_DATA_DIR", m_dir.path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", m_cache.path().toLocal8Bit());
}

TempDataDir::~TempDataDir()
{
    restore("VEXLO_DATA_DIR", m_previous);
    restore("XDG_CACHE_HOME", m_previousCache);
}

QByteArray captureStdout(const std::function<void()> &call)
{
    QTemporaryFile sink;
    if (!sink.open())
        return {};
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    dup2(sink.handle(), STDOUT_FILENO);
    call();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    sink.seek(0);
    return sink.readAll();
}

QString TestData::corpusReposDir()
{
    const QDir repos(qEnvironmentVariable("VEXLO_SHARED_DIR") + u"/corpus/repos");
    return qEnvironmentVariableIsEmpty("VEXLO_SHARED_DIR") || !repos.exists() ? QString() : repos.absolutePath();
}

QByteArray TestData::readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray TestData::fixture(const QString &name)
{
    return readFile(QStringLiteral(FIXTURES_DIR "/") + name);
}

QByteArray TestData::picture(const char *format, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}
