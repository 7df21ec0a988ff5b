#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QSize>

class QIODevice;

// Pictures that come from sources: only raster formats, told by their first bytes (never by a
// name or a server's word), decoded at the size they are shown at. SVG is no such format: it
// can read local files, wait on a FIFO or expand without end.
namespace RasterPicture {

// No picture larger than this is decoded: 64 MiB at four bytes a pixel.
inline constexpr qint64 maxPixels = 16 * 1024 * 1024;

// "png", "jpeg", "gif", "webp" or "bmp" by the content's first bytes, else empty.
[[nodiscard]] QByteArray formatOf(QByteArrayView head);

// The picture fitted into `box` (aspect kept, never enlarged; an invalid box keeps its size),
// decoded at that size. A null image when the content is no raster picture of those formats,
// announces more than maxPixels, or does not decode.
[[nodiscard]] QImage decode(QIODevice *device, QSize box);
[[nodiscard]] QImage decode(const QByteArray &bytes, QSize box);

// The product's own pictures (resources): any format Qt reads, SVG included, rendered at the
// size it is shown at.
[[nodiscard]] QImage decodeBundled(const QString &path, QSize box);

} // namespace RasterPicture
