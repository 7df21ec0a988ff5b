#include "addresstext.h"

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView secure = u"https://";

qsizetype authorityStart(const QString &address)
{
    const qsizetype scheme = address.indexOf(u"://");
    return scheme < 0 ? 0 : scheme + 3;
}

} // namespace

bool looksLikeAddress(const QString &text)
{
    return text.startsWith(u"http://", Qt::CaseInsensitive) || text.startsWith(secure, Qt::CaseInsensitive);
}

QString maskedAddress(const QString &address)
{
    // Worked on the text rather than through a parsed URL, so the rest is shown exactly as stored.
    const qsizetype start = authorityStart(address);
    qsizetype end = start;
    while (end < address.size() && address.at(end) != u'/' && address.at(end) != u'?' && address.at(end) != u'#')
        ++end;
    const qsizetype at = end > start ? address.lastIndexOf(u'@', end - 1) : -1;
    if (at < start)
        return address;
    const qsizetype colon = address.indexOf(u':', start);
    if (colon < 0 || colon > at)
        return address;
    return address.first(colon + 1) + u"***"_s + address.sliced(at);
}

QString shortAddress(const QString &address)
{
    const QString masked = maskedAddress(address);
    return masked.startsWith(secure, Qt::CaseInsensitive) ? masked.sliced(secure.size()) : masked;
}
