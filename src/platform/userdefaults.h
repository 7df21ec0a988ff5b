#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The application's small key-value store: one file per key in the data folder. A value is
// replaced atomically, so a crash in the middle of a write leaves the previous value.
namespace UserDefaults {

// The stored bytes, or nothing when the key holds none. The buffer is allocated with
// `readPadding` spare bytes past its end, so a JSON reader can scan it in place.
[[nodiscard]] std::optional<QByteArray> data(const QString &key);

// Replaces the value of `key`; false when it could not be written (the old value stays).
bool set(QByteArrayView bytes, const QString &key);

inline constexpr qsizetype readPadding = 64;

// The file that holds `key`'s value.
[[nodiscard]] QString filePath(const QString &key);

} // namespace UserDefaults
