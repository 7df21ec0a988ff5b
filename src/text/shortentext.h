#pragma once

#include <QString>

// The text unchanged when it has at most maxLength user-visible characters (grapheme
// clusters: a letter with its marks, a whole emoji sequence), else its first maxLength
// characters followed by "...".
[[nodiscard]] QString shortenText(const QString &text, int maxLength);
