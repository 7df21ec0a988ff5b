#include "filesize.h"

#include "decimaltext.h"

#include <array>

using namespace Qt::StringLiterals;

QString formatFileSize(qint64 bytes)
{
    static const std::array units{u"بايت"_s, u"ك.ب"_s, u"م.ب"_s, u"ج.ب"_s, u"ت.ب"_s};
    double value = double(bytes);
    std::size_t unit = 0;
    // The test is on the unrounded value: 1048575 bytes stay "1024.0 ك.ب".
    while (value >= 1024.0 && unit + 1 < units.size()) {
        value /= 1024.0;
        ++unit;
    }
    return oneDecimal(value) + u' ' + units[unit];
}
