#pragma once

#include <QCache>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>

class QFileInfo;
class QNetworkReply;

// The one service behind every remote picture on screen. Looks a picture up in its cache file
// (through a small in-memory copy of recently decoded files), and downloads what is missing:
// one download per address however many views wait for it, decoded off the main thread,
// then announced to the views and saved to its cache file even when no view is left. Saving
// (PNG encoding and the write) runs on a thread of its own, one save after the other.
class ImageLoader : public QObject
{
    Q_OBJECT
public:
    // No server may hand the application a larger picture.
    static constexpr qint64 defaultMaxBytes = 16 * 1024 * 1024;
    // Decoded pictures kept in memory, in KiB.
    static constexpr int defaultMemoryKiB = 64 * 1024;

    explicit ImageLoader(QObject *parent = nullptr);
    // Finishes the saves asked for, so no picture shown is left unsaved.
    ~ImageLoader() override;

    [[nodiscard]] static ImageLoader *instance();

    // The picture of the address's cache file, or a null image when there is none. A picture
    // whose save is still under way counts as its file.
    [[nodiscard]] QImage cached(const QString &url);

    // Writes the picture to the address's cache file in the background. Saves are done in the
    // order asked for, so the file ends up holding the last picture saved for its address.
    void save(const QImage &image, const QString &url);
    // Blocks until every save asked for so far is written (or has failed). Main thread only.
    void waitForSaves();

    // Starts the download of the address unless one is under way. False, and nothing started,
    // when the text is not a valid absolute address.
    bool fetch(const QString &url);

    [[nodiscard]] bool isFetching(const QString &url) const { return m_fetches.contains(url); }
    [[nodiscard]] qint64 maxBytes() const { return m_maxBytes; }
    void setMaxBytes(qint64 bytes) { m_maxBytes = bytes; }

Q_SIGNALS:
    // A download ended: with the picture, or with a null image when it brought none.
    void fetched(const QString &url, const QImage &image);

private:
    struct Decoded
    {
        QImage image;
        QDateTime modified;
        qint64 size = 0;
    };

    struct Saving
    {
        QImage image; // the newest picture asked to be saved
        int queued = 0;
    };

    void onReplyFinished(const QString &url, QNetworkReply *reply);
    void onDecoded(const QString &url, const QImage &image);
    void onSaved(const QString &path, const QImage &image, bool written);
    void remember(const QString &path, const QImage &image, const QFileInfo &file);

    QHash<QString, QPointer<QNetworkReply>> m_fetches; // address → reply; null while decoding
    QCache<QString, Decoded> m_memory;                 // cache file path → its decoded picture
    QHash<QString, Saving> m_saving;                   // cache file path → saves not yet done
    QThreadPool m_saver;                               // one thread: saves keep their order
    qint64 m_maxBytes = defaultMaxBytes;
};
