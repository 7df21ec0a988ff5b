#include "userdefaults.h"
#include "datadir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <limits>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A write goes to "<key>.saving-XXXXXX", locked while its writer lives, and is renamed over
// the key's file. Earlier versions wrote through QSaveFile, whose temporary names are
// "<key>.XXXXXX".
constexpr QLatin1StringView savingInfix(".saving-");

UserDefaults::FileIdentity identityOf(const struct stat &st)
{
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

QString randomSuffix()
{
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet - 1))]);
    return suffix;
}

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(std::min<qsizetype>(size, qsizetype(1) << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

QMutex hookMutex;
UserDefaults::WriteHook writeHook;

bool fail(QString *reason, const QString &why)
{
    if (reason)
        *reason = why;
    return false;
}

bool failWithErrno(QString *reason)
{
    return fail(reason, qt_error_string(errno));
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

// A temporary file that nobody holds locked belongs to a writer that is gone.
void UserDefaults::removeLeftovers(const QString &key)
{
    const QDir dir(DataDir::path());
    static const QRegularExpression legacy(QStringLiteral("^\\.[A-Za-z0-9]{6}$"));
    const QStringList names = dir.entryList({key + u".*"}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QStringView rest = QStringView(name).mid(key.size());
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        if (rest.startsWith(savingInfix)) {
            const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
                ::unlink(path.constData());
            ::close(fd);
        } else if (legacy.match(rest).hasMatch()) {
            ::unlink(path.constData());
        }
    }
}

QString UserDefaults::filePath(const QString &key)
{
    Q_ASSERT(!key.isEmpty() && !key.contains(u'/') && !key.startsWith(u'.'));
    return QDir(DataDir::path()).filePath(key);
}

std::optional<QByteArray> UserDefaults::data(const QString &key, FileIdentity *identity)
{
    waitForWrites(key);
    QFile file(filePath(key));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    if (identity) {
        struct stat st;
        if (::fstat(file.handle(), &st) != 0)
            return std::nullopt;
        *identity = identityOf(st);
    }
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

void UserDefaults::setWriteHook(WriteHook hook)
{
    QMutexLocker lock(&hookMutex);
    writeHook = std::move(hook);
}

bool UserDefaults::set(QByteArrayView bytes, const QString &key, QString *reason)
{
    return write(
        key, [bytes](const Sink &sink) { return sink(bytes) ? std::nullopt : std::optional<QString>(QString()); },
        reason);
}

bool UserDefaults::setIfChanged(bool &changed, const QString &key, const std::function<QByteArray()> &encode)
{
    if (changed && set(encode(), key))
        changed = false;
    return !changed;
}

bool UserDefaults::write(const QString &key, const Producer &produce, QString *reason)
{
    waitForWrites(key);
    removeLeftovers(key);
    const QString target = filePath(key);

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = QFile::encodeName(target + savingInfix + randomSuffix());
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return failWithErrno(reason);
    }
    if (fd < 0)
        return failWithErrno(reason);
    // Held until the file is renamed or removed: tells a concurrent writer it is no leftover.
    ::flock(fd, LOCK_EX | LOCK_NB);
    const auto abandon = [&](const QString &why) {
        ::unlink(temporary.constData());
        ::close(fd);
        return fail(reason, why);
    };

    qint64 size = 0;
    std::optional<QString> systemError;
    const Sink sink = [&](QByteArrayView piece) {
        errno = 0; // a write that takes nothing sets none
        if (!systemError && writeAll(fd, piece.data(), piece.size())) {
            size += piece.size();
            return true;
        }
        if (!systemError)
            systemError = qt_error_string(errno ? errno : EIO);
        return false;
    };
    const std::optional<QString> givenUp = produce(sink);
    if (systemError)
        return abandon(*systemError);
    if (givenUp)
        return abandon(*givenUp);
    {
        QMutexLocker lock(&hookMutex);
        if (writeHook) {
            if (const std::optional<QString> refused = writeHook(key, size))
                return abandon(*refused);
        }
    }
    // The data must be on the disk before the rename makes it the value, or a power loss
    // could leave an empty file under the key's name.
    if (::fsync(fd) != 0 || ::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0)
        return abandon(qt_error_string(errno ? errno : EIO));
    ::close(fd);
    // Makes the rename itself durable.
    syncFolder(DataDir::path());
    return true;
}

std::optional<QString> UserDefaults::keepAside(const QString &key, const FileIdentity &expected, const QString &label)
{
    const QByteArray source = QFile::encodeName(filePath(key));
    struct stat st;
    if (::stat(source.constData(), &st) != 0)
        return errno == ENOENT ? std::optional<QString>(QString()) : std::nullopt;
    if (identityOf(st) != expected)
        return QString();
    // Kept already (by a command that only read it): the same file under an earlier name.
    const QDir dir(DataDir::path());
    for (const QString &name : dir.entryList({key + u'.' + label + u"-*"}, QDir::Files | QDir::Hidden)) {
        struct stat kept;
        if (::stat(QFile::encodeName(dir.filePath(name)).constData(), &kept) == 0 && kept.st_dev == st.st_dev
            && kept.st_ino == st.st_ino)
            return dir.filePath(name);
    }
    const QString stem = filePath(key) + u'.' + label + u'-'
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    for (int n = 1; n < 1000; ++n) {
        const QString aside = n == 1 ? stem : stem + u'-' + QString::number(n);
        // A second name for the same bytes: nothing is copied, and the key's file is never
        // missing. link() never replaces an existing file.
        if (::link(source.constData(), QFile::encodeName(aside).constData()) == 0) {
            syncFolder(DataDir::path());
            return aside;
        }
        if (errno == EEXIST)
            continue;
        // A file system without hard links: copy instead (QFile::copy never overwrites).
        if (QFile::exists(aside))
            continue;
        if (QFile::copy(filePath(key), aside))
            return aside;
        return std::nullopt;
    }
    return std::nullopt;
}
