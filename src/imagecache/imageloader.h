#pragma once

#include "imagecache/cachebound.h"

#include <QByteArray>
#include <QCache>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSize>
#include <QString>
#include <QThreadPool>
#include <QtConcurrent/qtconcurrenttask.h>

class QNetworkReply;

// The one service behind every picture on screen. A picture is asked for at the size it is
// shown at (a box in device pixels) and decoded at that size: from memory (a byte budget, the
// least recently used out first), else from its cache file, else downloaded (one download per
// address however many views wait) and then written to its cache file. Decoding runs on a
// thread pool of its own, never on the one that decodes indexes; writes run on one thread, in
// order, and keep the cache folder within its bound.
//
// Pictures from sources are raster pictures only (RasterPicture); the product's own bundled
// pictures (qrc:) may be any format Qt reads. A picture that failed (no valid address, no
// download, no raster picture, too large) stays failed until forgetFailures().
class ImageLoader : public QObject
{
    Q_OBJECT
public:
    // No server may hand the application a larger picture.
    static constexpr qint64 defaultMaxBytes = 16 * 1024 * 1024;
    // Decoded pictures kept in memory.
    static constexpr qint64 defaultMemoryBytes = qint64(48) << 20;

    explicit ImageLoader(QObject *parent = nullptr);
    // Finishes the writes asked for, so no picture shown is left unsaved.
    ~ImageLoader() override;

    [[nodiscard]] static ImageLoader *instance();

    enum class State { Ready, Loading, Failed };
    // The picture of `url` fitted into `box`: Ready with `image` set when it is in memory;
    // Failed when it failed before; otherwise Loading, and `ready` or `failed` follows.
    State request(const QString &url, QSize box, QImage *image);

    // Pictures that failed are tried again when next asked for (after a refresh of sources).
    void forgetFailures() { m_failed.clear(); }
    [[nodiscard]] bool hasFailed(const QString &url) const { return m_failed.contains(url); }
    [[nodiscard]] bool isFetching(const QString &url) const;

    [[nodiscard]] qint64 maxBytes() const { return m_maxBytes; }
    void setMaxBytes(qint64 bytes) { m_maxBytes = bytes; }
    void setMemoryBytes(qint64 bytes) { m_memory.setMaxCost(int(bytes >> 10)); }
    // The bound of the cache folder; trims it to the new bound in the background.
    void setDiskBytes(qint64 bytes);

    // Blocks until every write and trim asked for so far is done. Main thread only.
    void waitForSaves();

Q_SIGNALS:
    void ready(const QString &url, QSize box, const QImage &image);
    void failed(const QString &url);

private:
    struct Pending
    {
        QList<QSize> boxes; // waiting for the picture
        bool fetching = false;
    };
    struct Saving
    {
        QByteArray bytes; // the newest picture asked to be written
        int queued = 0;
    };

    // Runs `work` on the decoding thread, the newest request first: after a fast scroll the
    // cards in view wait for no picture of the cards scrolled past.
    template<typename Work>
    auto decode(Work work)
    {
        return QtConcurrent::task(std::move(work)).onThreadPool(m_decoders).withPriority(++m_requests).spawn();
    }
    void decodeFile(const QString &url, QSize box);
    void decodeBytes(const QString &url, const QList<QSize> &boxes, const QByteArray &bytes, bool downloaded);
    void decodeBundled(const QString &url, QSize box);
    void fetch(const QString &url);
    void onReplyFinished(const QString &url, QNetworkReply *reply);
    void deliver(const QString &url, QSize box, const QImage &image);
    void fail(const QString &url);
    void save(const QByteArray &bytes, const QString &url);

    QCache<QString, QImage> m_memory; // address and box → picture; cost in KiB
    QSet<QString> m_failed;
    QHash<QString, Pending> m_pending;
    QHash<QString, QPointer<QNetworkReply>> m_fetches;
    QHash<QString, Saving> m_saving; // address → writes not yet done
    QThreadPool m_decoders;
    QThreadPool m_saver; // one thread: writes keep their order
    CacheBound m_bound;  // used on the saver's thread only
    qint64 m_maxBytes = defaultMaxBytes;
    int m_requests = 0; // counts decodes asked for: the priority of the next one
};
