#include "localimage.h"

#include "imagecache/rasterpicture.h"
#include "platform/cachedir.h"
#include "platform/console.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

QString imageCacheFolder()
{
    const QString cache = CacheDir::path();
    if (cache.isEmpty())
        return {};
    const QString folder = QDir(cache).filePath(u"pictures"_s);
    return QDir().mkpath(folder) ? folder : QString();
}

QString imageCacheFilePath(const QString &url)
{
    if (url.isEmpty())
        return {}; // the empty name would be the folder itself
    const QString dir = imageCacheFolder();
    if (dir.isEmpty())
        return {};
    QString name = url;
    name.replace(u'/', u'_');
    // Without "/" the name is one path component.
    return QDir(dir).filePath(name);
}

QString saveImageLocally(const QByteArray &picture, const QString &url)
{
    const QString path = imageCacheFilePath(url);
    return !path.isEmpty() && writeImageFile(picture, path) ? path : QString();
}

bool writeImageFile(const QByteArray &picture, const QString &path)
{
    if (picture.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Console::printLine(u"فشل في حفظ الصورة: "_s + file.errorString());
        return false;
    }
    if (file.write(picture) != picture.size() || !file.flush()) {
        Console::printLine(u"فشل في حفظ الصورة: "_s + file.errorString());
        // A torn picture would only be read back as none; leave no file at all.
        file.close();
        file.remove();
        return false;
    }
    return true;
}

QImage loadImageLocally(const QString &url, QSize box)
{
    const QString path = imageCacheFilePath(url);
    return path.isEmpty() ? QImage() : readImageFile(path, box);
}

QImage readImageFile(const QString &path, QSize box)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QImage image = RasterPicture::decode(&file, box);
    // The file's time says when it was last used: the cache's bound removes the oldest first.
    if (!image.isNull())
        file.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
    return image;
}
