#pragma once

#include <QString>

class QImage;

// The picture cache on disk: one PNG file per picture address, directly in the data folder,
// named by the address text with every "/" replaced by "_".

// The cache file of an address (it need not exist), or an empty text without a data folder.
[[nodiscard]] QString imageCacheFilePath(const QString &url);

// Writes the picture as PNG to the address's cache file, replacing any earlier one. Returns the
// file's path, or an empty text when nothing was written; a failed write prints one line.
QString saveImageLocally(const QImage &image, const QString &url);

// The same for a cache file path already formed; safe on any thread. False when nothing was
// written.
bool writeImageFile(const QImage &image, const QString &path);

// The picture in the address's cache file; a null image when there is no file or it holds no
// picture.
[[nodiscard]] QImage loadImageLocally(const QString &url);
