#include "imageloader.h"

#include "imagecache/localimage.h"
#include "platform/networkaccess.h"

#include <QCoreApplication>
#include <QFileInfo>
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

int costKiB(const QImage &image)
{
    return int(image.sizeInBytes() / 1024) + 1;
}

} // namespace

ImageLoader::ImageLoader(QObject *parent)
    : QObject(parent)
    , m_memory(defaultMemoryKiB)
{
    m_saver.setMaxThreadCount(1);
    m_saver.setObjectName(QStringLiteral("ImageSaver"));
}

ImageLoader::~ImageLoader()
{
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

QImage ImageLoader::cached(const QString &url)
{
    const QString path = imageCacheFilePath(url);
    if (path.isEmpty())
        return {};
    if (const auto saving = m_saving.constFind(path); saving != m_saving.cend())
        return saving->image;
    const QFileInfo info(path);
    if (!info.isFile()) {
        m_memory.remove(path);
        return {};
    }
    // The copy in memory stands for the file only while the file is unchanged.
    const Decoded *known = m_memory.object(path);
    if (known && known->modified == info.lastModified() && known->size == info.size())
        return known->image;

    const QImage image = loadImageLocally(url);
    if (image.isNull())
        m_memory.remove(path);
    else
        remember(path, image, info);
    return image;
}

bool ImageLoader::fetch(const QString &url)
{
    if (m_fetches.contains(url))
        return true;
    const QUrl address(url, QUrl::StrictMode);
    if (url.isEmpty() || !address.isValid() || address.isRelative())
        return false;

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
    return true;
}

void ImageLoader::onReplyFinished(const QString &url, QNetworkReply *reply)
{
    QByteArray body = bodyIsComplete(reply) ? reply->readAll() : QByteArray();
    if (body.isEmpty()) {
        onDecoded(url, {});
        return;
    }
    m_fetches[url] = nullptr;
    QtConcurrent::run([body = std::move(body)] { return QImage::fromData(body); })
        .then(this, [this, url](const QImage &image) { onDecoded(url, image); });
}

void ImageLoader::onDecoded(const QString &url, const QImage &image)
{
    m_fetches.remove(url);
    // Views show the picture first; the file follows.
    Q_EMIT fetched(url, image);
    if (!image.isNull())
        save(image, url);
}

void ImageLoader::save(const QImage &image, const QString &url)
{
    const QString path = imageCacheFilePath(url);
    if (path.isEmpty())
        return;
    Saving &saving = m_saving[path];
    saving.image = image;
    ++saving.queued;
    // Encoding a large picture as PNG takes longer than a frame.
    m_saver.start([this, image, path] {
        const bool written = writeImageFile(image, path);
        QMetaObject::invokeMethod(
            this, [this, image, path, written] { onSaved(path, image, written); }, Qt::QueuedConnection);
    });
}

void ImageLoader::waitForSaves()
{
    m_saver.waitForDone();
    // Their completions are queued for this thread; take them in now, so that what cached()
    // answers reflects the files as they are.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void ImageLoader::onSaved(const QString &path, const QImage &image, bool written)
{
    if (const auto saving = m_saving.find(path); saving != m_saving.end() && --saving->queued == 0)
        m_saving.erase(saving);
    if (written)
        remember(path, image, QFileInfo(path));
}

void ImageLoader::remember(const QString &path, const QImage &image, const QFileInfo &file)
{
    m_memory.insert(path, new Decoded{image, file.lastModified(), file.size()}, costKiB(image));
}
