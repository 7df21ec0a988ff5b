#include "userdefaults.h"
#include "datadir.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <limits>

QString UserDefaults::filePath(const QString &key)
{
    Q_ASSERT(!key.isEmpty() && !key.contains(u'/') && !key.startsWith(u'.'));
    return QDir(DataDir::path()).filePath(key);
}

std::optional<QByteArray> UserDefaults::data(const QString &key)
{
    QFile file(filePath(key));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    const qint64 size = file.size();
    if (size < 0 || size > std::numeric_limits<qsizetype>::max() - readPadding)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(qsizetype(size) + readPadding);
    bytes.resize(qsizetype(size));
    // The file is only ever replaced by a rename, so its size cannot change while it is open.
    // Read a piece at a time: one read of tens of megabytes into fresh memory can hold a core
    // inside the kernel long enough to delay the window's thread.
    constexpr qint64 piece = qint64(1) << 20;
    qint64 done = 0;
    while (done < size) {
        const qint64 n = file.read(bytes.data() + done, std::min(piece, size - done));
        if (n <= 0)
            return std::nullopt;
        done += n;
    }
    return bytes;
}

bool UserDefaults::set(QByteArrayView bytes, const QString &key)
{
    QSaveFile file(filePath(key));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
