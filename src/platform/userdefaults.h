#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

// The application's small key-value store: one file per key in the data folder. A value is
// replaced atomically and durably: a crash or a power loss in the middle of a write leaves
// the previous value or the new one, never a torn file.
namespace UserDefaults {

// Which file a value was read from: tells whether it has been replaced since.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// The stored bytes, or nothing when the key holds none. The buffer is allocated with
// `readPadding` spare bytes past its end, so a JSON reader can scan it in place. `identity`,
// when given, receives the identity of the file that was read.
[[nodiscard]] std::optional<QByteArray> data(const QString &key, FileIdentity *identity = nullptr);

// Replaces the value of `key`; false when it could not be written (the old value stays), with
// the system's reason in `reason` when given. Temporary files that an interrupted earlier
// write of the key left behind are removed first.
bool set(QByteArrayView bytes, const QString &key, QString *reason = nullptr);

// When `changed`, replaces the value of `key` with what `encode` returns and clears `changed`;
// true when nothing was left unwritten.
bool setIfChanged(bool &changed, const QString &key, const std::function<QByteArray()> &encode);

// The same as set() for a value too large to hold whole: `produce` hands it to the sink piece
// by piece and returns nothing, or why it gave up (nothing is written then). The sink returns
// false once the system refuses a piece; the system's reason is then the one given.
using Sink = std::function<bool(QByteArrayView piece)>;
using Producer = std::function<std::optional<QString>(const Sink &sink)>;
bool write(const QString &key, const Producer &produce, QString *reason = nullptr);

// Replaces the value of `key` on a thread of its own, with what `encode` returns there, so
// the wait for the disk stalls no caller. Writes run in the order asked for; one still waiting
// when a newer value of its key is asked for is dropped. A failed one is tried again with the
// next write asked for and at the next wait for all writes. Reading or setting the key, here
// or through `data` and `set`, first waits for the writes of the key asked for before.
void setLater(const QString &key, std::function<QByteArray()> encode);
// Blocks until the writes of `key` asked for so far have ended; of every key when empty.
void waitForWrites(const QString &key = {});

// Removes the temporary files that interrupted writes of `key` left behind.
void removeLeftovers(const QString &key);

// Called once a value is written out, before it replaces the old one, on the writing thread,
// with the value's size; a reason it returns fails the write as the disk would (the old value
// stays). Lets tests count writes or fill the disk.
using WriteHook = std::function<std::optional<QString>(const QString &key, qint64 size)>;
void setWriteHook(WriteHook hook);

// Keeps the file of `key` under a new name in the same folder, "<key>.<label>-<date and
// time>" (with "-2", "-3", … when that exists), provided it is still the file `expected`
// describes. A name kept earlier for the same file is answered again. Returns the new file's path; an empty path when the file has been replaced
// meanwhile or is gone; nothing when it could not be kept.
[[nodiscard]] std::optional<QString> keepAside(const QString &key, const FileIdentity &expected, const QString &label);

inline constexpr qsizetype readPadding = 64;

// The file that holds `key`'s value.
[[nodiscard]] QString filePath(const QString &key);

} // namespace UserDefaults
