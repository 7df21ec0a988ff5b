#pragma once

#include <QString>
#include <QtGlobal>

// A size in bytes as words: the value scaled by 1024 until it is below 1024 (at most up to
// terabytes), one decimal with a full stop, a blank and the unit ("1.5 ك.ب").
[[nodiscard]] QString formatFileSize(qint64 bytes);
