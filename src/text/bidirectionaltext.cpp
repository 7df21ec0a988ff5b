#include "bidirectionaltext.h"

#include <algorithm>

namespace {

constexpr QChar firstStrongIsolate{0x2068};
constexpr QChar popDirectionalIsolate{0x2069};

enum class Kind { RightToLeft, LeftToRight, Number, Neutral };

// A run of non-blank characters, classified by its strongest content.
Kind kindOf(QStringView word)
{
    bool ltr = false;
    bool digit = false;
    for (const QChar c : word) {
        switch (c.direction()) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirRLI:
            return Kind::RightToLeft;
        case QChar::DirL:
        case QChar::DirLRE:
        case QChar::DirLRO:
        case QChar::DirLRI:
            ltr = true;
            break;
        case QChar::DirEN:
        case QChar::DirAN:
            digit = true;
            break;
        default:
            break;
        }
    }
    return ltr ? Kind::LeftToRight : digit ? Kind::Number : Kind::Neutral;
}

struct Word
{
    qsizetype begin;
    qsizetype end;
    Kind kind;
};

} // namespace

QString isolateLeftToRightRuns(const QString &text)
{
    // Words between blanks and line ends; a run is a sequence of words without right-to-left
    // letters that holds a Latin word, trimmed to its first and last word with a letter or
    // digit, so a lone dash or colon between an Arabic and a Latin word stays between them.
    QList<Word> words;
    for (qsizetype i = 0; i < text.size();) {
        if (text.at(i).isSpace()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && !text.at(end).isSpace())
            ++end;
        words.append({i, end, kindOf(QStringView(text).sliced(i, end - i))});
        i = end;
    }
    // A text without right-to-left words takes its own direction already.
    if (std::none_of(words.cbegin(), words.cend(), [](const Word &w) { return w.kind == Kind::RightToLeft; }))
        return text;

    QString out;
    out.reserve(text.size() + 8);
    qsizetype copied = 0;
    for (qsizetype w = 0; w < words.size();) {
        if (words.at(w).kind == Kind::RightToLeft) {
            ++w;
            continue;
        }
        // The words up to the next right-to-left one, within one line.
        qsizetype last = w;
        while (last + 1 < words.size() && words.at(last + 1).kind != Kind::RightToLeft
               && !QStringView(text).sliced(words.at(last).end, words.at(last + 1).begin - words.at(last).end)
                       .contains(u'\n'))
            ++last;
        const qsizetype next = last + 1;
        bool hasLatin = false;
        for (qsizetype k = w; k <= last; ++k)
            hasLatin = hasLatin || words.at(k).kind == Kind::LeftToRight;
        qsizetype first = w;
        while (first <= last && words.at(first).kind == Kind::Neutral)
            ++first;
        while (last >= first && words.at(last).kind == Kind::Neutral)
            --last;
        if (hasLatin && first <= last) {
            out.append(QStringView(text).sliced(copied, words.at(first).begin - copied));
            out.append(firstStrongIsolate);
            out.append(QStringView(text).sliced(words.at(first).begin, words.at(last).end - words.at(first).begin));
            out.append(popDirectionalIsolate);
            copied = words.at(last).end;
        }
        w = next;
    }
    out.append(QStringView(text).sliced(copied));
    return out;
}
