#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// The picture cache on disk: one file per picture address in the "pictures" folder of the
// platform's cache folder, named by the address text with every "/" replaced by "_", holding
// the picture as it was downloaded (only pictures that decoded are written). Its size is
// bounded by CacheBound.

// The folder of the cache files, created on first use; empty when there is none.
[[nodiscard]] QString imageCacheFolder();

// The cache file of an address (it need not exist), or an empty text without a cache folder.
[[nodiscard]] QString imageCacheFilePath(const QString &url);

// Writes the picture's bytes to the address's cache file, replacing any earlier one. Returns
// the file's path, or an empty text when nothing was written; a failed write prints one line.
QString saveImageLocally(const QByteArray &picture, const QString &url);

// The same for a cache file path already formed; safe on any thread. False when nothing was
// written (and no torn file is left).
bool writeImageFile(const QByteArray &picture, const QString &path);

// The picture in the address's cache file, decoded to fit `box` (RasterPicture::decode), and
// marked as just used; a null image when there is no file or it holds no such picture.
[[nodiscard]] QImage loadImageLocally(const QString &url, QSize box = {});
[[nodiscard]] QImage readImageFile(const QString &path, QSize box);
