#include "indexvalidatorstore.h"

#include "platform/userdefaults.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Header values go back into requests as they are: anything that could end a header line,
// or that a server never sends, makes the entry unusable.
bool isHeaderValue(const QByteArray &value)
{
    return std::all_of(value.cbegin(), value.cend(), [](char c) { return (c >= 0x20 && c != 0x7f) || c == '\t'; });
}

std::optional<IndexValidatorStore::Entry> entryFrom(const QJsonObject &object)
{
    const QJsonValue address = object.value(u"address"), etag = object.value(u"etag"),
                     lastModified = object.value(u"lastModified"), count = object.value(u"count"),
                     hash = object.value(u"hash");
    if (!address.isString() || !etag.isString() || !lastModified.isString() || !count.isDouble() || !hash.isString())
        return std::nullopt;
    bool hashOk = false;
    IndexValidatorStore::Entry entry{
        IndexValidators{address.toString(), etag.toString().toLatin1(), lastModified.toString().toLatin1()}.bounded(),
        {qint64(count.toDouble()), hash.toString().toULongLong(&hashOk, 16)}};
    if (!hashOk || count.toDouble() < 0 || !isHeaderValue(entry.validators.etag)
        || !isHeaderValue(entry.validators.lastModified) || !entry.validators.canRevalidate())
        return std::nullopt;
    return entry;
}

} // namespace

void IndexValidatorStore::load()
{
    m_entries.clear();
    m_changed = false;
    const std::optional<QByteArray> bytes = UserDefaults::data(QString::fromUtf16(key));
    if (!bytes)
        return;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    const QJsonObject sources = document.object();
    for (auto it = sources.constBegin(); it != sources.constEnd(); ++it) {
        const QUuid id(it.key());
        if (id.isNull() || !it.value().isObject())
            continue;
        if (std::optional<Entry> entry = entryFrom(it.value().toObject()))
            m_entries.insert(id, std::move(*entry));
    }
    // Whatever could not be read is written over at the next save.
    m_changed = !document.isObject() || m_entries.size() != sources.size();
}

bool IndexValidatorStore::save()
{
    return UserDefaults::setIfChanged(m_changed, QString::fromUtf16(key), [this] { return encode(); });
}

void IndexValidatorStore::saveLater()
{
    if (std::exchange(m_changed, false))
        UserDefaults::setLater(QString::fromUtf16(key), [bytes = encode()] { return bytes; });
}

QByteArray IndexValidatorStore::encode() const
{
    QJsonObject sources;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        const Entry &entry = it.value();
        sources.insert(it.key().toString(QUuid::WithoutBraces).toUpper(),
                       QJsonObject{{u"address"_s, entry.validators.address},
                                   {u"etag"_s, QString::fromLatin1(entry.validators.etag)},
                                   {u"lastModified"_s, QString::fromLatin1(entry.validators.lastModified)},
                                   {u"count"_s, double(entry.fingerprint.count)},
                                   {u"hash"_s, QString::number(entry.fingerprint.hash, 16)}});
    }
    return QJsonDocument(sources).toJson(QJsonDocument::Compact);
}

std::optional<IndexValidatorStore::Entry> IndexValidatorStore::find(const QUuid &id) const
{
    const auto it = m_entries.constFind(id);
    return it == m_entries.cend() ? std::nullopt : std::optional<Entry>(*it);
}

void IndexValidatorStore::insert(const QUuid &id, Entry entry)
{
    if (const auto it = m_entries.constFind(id); it != m_entries.cend() && *it == entry)
        return; // most refreshes change nothing: the file is not written again
    m_entries.insert(id, std::move(entry));
    m_changed = true;
}

void IndexValidatorStore::remove(const QUuid &id)
{
    m_changed = m_entries.remove(id) || m_changed;
}

void IndexValidatorStore::keepOnly(const QSet<QUuid> &ids)
{
    m_changed = m_entries.removeIf([&ids](const auto &entry) { return !ids.contains(entry.key()); }) > 0 || m_changed;
}
