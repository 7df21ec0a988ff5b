#pragma once

#include <QString>
#include <QtGlobal>

// Keeps the picture cache's folder within a size: the files used least recently (by their
// modification time, which a read refreshes) go first. Used from one thread at a time.
class CacheBound
{
public:
    static constexpr qint64 defaultMaxBytes = qint64(200) << 20;

    explicit CacheBound(qint64 maxBytes = defaultMaxBytes)
        : m_maxBytes(maxBytes)
    {
    }

    [[nodiscard]] qint64 maxBytes() const { return m_maxBytes; }
    void setMaxBytes(qint64 bytes) { m_maxBytes = bytes; }

    // Measures the folder and removes what is over the bound.
    void trim();
    // A file of this size was written: trims when the folder is now over the bound.
    void added(qint64 bytes);

    // Earlier versions kept one file per picture address in the data folder, beside the
    // stored documents, without bound: removes those files.
    static void dropFromDataFolder(const QString &dataFolder);

private:
    qint64 m_maxBytes;
    qint64 m_total = -1; // unknown until measured
};
