#include "searchfold.h"

QString searchFold(const QString &text)
{
    QString folded = text.toCaseFolded();
    qsizetype out = 0;
    for (qsizetype i = 0; i < folded.size(); ++i) {
        char16_t c = folded.at(i).unicode();
        if (c == 0 || c == 0x0640 || (c >= 0x064B && c <= 0x065F) || c == 0x0670)
            continue;
        if (c == 0x0622 || c == 0x0623 || c == 0x0625 || c == 0x0671)
            c = 0x0627;
        else if (c == 0x0649)
            c = 0x064A;
        folded[out++] = QChar(c);
    }
    folded.truncate(out);
    return folded;
}

bool searchMatches(const QString &text, const QString &foldedQuery)
{
    return foldedQuery.isEmpty() || searchFold(text).contains(foldedQuery);
}
