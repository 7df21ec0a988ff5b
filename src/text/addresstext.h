#pragma once

#include <QString>

// How a source's address is shown: as stored, except that a password in it reads "***".
[[nodiscard]] QString maskedAddress(const QString &address);
// The row's short form: the masked address without a leading "https://".
[[nodiscard]] QString shortAddress(const QString &address);
// Whether the text starts with an http or https scheme.
[[nodiscard]] bool looksLikeAddress(const QString &text);
