#include "rasterpicture.h"

#include <QBuffer>
#include <QImageReader>

namespace {

// The size to decode a picture of `size` at, to be shown fitted into `box`.
QSize shownSize(QSize size, QSize box)
{
    if (!box.isValid() || box.isEmpty() || (size.width() <= box.width() && size.height() <= box.height()))
        return size;
    return size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage read(QImageReader &reader, QSize box, bool bounded)
{
    const QSize size = reader.size(); // from the header alone
    if (!size.isValid() || size.isEmpty() || (bounded && qint64(size.width()) * size.height() > RasterPicture::maxPixels))
        return {};
    const QSize target = shownSize(size, box);
    if (target != size)
        reader.setScaledSize(target);
    return reader.read();
}

} // namespace

QByteArray RasterPicture::formatOf(QByteArrayView head)
{
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    if (head.startsWith("\xff\xd8\xff"))
        return "jpeg";
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return "gif";
    if (head.size() >= 12 && head.startsWith("RIFF") && head.sliced(8, 4) == "WEBP")
        return "webp";
    if (head.startsWith("BM"))
        return "bmp";
    return {};
}

QImage RasterPicture::decode(QIODevice *device, QSize box)
{
    const QByteArray format = formatOf(device->peek(16));
    if (format.isEmpty())
        return {};
    QImageReader reader(device, format);
    // Only the handler of the format the content announced, never one guessed otherwise.
    reader.setAutoDetectImageFormat(false);
    return read(reader, box, true);
}

QImage RasterPicture::decode(const QByteArray &bytes, QSize box)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return decode(&buffer, box);
}

QImage RasterPicture::decodeBundled(const QString &path, QSize box)
{
    QImageReader reader(path);
    return read(reader, box, false);
}
