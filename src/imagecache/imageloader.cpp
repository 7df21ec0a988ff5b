#include "imageloader.h"

#include "imagecache/localimage.h"
#include "imagecache/rasterpicture.h"
#include "platform/datadir.h"
#include "platform/networkaccess.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// Whether the reply's body is what the server sent in full. A body sent with an error status
// counts (a picture served as 404 is still a picture); one cut short by the network does not.
bool bodyIsComplete(const QNetworkReply *reply)
{
    const QNetworkReply::NetworkError error = reply->error();
    if (error == QNetworkReply::NoError)
        return true;
    if (!reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        return false;
    const bool transportError = error < QNetworkReply::ProxyConnectionRefusedError
        || error == QNetworkReply::ProtocolFailure;
    return !transportError;
}

QString memoryKey(const QString &url, QSize box)
{
    return url + u'\n' + QString::number(box.width()) + u'x' + QString::number(box.height());
}

int costKiB(const QImage &image)
{
    return int(image.sizeInBytes() >> 10) + 1;
}

// The product's own pictures, read from the resources: "qrc:/x" (with any query, which only
// tells versions apart) is the resource ":/x".
QString bundledPath(const QString &url)
{
    if (url.startsWith(u"qrc:/"))
        return u':' + QUrl(url).path();
    return url.startsWith(u":/") ? url : QString();
}

} // namespace

ImageLoader::ImageLoader(QObject *parent)
    : QObject(parent)
    , m_memory(int(defaultMemoryBytes >> 10))
{
    // One picture at a time: a picture of the largest size allowed needs 64 MiB while it is
    // decoded, and the pool that decodes indexes stays free.
    m_decoders.setMaxThreadCount(1);
    m_decoders.setObjectName(QStringLiteral("PictureDecoder"));
    m_saver.setMaxThreadCount(1);
    m_saver.setObjectName(QStringLiteral("PictureSaver"));
    m_saver.start([this] {
        CacheBound::dropFromDataFolder(DataDir::path());
        m_bound.trim();
    });
}

ImageLoader::~ImageLoader()
{
    m_decoders.clear();
    m_decoders.waitForDone();
    // The files are written; completions still queued for this object are dropped with it.
    m_saver.waitForDone();
    for (const QPointer<QNetworkReply> &reply : std::as_const(m_fetches)) {
        if (reply) {
            reply->disconnect(this);
            reply->abort();
        }
    }
}

ImageLoader *ImageLoader::instance()
{
    static ImageLoader *const loader = new ImageLoader(QCoreApplication::instance());
    return loader;
}

ImageLoader::State ImageLoader::request(const QString &url, QSize box, QImage *image)
{
    if (const QImage *known = m_memory.object(memoryKey(url, box))) {
        *image = *known;
        return State::Ready;
    }
    if (m_failed.contains(url))
        return State::Failed;
    const QUrl address(url, QUrl::StrictMode);
    if (bundledPath(url).isEmpty() && (url.isEmpty() || !address.isValid() || address.isRelative())) {
        m_failed.insert(url); // nothing to download
        return State::Failed;
    }
    Pending &pending = m_pending[url];
    if (pending.boxes.contains(box))
        return State::Loading;
    pending.boxes.append(box);
    if (pending.fetching)
        return State::Loading; // the download's picture is decoded for every box waiting
    if (!bundledPath(url).isEmpty())
        decodeBundled(url, box);
    else if (const auto saving = m_saving.constFind(url); saving != m_saving.cend())
        decodeBytes(url, {box}, saving->bytes, false);
    else
        decodeFile(url, box);
    return State::Loading;
}

bool ImageLoader::isFetching(const QString &url) const
{
    return m_fetches.contains(url);
}

void ImageLoader::setDiskBytes(qint64 bytes)
{
    m_saver.start([this, bytes] {
        m_bound.setMaxBytes(bytes);
        m_bound.trim();
    });
}

void ImageLoader::decodeFile(const QString &url, QSize box)
{
    const QString path = imageCacheFilePath(url);
    decode([path, box] { return path.isEmpty() ? QImage() : readImageFile(path, box); })
        .then(this, [this, url, box](const QImage &image) {
            if (!image.isNull())
                return deliver(url, box, image);
            // No file, or none that holds a picture: download it, unless the picture came or
            // failed meanwhile for another view.
            const auto pending = m_pending.constFind(url);
            if (pending == m_pending.cend() || !pending->boxes.contains(box) || pending->fetching)
                return;
            fetch(url);
        });
}

void ImageLoader::decodeBytes(const QString &url, const QList<QSize> &boxes, const QByteArray &bytes, bool downloaded)
{
    decode([bytes, boxes] {
        QList<QImage> images;
        for (const QSize box : boxes) {
            images.append(RasterPicture::decode(bytes, box));
            if (images.last().isNull())
                break; // the same bytes fail for every box
        }
        return images;
    })
        .then(this, [this, url, boxes, bytes, downloaded](const QList<QImage> &images) {
            if (downloaded) {
                m_fetches.remove(url);
                if (const auto pending = m_pending.find(url); pending != m_pending.end())
                    pending->fetching = false;
            }
            if (images.isEmpty() || images.last().isNull())
                return fail(url);
            for (qsizetype i = 0; i < boxes.size(); ++i)
                deliver(url, boxes.at(i), images.at(i));
            if (downloaded)
                save(bytes, url);
            // Views that asked while the download was being decoded.
            if (const auto pending = m_pending.constFind(url); pending != m_pending.cend() && !pending->boxes.isEmpty())
                decodeBytes(url, pending->boxes, bytes, false);
        });
}

void ImageLoader::decodeBundled(const QString &url, QSize box)
{
    decode([path = bundledPath(url), box] { return RasterPicture::decodeBundled(path, box); })
        .then(this, [this, url, box](const QImage &image) {
            if (image.isNull())
                fail(url);
            else
                deliver(url, box, image);
        });
}

void ImageLoader::fetch(const QString &url)
{
    const QUrl address(url, QUrl::StrictMode);
    m_pending[url].fetching = true;
    QNetworkReply *reply = NetworkAccess::manager()->get(QNetworkRequest(address));
    m_fetches.insert(url, reply);
    // Give up as soon as the picture is known to be too large, before it is held in memory.
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > m_maxBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64 total) {
        if (received > m_maxBytes || total > m_maxBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, url, reply] { onReplyFinished(url, reply); });
}

void ImageLoader::onReplyFinished(const QString &url, QNetworkReply *reply)
{
    reply->deleteLater();
    const QByteArray body = bodyIsComplete(reply) ? reply->readAll() : QByteArray();
    if (body.isEmpty()) {
        m_fetches.remove(url);
        return fail(url);
    }
    m_fetches[url] = nullptr; // decoding: still no second download
    decodeBytes(url, m_pending.value(url).boxes, body, true);
}

void ImageLoader::deliver(const QString &url, QSize box, const QImage &image)
{
    m_memory.insert(memoryKey(url, box), new QImage(image), costKiB(image));
    if (auto pending = m_pending.find(url); pending != m_pending.end()) {
        pending->boxes.removeAll(box);
        if (pending->boxes.isEmpty() && !pending->fetching)
            m_pending.erase(pending);
    }
    Q_EMIT ready(url, box, image);
}

void ImageLoader::fail(const QString &url)
{
    m_failed.insert(url);
    m_pending.remove(url);
    m_fetches.remove(url);
    Q_EMIT failed(url);
}

void ImageLoader::save(const QByteArray &bytes, const QString &url)
{
    const QString path = imageCacheFilePath(url);
    if (path.isEmpty())
        return;
    Saving &saving = m_saving[url];
    saving.bytes = bytes;
    ++saving.queued;
    m_saver.start([this, bytes, path, url] {
        if (writeImageFile(bytes, path))
            m_bound.added(bytes.size());
        QMetaObject::invokeMethod(
            this,
            [this, url] {
                if (const auto saving = m_saving.find(url); saving != m_saving.end() && --saving->queued == 0)
                    m_saving.erase(saving);
            },
            Qt::QueuedConnection);
    });
}

void ImageLoader::waitForSaves()
{
    m_saver.waitForDone();
    // Their completions are queued for this thread; take them in now.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
