#include "shortentext.h"

#include <QTextBoundaryFinder>

QString shortenText(const QString &text, int maxLength)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int count = 0; count < maxLength; ++count) {
        end = finder.toNextBoundary();
        if (end < 0 || end >= text.size())
            return text;
    }
    if (end >= text.size())
        return text;
    return text.left(end) + QStringLiteral("...");
}
