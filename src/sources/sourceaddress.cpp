#include "sourceaddress.h"

#include "indexfetcher.h"

#include <QRegularExpression>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// A scheme is letters up to a colon; a colon followed by a digit is a port ("host:8080").
bool hasScheme(const QString &text)
{
    static const QRegularExpression scheme(u"^[A-Za-z][A-Za-z0-9+.-]*:(?![0-9])"_s);
    return scheme.match(text).hasMatch();
}

// The index's own address, plain or compressed, pasted for the source's.
const QRegularExpression &indexFileName()
{
    static const QRegularExpression name(u"/Packages(\\.(gz|bz2|xz|zst|zstd|lzma|lz4|lz|Z))?$"_s);
    return name;
}

} // namespace

SourceAddress SourceAddress::fromTyped(const QString &typed)
{
    SourceAddress address;
    QString text = typed;
    if (!hasScheme(text)) {
        text = (text.startsWith(u"//"_s) ? u"https:"_s : u"https://"_s) + text;
        address.assumedHttps = true;
    }
    text.replace(indexFileName(), u"/"_s);
    address.base = text.endsWith(u'/') ? text : text + u'/';
    return address;
}

bool SourceAddress::isAcceptable() const
{
    const QString scheme = QUrl(base, QUrl::StrictMode).scheme();
    return (scheme == u"https"_s || scheme == u"http"_s) && isValidIndexAddress(indexAddress());
}
