#include "localimage.h"

#include "platform/datadir.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void printLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace

QString imageCacheFilePath(const QString &url)
{
    const QString dir = DataDir::path();
    if (dir.isEmpty())
        return {};
    QString name = url;
    name.replace(u'/', u'_');
    // Without "/" the name is one path component; the empty name would be the folder itself.
    return name.isEmpty() ? QString() : QDir(dir).filePath(name);
}

QString saveImageLocally(const QImage &image, const QString &url)
{
    const QString path = imageCacheFilePath(url);
    return !path.isEmpty() && writeImageFile(image, path) ? path : QString();
}

bool writeImageFile(const QImage &image, const QString &path)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG") || png.isEmpty())
        return false;

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        printLine(u"فشل في حفظ الصورة: "_s + file.errorString());
        return false;
    }
    if (file.write(png) != png.size() || !file.flush()) {
        printLine(u"فشل في حفظ الصورة: "_s + file.errorString());
        // A torn PNG would only be read back as no picture; leave no file at all.
        file.close();
        file.remove();
        return false;
    }
    return true;
}

QImage loadImageLocally(const QString &url)
{
    const QString path = imageCacheFilePath(url);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    QImageReader reader(path);
    // The name's extension says nothing about the content (".jpg" names hold PNG).
    reader.setDecideFormatFromContent(true);
    return reader.read();
}
