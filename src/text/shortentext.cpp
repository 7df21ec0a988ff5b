#include "shortentext.h"

#include <QTextBoundaryFinder>

namespace {

constexpr qsizetype regionalIndicatorLength = 2; // U+1F1E6 to U+1F1FF, a surrogate pair

bool isRegionalIndicatorAt(const QString &text, qsizetype pos)
{
    return pos >= 0 && pos + 1 < text.size() && text[pos].unicode() == 0xD83C && text[pos + 1].unicode() >= 0xDDE6
        && text[pos + 1].unicode() <= 0xDDFF;
}

// Qt's grapheme rules split a flag (a pair of regional indicators) in two; a boundary after an
// odd number of indicators in a row lies inside a flag.
bool splitsFlag(const QString &text, qsizetype boundary)
{
    if (!isRegionalIndicatorAt(text, boundary))
        return false;
    int before = 0;
    for (qsizetype pos = boundary - regionalIndicatorLength; isRegionalIndicatorAt(text, pos); pos -= regionalIndicatorLength)
        ++before;
    return before % 2 == 1;
}

} // namespace

QString shortenText(const QString &text, int maxLength)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int count = 0; count < maxLength; ++count) {
        do
            end = finder.toNextBoundary();
        while (end > 0 && end < text.size() && splitsFlag(text, end));
        if (end < 0 || end >= text.size())
            return text;
    }
    if (end >= text.size())
        return text;
    return text.left(end) + QStringLiteral("...");
}
