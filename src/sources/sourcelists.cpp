#include "sourcelists.h"

#include "distribution.h"
#include "repoadder.h"
#include "utf8.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype maxBytes = qsizetype(64) << 20;

QString withSlash(QString address)
{
    return address.endsWith(u'/') ? address : address + u'/';
}

QString baseOf(const QString &uri, const QString &suite)
{
    if (suite.isEmpty() || suite == u"./" || suite == u".")
        return withSlash(uri);
    if (suite.endsWith(u'/'))
        return withSlash(uri) + suite;
    return withSlash(uri) + u"dists/"_s + suite + u'/';
}

// deb822 stanzas: each URI with each suite of a stanza of type deb that is not switched off.
QStringList readStanzas(QStringView text)
{
    QStringList addresses;
    QHash<QString, QString> fields;
    QString last;
    const auto flush = [&] {
        const QStringList types = fields.value(u"types"_s).split(u' ', Qt::SkipEmptyParts);
        if (types.contains(u"deb"_s) && fields.value(u"enabled"_s).compare(u"no", Qt::CaseInsensitive) != 0) {
            QStringList suites = fields.value(u"suites"_s).split(u' ', Qt::SkipEmptyParts);
            if (suites.isEmpty())
                suites = {QString()};
            for (const QString &uri : fields.value(u"uris"_s).split(u' ', Qt::SkipEmptyParts)) {
                for (const QString &suite : suites)
                    addresses.append(baseOf(uri, suite));
            }
        }
        fields.clear();
        last.clear();
    };
    for (QStringView line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty()) {
            flush();
            continue;
        }
        if (line.startsWith(u'#'))
            continue;
        if ((line.startsWith(u' ') || line.startsWith(u'\t')) && !last.isEmpty()) {
            fields[last] += u' ' + line.trimmed().toString();
            continue;
        }
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            continue; // not a field: passed over like an unknown one
        last = line.left(colon).trimmed().toString().toLower();
        fields[last] = line.mid(colon + 1).toString().simplified();
    }
    flush();
    return addresses;
}

QStringList readJson(const QByteArray &bytes, QString &error)
{
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isArray()) {
        error = u"not a JSON list of sources"_s;
        return {};
    }
    QStringList addresses;
    for (const QJsonValue &record : document.array()) {
        const QJsonValue url = record.toObject().value(u"url");
        if (url.isString())
            addresses.append(url.toString());
    }
    return addresses;
}

bool hasStanzaFields(QStringView text)
{
    static const QRegularExpression field(uR"(^(Types|URIs)\s*:)"_s,
                                          QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    return field.match(text.toString()).hasMatch();
}

} // namespace

std::optional<SourceLists::Format> SourceLists::formatNamed(QStringView name)
{
    if (name == u"text")
        return Format::Text;
    if (name == u"list")
        return Format::List;
    if (name == u"sources")
        return Format::Sources;
    if (name == u"json")
        return Format::Json;
    return std::nullopt;
}

std::optional<QString> SourceLists::baseOfDebLine(QStringView line)
{
    QStringList words = line.toString().simplified().split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty() || words.takeFirst() != u"deb")
        return std::nullopt;
    // Options in brackets, which may hold blanks: "[arch=iphoneos-arm trusted=yes]".
    if (!words.isEmpty() && words.first().startsWith(u'[')) {
        while (!words.isEmpty() && !words.takeFirst().endsWith(u']')) {
        }
    }
    if (words.isEmpty())
        return std::nullopt;
    return baseOf(words.at(0), words.size() > 1 ? words.at(1) : QString());
}

QStringList SourceLists::typedAddresses(QStringView text)
{
    static const QRegularExpression lineBreak(u"[\\n\\r\\x{0b}\\x{0c}\\x{85}\\x{2028}\\x{2029}]"_s);
    QStringList addresses;
    for (const QString &line : text.toString().split(lineBreak)) {
        if (const std::optional<QString> base = baseOfDebLine(line))
            addresses.append(*base);
        else if (!line.trimmed().startsWith(u"deb-src"))
            addresses.append(RepoAdder::splitAddresses(line));
    }
    return addresses;
}

SourceLists::ReadResult SourceLists::read(const QByteArray &bytes)
{
    ReadResult result;
    const std::string_view raw(bytes.constData(), std::size_t(bytes.size()));
    if (bytes.size() > maxBytes)
        result.error = u"larger than 64 MiB"_s;
    else if (!isValidUtf8(raw) || bytes.contains('\0'))
        result.error = u"not UTF-8 text"_s;
    if (!result.error.isEmpty())
        return result;
    const QString text = QString::fromUtf8(bytes);
    if (text.trimmed().startsWith(u'['))
        result.addresses = readJson(bytes, result.error);
    else if (hasStanzaFields(text))
        result.addresses = readStanzas(text);
    else {
        for (const QString &line : text.split(u'\n')) {
            if (!line.trimmed().startsWith(u'#'))
                result.addresses.append(typedAddresses(line));
        }
    }
    if (result.addresses.size() > maxAddresses) {
        result.error = u"more than %1 addresses"_s.arg(maxAddresses);
        result.addresses.clear();
    }
    return result;
}

QByteArray SourceLists::write(const RepoList &repos, Format format)
{
    QString text;
    for (const Repo &repo : repos) {
        const QString base = QString::fromStdString(repo.url);
        const std::optional<QString> root = Distribution::archiveRoot(base);
        // The suite of a distribution: what lies between "dists/" and the final "/".
        const QString suite = root ? base.mid(root->size() + 6).chopped(1) : u"./"_s;
        const QString uri = root.value_or(base);
        switch (format) {
        case Format::Text:
        case Format::Json:
            text += base + u'\n';
            break;
        case Format::List:
            text += u"deb "_s + uri + u' ' + suite + (root ? u" main\n"_s : u"\n"_s);
            break;
        case Format::Sources:
            if (!text.isEmpty())
                text += u'\n';
            text += u"Types: deb\nURIs: "_s + uri + u"\nSuites: "_s + suite + u'\n';
            if (root)
                text += u"Components: main\n"_s;
            break;
        }
    }
    return text.toUtf8();
}
