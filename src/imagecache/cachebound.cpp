#include "cachebound.h"

#include "imagecache/localimage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

void CacheBound::trim()
{
    const QString folder = imageCacheFolder();
    if (folder.isEmpty())
        return;
    QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    m_total = 0;
    for (const QFileInfo &file : files)
        m_total += file.size();
    if (m_total <= m_maxBytes)
        return;
    std::sort(files.begin(), files.end(),
              [](const QFileInfo &a, const QFileInfo &b) { return a.lastModified() < b.lastModified(); });
    for (const QFileInfo &file : std::as_const(files)) {
        if (m_total <= m_maxBytes)
            break;
        if (QFile::remove(file.filePath()))
            m_total -= file.size();
    }
}

void CacheBound::added(qint64 bytes)
{
    if (m_total < 0)
        return trim();
    m_total += bytes;
    if (m_total > m_maxBytes)
        trim();
}

void CacheBound::dropFromDataFolder(const QString &dataFolder)
{
    if (dataFolder.isEmpty())
        return;
    const QDir dir(dataFolder);
    // Their names were picture addresses with "/" written as "_".
    for (const QString &name : dir.entryList({QStringLiteral("http:__*"), QStringLiteral("https:__*"), QStringLiteral("qrc:_*")},
                                             QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(dir.filePath(name));
}
