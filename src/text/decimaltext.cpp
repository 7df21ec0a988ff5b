#include "decimaltext.h"

#include <charconv>

QString oneDecimal(double value)
{
    // Fixed notation of the largest double has 309 integral digits.
    char buffer[330];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}
