#include "releaseinfostore.h"

#include "platform/userdefaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView algorithmNames[] = {u"MD5Sum", u"SHA1", u"SHA256"};

bool isLowerHex(const QByteArray &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

QJsonObject toJson(const ReleaseInfo &info)
{
    QJsonObject checksums;
    for (auto it = info.checksums.cbegin(); it != info.checksums.cend(); ++it)
        checksums.insert(it.key(), QJsonObject{{u"algorithm"_s, algorithmNames[int(it->algorithm)].toString()},
                                               {u"hash"_s, QString::fromLatin1(it->hex)},
                                               {u"size"_s, double(it->size)}});
    QJsonArray fetched;
    for (const IndexDigest &digest : info.fetched)
        fetched.append(QJsonObject{{u"path"_s, digest.path},
                                   {u"size"_s, double(digest.size)},
                                   {u"md5"_s, QString::fromLatin1(digest.md5)},
                                   {u"sha1"_s, QString::fromLatin1(digest.sha1)},
                                   {u"sha256"_s, QString::fromLatin1(digest.sha256)}});
    return {{u"title"_s, info.title},
            {u"description"_s, info.description},
            {u"address"_s, info.validators.address},
            {u"etag"_s, QString::fromLatin1(info.validators.etag)},
            {u"lastModified"_s, QString::fromLatin1(info.validators.lastModified)},
            {u"checksums"_s, checksums},
            {u"fetched"_s, fetched}};
}

// Strict: an entry with a field of the wrong kind is dropped whole.
std::optional<ReleaseInfo> fromJson(const QJsonObject &object)
{
    ReleaseInfo info;
    for (const char16_t *name : {u"title", u"description", u"address", u"etag", u"lastModified"}) {
        if (!object.value(QStringView(name)).isString())
            return std::nullopt;
    }
    info.title = object.value(u"title").toString();
    info.description = object.value(u"description").toString();
    info.validators = {object.value(u"address").toString(), object.value(u"etag").toString().toLatin1(),
                       object.value(u"lastModified").toString().toLatin1()};
    const QByteArray header = info.validators.etag + info.validators.lastModified;
    if (std::any_of(header.cbegin(), header.cend(), [](char c) { return (c < 0x20 && c != '\t') || c == 0x7f; }))
        return std::nullopt; // would go back into a request
    const QJsonValue checksums = object.value(u"checksums"), fetched = object.value(u"fetched");
    if (!checksums.isObject() || !fetched.isArray())
        return std::nullopt;
    const QJsonObject listed = checksums.toObject();
    for (auto it = listed.constBegin(); it != listed.constEnd(); ++it) {
        const QJsonObject line = it.value().toObject();
        const auto algorithm = std::find(std::begin(algorithmNames), std::end(algorithmNames), line.value(u"algorithm").toString());
        const QByteArray hex = line.value(u"hash").toString().toLatin1();
        if (algorithm == std::end(algorithmNames) || !line.value(u"size").isDouble() || !isLowerHex(hex))
            return std::nullopt;
        info.checksums.insert(it.key(), {ReleaseChecksum::Algorithm(algorithm - std::begin(algorithmNames)), hex,
                                         qint64(line.value(u"size").toDouble())});
    }
    for (const QJsonValue &value : fetched.toArray()) {
        const QJsonObject file = value.toObject();
        IndexDigest digest{file.value(u"path").toString(), qint64(file.value(u"size").toDouble(-1)),
                           file.value(u"md5").toString().toLatin1(), file.value(u"sha1").toString().toLatin1(),
                           file.value(u"sha256").toString().toLatin1()};
        if (digest.path.isEmpty() || digest.size < 0 || !isLowerHex(digest.md5 + digest.sha1 + digest.sha256))
            return std::nullopt;
        info.fetched.append(std::move(digest));
    }
    return info;
}

} // namespace

void ReleaseInfoStore::load()
{
    m_entries.clear();
    m_changed = false;
    UserDefaults::FileIdentity identity;
    const std::optional<QByteArray> bytes = UserDefaults::data(QString::fromUtf16(key), &identity);
    if (!bytes)
        return;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    if (!document.isObject()) {
        (void)UserDefaults::keepAside(QString::fromUtf16(key), identity, u"unreadable"_s);
        m_changed = true;
        return;
    }
    const QJsonObject sources = document.object();
    for (auto it = sources.constBegin(); it != sources.constEnd(); ++it) {
        const QUuid id(it.key());
        if (id.isNull() || !it.value().isObject())
            continue;
        if (std::optional<ReleaseInfo> info = fromJson(it.value().toObject()))
            m_entries.insert(id, std::move(*info));
    }
    m_changed = m_entries.size() != sources.size();
}

bool ReleaseInfoStore::save()
{
    return UserDefaults::setIfChanged(m_changed, QString::fromUtf16(key), [this] { return encode(); });
}

void ReleaseInfoStore::saveLater()
{
    if (std::exchange(m_changed, false))
        UserDefaults::setLater(QString::fromUtf16(key), [bytes = encode()] { return bytes; });
}

QByteArray ReleaseInfoStore::encode() const
{
    QJsonObject sources;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it)
        sources.insert(it.key().toString(QUuid::WithoutBraces).toUpper(), toJson(*it));
    return QJsonDocument(sources).toJson(QJsonDocument::Compact);
}

const ReleaseInfo *ReleaseInfoStore::find(const QUuid &id) const
{
    const auto it = m_entries.constFind(id);
    return it == m_entries.cend() ? nullptr : &*it;
}

bool ReleaseInfoStore::insert(const QUuid &id, ReleaseInfo info)
{
    const auto it = m_entries.constFind(id);
    if (info.isEmpty()) {
        if (it == m_entries.cend())
            return false;
        m_entries.remove(id);
    } else {
        if (it != m_entries.cend() && *it == info)
            return false;
        m_entries.insert(id, std::move(info));
    }
    m_changed = true;
    return true;
}

void ReleaseInfoStore::keepOnly(const QSet<QUuid> &ids)
{
    m_changed = m_entries.removeIf([&ids](const auto &entry) { return !ids.contains(entry.key()); }) > 0 || m_changed;
}
