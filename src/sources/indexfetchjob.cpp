#include "indexfetchjob.h"

#include "conditionalrequest.h"
#include "hugepages.h"

#include "platform/backgroundpriority.h"

#include <QFutureWatcher>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QtConcurrent>

#include <algorithm>
#include <climits>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Names under which sources publish their index compressed, in the order they are tried.
constexpr QStringView compressedSuffixes[] = {u".zst", u".xz", u".bz2", u".gz"};

// A server-announced length is trusted for preallocation only up to this.
constexpr qint64 maxPreallocation = qint64(64) << 20;

// The most a reply holds before the main thread takes it: the network thread waits for room,
// so no single hand-over copies more than this, however long the main thread was busy.
constexpr qint64 replyBufferBytes = qint64(1) << 20;

QString sizeText(qint64 bytes)
{
    return bytes % (1 << 20) == 0 ? u"%1 MiB"_s.arg(bytes >> 20) : u"%1 bytes"_s.arg(bytes);
}

// `answered`: the server sent a response before the error. Without one, an error Qt does not
// name (a proxy that refuses an https tunnel is reported as unknown) means no connection.
IndexError::Cause networkCause(QNetworkReply::NetworkError error, bool answered)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
        return IndexError::Cause::NoConnection;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::ProxyTimeoutError:
        return IndexError::Cause::Timeout;
    case QNetworkReply::SslHandshakeFailedError:
        return IndexError::Cause::SecureConnection;
    default:
        return answered ? IndexError::Cause::Other : IndexError::Cause::NoConnection;
    }
}

} // namespace

std::optional<IndexError> indexAddressError(const QString &text, const QUrl &url)
{
    if (text.isEmpty() || !url.isValid())
        return IndexError{IndexError::Kind::BadUrl, u"not a valid address"_s};
    const QString scheme = url.scheme();
    if ((scheme == u"http" || scheme == u"https") && url.host().isEmpty())
        return IndexError{IndexError::Kind::BadUrl, u"address without a host"_s};
    return std::nullopt;
}

IndexFetchJob::IndexFetchJob(QObject *context, const FetchOptions &options, Work work, std::function<void(Outcome &&)> finish)
    : QObject(options.manager ? options.manager : NetworkAccess::manager())
    , m_context(context)
    , m_manager(qobject_cast<QNetworkAccessManager *>(parent()))
    , m_options(options)
    , m_work(std::move(work))
    , m_finish(std::move(finish))
    , m_budget(options.budget ? options.budget : MemoryBudget::shared())
    , m_share(m_budget->share())
    , m_pace({options.transferTimeoutMs, options.lowSpeedWindowMs, options.lowSpeedBytes})
{
    Q_ASSERT(context && context->thread() == QThread::currentThread());
    Q_ASSERT(m_manager->thread() == QThread::currentThread());
    connect(context, &QObject::destroyed, this, &IndexFetchJob::cancel);
    connect(&m_pace, &TransferPace::stalled, this, [this] { abortReply(Abort::Stalled); });
    connect(&m_pace, &TransferPace::tooSlow, this, [this] { abortReply(Abort::TooSlow); });
    // Queued: room may be given back on any thread, or in the middle of another fetch.
    connect(m_budget, &MemoryBudget::released, this, &IndexFetchJob::onRoom, Qt::QueuedConnection);
}

void IndexFetchJob::start(const QString &from)
{
    const QUrl url(from, QUrl::StrictMode);
    if (const auto error = indexAddressError(from, url))
        return failLater(*error);
    // Text without a scheme is a relative address: valid, but nothing to fetch.
    if (url.isRelative())
        return failLater({IndexError::Kind::Network, u"unsupported address (no scheme)"_s});

    m_candidates.append(url);
    for (QStringView suffix : compressedSuffixes) {
        if (!m_options.compressedNames)
            break;
        QUrl candidate = url;
        candidate.setPath(url.path(QUrl::FullyEncoded) + suffix, QUrl::TolerantMode);
        if (candidate.isValid())
            m_candidates.append(candidate);
    }
    if (m_options.revalidate)
        m_options.revalidate = m_options.revalidate->bounded();
    if (m_options.revalidate && m_options.revalidate->canRevalidate()) {
        const auto asked = std::find_if(m_candidates.cbegin(), m_candidates.cend(), [this](const QUrl &candidate) {
            return candidate.toString(QUrl::FullyEncoded) == m_options.revalidate->address;
        });
        if (asked != m_candidates.cend())
            m_conditional = *asked;
    }
    request();
}

void IndexFetchJob::request()
{
    dropBody();
    m_received = 0;
    m_announced = -1;
    m_abort = Abort::None;
    m_status = 0;
    m_ended = false;
    QNetworkRequest request(m_conditional ? *m_conditional : m_candidates.at(m_attempt));
    if (m_conditional)
        ConditionalRequest::addConditions(request, *m_options.revalidate);
    // The pace watch keeps time instead: a reply waiting for memory is no stalled server.
    request.setTransferTimeout(INT_MAX);
    // Kept after it finished until its rest could be taken; deleted here when done.
    request.setAttribute(QNetworkRequest::AutoDeleteReplyOnFinishAttribute, false);
    m_reply = m_manager->get(request);
    m_pace.start();
    m_reply->setReadBufferSize(replyBufferBytes);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &IndexFetchJob::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, &IndexFetchJob::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &IndexFetchJob::onFinished);
}

void IndexFetchJob::abortReply(Abort why)
{
    if (!m_reply)
        return;
    m_abort = why;
    m_pace.stop();
    if (m_ended)
        return onFinished(); // all had arrived; the rest waited for memory
    m_reply->abort(); // finishes the reply at once
}

void IndexFetchJob::dropBody()
{
    m_body = QByteArray();
    m_share->giveBack(m_share->held());
}

void IndexFetchJob::onMetaData()
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300 && status < 400)
        return; // a redirect on its way
    if (status >= 400) {
        m_status = status; // its page is read and dropped
        return;
    }
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid()) {
        if (length.toLongLong() > m_options.maxBytes)
            return abortReply(Abort::TooLarge);
        m_announced = length.toLongLong();
        // Only with room to spare; otherwise the body grows as it arrives.
        const qint64 room = std::min(length.toLongLong(), maxPreallocation);
        if (room > m_body.capacity() && m_share->tryTake(room - m_share->held())) {
            m_body.reserve(qsizetype(room));
            adviseHugePages(m_body.data(), std::size_t(m_body.capacity()));
            prefaultElsewhere(m_body.data() + m_body.size(), std::size_t(m_body.capacity() - m_body.size()));
        }
    }
}

void IndexFetchJob::onReadyRead()
{
    if (m_pace.isPaused())
        return; // onRoom reads on
    drain();
}

void IndexFetchJob::onRoom()
{
    if (m_reply && m_pace.isPaused())
        drain();
}

void IndexFetchJob::drain()
{
    switch (take(m_reply)) {
    case Take::Wait:
        return m_pace.pause();
    case Take::TooLarge:
        return abortReply(m_status >= 400 ? Abort::HttpStatus : Abort::TooLarge);
    case Take::Done:
        m_pace.resume();
        if (m_ended)
            onFinished();
    }
}

IndexFetchJob::Take IndexFetchJob::take(QNetworkReply *reply)
{
    const qint64 available = reply->bytesAvailable();
    if (available <= 0)
        return Take::Done;
    if (m_received + available > m_options.maxBytes)
        return Take::TooLarge;
    if (m_status >= 400) {
        m_received += available;
        m_bytesReceived += available;
        m_pace.received(available);
        reply->skip(available);
        return Take::Done;
    }
    const qint64 size = m_body.size();
    if (size + available > m_body.capacity()) {
        // Doubling keeps copies few; what the body may hold bounds the growth.
        const qint64 capacity = std::max(size + available, std::min(qint64(m_body.capacity()) * 2, m_options.maxBytes));
        if (!m_share->tryTake(capacity - m_share->held()))
            return Take::Wait;
        m_body.reserve(qsizetype(capacity));
        prefaultElsewhere(m_body.data() + size, std::size_t(m_body.capacity() - size));
    }
    // Straight into the body: readAll() would copy every byte once more, on the main thread.
    m_body.resize(qsizetype(size + available));
    const qint64 read = std::max<qint64>(reply->read(m_body.data() + size, available), 0);
    m_body.resize(qsizetype(size + read));
    m_received += read;
    m_bytesReceived += read;
    m_pace.received(read);
    if (m_options.progress && m_announced > 0)
        m_options.progress(m_body.size(), m_announced);
    return Take::Done;
}

IndexError IndexFetchJob::tooLarge() const
{
    return {IndexError::Kind::TooLarge, u"larger than "_s + sizeText(m_options.maxBytes)};
}

void IndexFetchJob::onFinished()
{
    m_ended = true;
    QNetworkReply *const reply = m_reply;
    if (m_abort == Abort::None && reply->error() == QNetworkReply::NoError) {
        // The rest of the body may still have to wait for room.
        const Take last = take(reply);
        if (last == Take::Wait)
            return m_pace.pause();
        if (last == Take::TooLarge)
            m_abort = Abort::TooLarge;
    }
    m_reply = nullptr;
    m_pace.stop();
    reply->disconnect(this);
    reply->deleteLater();

    const int status = m_status ? m_status : reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_abort == Abort::TooLarge)
        return failed(tooLarge());
    if (status == ConditionalRequest::notModified && reply->error() == QNetworkReply::NoError) {
        if (!m_conditional)
            return failed({IndexError::Kind::HttpStatus, u"HTTP 304 to a request without validators"_s,
                           IndexError::Cause::Other, status});
        return deliver({{}, {}, {}, {}, true, ConditionalRequest::validatorsOf(*reply, *m_conditional)});
    }
    if (status >= 400) {
        const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        return failed({IndexError::Kind::HttpStatus, u"HTTP %1 %2"_s.arg(status).arg(reason).trimmed(),
                       IndexError::Cause::Other, status});
    }
    if (m_abort == Abort::Stalled || reply->error() == QNetworkReply::TimeoutError)
        return failed({IndexError::Kind::Network,
                       u"no data for %1 s"_s.arg(double(m_options.transferTimeoutMs) / 1000.0),
                       IndexError::Cause::Timeout});
    if (m_abort == Abort::TooSlow)
        return failed({IndexError::Kind::Network,
                       u"less than %1 bytes in %2 s"_s.arg(m_options.lowSpeedBytes)
                           .arg(double(m_options.lowSpeedWindowMs) / 1000.0),
                       IndexError::Cause::Timeout});
    if (reply->error() != QNetworkReply::NoError)
        return failed({IndexError::Kind::Network, reply->errorString(), networkCause(reply->error(), status != 0)});

    m_validators = ConditionalRequest::validatorsOf(*reply, m_conditional ? *m_conditional : m_candidates.at(m_attempt));
    decode(std::exchange(m_body, {}));
}

void IndexFetchJob::decode(QByteArray body)
{
    auto *watcher = new QFutureWatcher<Outcome>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        // The only reference to the records, handed on rather than copied: whoever ends up
        // with the last reference decides on which thread they are freed.
        Outcome outcome = watcher->future().takeResult();
        watcher->deleteLater();
        if (outcome.error) {
            failed(*outcome.error);
        } else {
            outcome.validators = std::move(m_validators);
            deliver(std::move(outcome));
        }
    });
    watcher->setFuture(QtConcurrent::run(
        BackgroundPriority::pool(),
        [work = m_work, share = m_share, maxBytes = m_options.maxBytes](QByteArray body) {
            BackgroundPriority::lowerThisThread();
            return work(std::move(body), maxBytes, *share);
        },
        std::move(body)));
}

void IndexFetchJob::failed(const IndexError &error)
{
    // The address asked last time may have gone (the source moved to another compressed
    // name), or a server or proxy may choke on the conditions: any failure of the conditional
    // request starts the ordinary fetch, once.
    if (std::exchange(m_conditional, std::nullopt))
        return request();
    if (m_attempt == 0) {
        if (error.kind != IndexError::Kind::HttpStatus || m_candidates.size() < 2)
            return deliver({{}, {}, error});
        m_firstError = error;
    } else if (error.kind == IndexError::Kind::Network) {
        return deliver({{}, {}, m_firstError});
    }
    if (++m_attempt < m_candidates.size())
        return request();
    deliver({{}, {}, m_firstError});
}

void IndexFetchJob::failLater(const IndexError &error)
{
    QMetaObject::invokeMethod(this, [this, error] { deliver({{}, {}, error}); }, Qt::QueuedConnection);
}

void IndexFetchJob::deliver(Outcome &&outcome)
{
    outcome.bytesReceived = m_bytesReceived;
    dropBody();
    auto finish = std::exchange(m_finish, nullptr);
    deleteLater();
    if (finish && m_context)
        finish(std::move(outcome));
}

void IndexFetchJob::cancel()
{
    m_finish = nullptr;
    m_pace.stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    deleteLater();
}
