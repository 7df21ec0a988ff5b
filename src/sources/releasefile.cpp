#include "releasefile.h"

#include "indextext.h"
#include "utf8.h"

#include <QRegularExpression>

#include <algorithm>
#include <cctype>
#include <string_view>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype maxTitle = 120;
constexpr qsizetype maxDescription = 1000;

std::optional<ReleaseChecksum::Algorithm> algorithmOf(QStringView field)
{
    if (field.compare(u"SHA256", Qt::CaseInsensitive) == 0)
        return ReleaseChecksum::Algorithm::Sha256;
    if (field.compare(u"SHA1", Qt::CaseInsensitive) == 0)
        return ReleaseChecksum::Algorithm::Sha1;
    if (field.compare(u"MD5Sum", Qt::CaseInsensitive) == 0)
        return ReleaseChecksum::Algorithm::Md5;
    return std::nullopt;
}

qsizetype hexLength(ReleaseChecksum::Algorithm algorithm)
{
    switch (algorithm) {
    case ReleaseChecksum::Algorithm::Md5:
        return 32;
    case ReleaseChecksum::Algorithm::Sha1:
        return 40;
    case ReleaseChecksum::Algorithm::Sha256:
        return 64;
    }
    return 0;
}

bool isHex(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return std::isxdigit(c.unicode() < 128 ? c.unicode() : 'x'); });
}

// A line " <hash> <size> <path>" of a checksum field.
void addChecksum(QHash<QString, ReleaseChecksum> &checksums, ReleaseChecksum::Algorithm algorithm, QStringView line)
{
    const QList<QStringView> parts = line.split(u' ', Qt::SkipEmptyParts); // blanks only: a tab is no separator here
    if (parts.size() != 3 || parts[0].size() != hexLength(algorithm) || !isHex(parts[0]))
        return; // a placeholder or a damaged line checks nothing
    bool ok = false;
    const qint64 size = parts[1].toLongLong(&ok);
    if (!ok || size < 0)
        return;
    const QString path = parts[2].toString();
    const auto known = checksums.constFind(path);
    if (known != checksums.cend() && known->algorithm > algorithm)
        return;
    checksums.insert(path, {algorithm, parts[0].toLatin1().toLower(), size});
}

QString shown(QStringView value, qsizetype limit)
{
    QString text = value.trimmed().toString();
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    return text.size() > limit ? text.left(limit).trimmed() + u'…' : text;
}

} // namespace

bool looksLikeAddress(QStringView text)
{
    static const QRegularExpression host(uR"(^(?:[a-z0-9-]+\.)+[a-z]{2,}(?:[:/].*)?$)"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    return text.contains(u"://") || host.match(text.toString()).hasMatch();
}

std::optional<ReleaseFile> parseRelease(QByteArrayView bytes)
{
    const std::string_view raw(bytes.data(), std::size_t(bytes.size()));
    if (!isValidUtf8(raw) || isMarkup(raw))
        return std::nullopt;
    const QString text = QString::fromUtf8(bytes);
    ReleaseFile release;
    QString label, origin;
    std::optional<ReleaseChecksum::Algorithm> listing; // the checksum field being read
    bool anyField = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u' ') || line.startsWith(u'\t')) {
            if (listing)
                addChecksum(release.checksums, *listing, line.trimmed());
            continue;
        }
        listing.reset();
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            continue;
        anyField = true;
        const QStringView name = line.left(colon).trimmed();
        const QStringView value = line.mid(colon + 1).trimmed();
        if (name.compare(u"Label", Qt::CaseInsensitive) == 0)
            label = shown(value, maxTitle);
        else if (name.compare(u"Origin", Qt::CaseInsensitive) == 0)
            origin = shown(value, maxTitle);
        else if (name.compare(u"Description", Qt::CaseInsensitive) == 0)
            release.description = shown(value, maxDescription);
        else if (name.compare(u"Components", Qt::CaseInsensitive) == 0)
            release.components = value.toString().simplified().split(u' ', Qt::SkipEmptyParts);
        else if (name.compare(u"Architectures", Qt::CaseInsensitive) == 0)
            release.architectures = value.toString().simplified().split(u' ', Qt::SkipEmptyParts);
        else
            listing = algorithmOf(name);
    }
    if (!anyField)
        return std::nullopt;
    for (const QString &candidate : {label, origin}) {
        if (!candidate.isEmpty() && !looksLikeAddress(candidate)) {
            release.title = candidate;
            break;
        }
    }
    return release;
}
