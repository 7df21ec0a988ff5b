#include "fieldisolation.h"

#include "addresstext.h"
#include "bidirectionaltext.h"

#include <QList>
#include <QStringList>

#include <algorithm>

namespace {

constexpr char16_t firstStrongIsolate = 0x2068;
constexpr char16_t popDirectionalIsolate = 0x2069;
constexpr char16_t popDirectionalFormatting = 0x202C;
// Deeper nesting than any text needs; beyond it the algorithm's own limits would decide.
constexpr qsizetype maxDepth = 32;

bool opensIsolate(char16_t c)
{
    return c >= 0x2066 && c <= 0x2068;
}

bool opensEmbedding(char16_t c)
{
    return c == 0x202A || c == 0x202B || c == 0x202D || c == 0x202E;
}

// Whether the line starts with a label of right-to-left words ended by ": ".
qsizetype datumStart(const QString &line)
{
    const qsizetype colon = line.indexOf(u": ");
    if (colon <= 0)
        return -1;
    bool rightToLeft = false;
    for (const QChar c : QStringView(line).first(colon)) {
        switch (c.direction()) {
        case QChar::DirR:
        case QChar::DirAL:
            rightToLeft = true;
            break;
        case QChar::DirWS:
            break;
        default:
            return -1;
        }
    }
    return rightToLeft ? colon + 2 : -1;
}

} // namespace

QString isolateField(const QString &text)
{
    QString out;
    out.reserve(text.size() + 4);
    out.append(QChar(firstStrongIsolate));
    // Openers still open, innermost last: a lone closer would end the field's own isolate (or
    // an embedding around it), a lone opener would swallow the field's closer.
    QList<char16_t> open;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (opensIsolate(u) || opensEmbedding(u)) {
            if (open.size() >= maxDepth)
                continue;
            open.append(u);
        } else if (u == popDirectionalIsolate) {
            const auto isolate = std::find_if(open.crbegin(), open.crend(), [](char16_t o) { return opensIsolate(o); });
            if (isolate == open.crend())
                continue;
            // The closer ends the embeddings opened inside the isolate as well.
            open.resize(open.crend() - isolate - 1);
        } else if (u == popDirectionalFormatting) {
            if (open.isEmpty() || !opensEmbedding(open.back()))
                continue;
            open.removeLast();
        }
        out.append(c);
    }
    for (auto it = open.crbegin(); it != open.crend(); ++it)
        out.append(QChar(opensIsolate(*it) ? popDirectionalIsolate : popDirectionalFormatting));
    out.append(QChar(popDirectionalIsolate));
    return out;
}

QString isolateMessage(const QString &message)
{
    QStringList lines = message.split(u'\n');
    for (QString &line : lines) {
        const qsizetype start = datumStart(line);
        if (start < 0) {
            line = isolateLeftToRightRuns(line);
            continue;
        }
        const QString datum = line.sliced(start);
        if (!looksLikeAddress(datum)) {
            line = line.first(start) + isolateField(datum);
            continue;
        }
        // An address ends at its first blank; a note after it is text of its own.
        const qsizetype blank = datum.indexOf(u' ');
        const QString address = blank < 0 ? datum : datum.first(blank);
        line = line.first(start) + isolateField(maskedAddress(address)) + isolateLeftToRightRuns(datum.sliced(address.size()));
    }
    return lines.join(u'\n');
}
