#include "refreshoutcomestore.h"

#include "platform/userdefaults.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr RefreshOutcomeStore::Result results[] = {RefreshOutcomeStore::Result::Succeeded,
                                                   RefreshOutcomeStore::Result::Unchanged,
                                                   RefreshOutcomeStore::Result::Failed};

std::optional<RefreshOutcomeStore::Entry> entryFrom(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    const QJsonValue result = object.value(u"result"), reason = object.value(u"reason"),
                     everSucceeded = object.value(u"everSucceeded");
    if (!value.isObject() || !result.isString() || !everSucceeded.isBool() || !(reason.isString() || reason.isUndefined()))
        return std::nullopt;
    for (const RefreshOutcomeStore::Result r : results) {
        if (RefreshOutcomeStore::resultName(r) != result.toString())
            continue;
        // A failure always has its reason, and only a failure has one.
        if ((r == RefreshOutcomeStore::Result::Failed) != !reason.toString().isEmpty())
            return std::nullopt;
        return RefreshOutcomeStore::Entry{r, reason.toString(), everSucceeded.toBool()};
    }
    return std::nullopt;
}

} // namespace

QString RefreshOutcomeStore::resultName(Result result)
{
    switch (result) {
    case Result::Succeeded:
        return u"succeeded"_s;
    case Result::Unchanged:
        return u"unchanged"_s;
    case Result::Failed:
        return u"failed"_s;
    }
    return {};
}

void RefreshOutcomeStore::load()
{
    m_entries.clear();
    m_changed = false;
    const QString name = QString::fromUtf16(key);
    UserDefaults::FileIdentity identity;
    const std::optional<QByteArray> bytes = UserDefaults::data(name, &identity);
    if (!bytes)
        return;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &error);
    const QJsonObject sources = document.object();
    bool whole = document.isObject();
    for (auto it = sources.constBegin(); it != sources.constEnd(); ++it) {
        const QUuid id(it.key());
        const std::optional<Entry> entry = entryFrom(it.value());
        if (id.isNull() || !entry) {
            whole = false;
            continue;
        }
        m_entries.insert(id, *entry);
    }
    if (!whole) {
        // Kept for whoever wants to know what it held; the entries that could be read stay.
        (void)UserDefaults::keepAside(name, identity, u"unreadable"_s);
        m_changed = true;
    }
}

bool RefreshOutcomeStore::save()
{
    return UserDefaults::setIfChanged(m_changed, QString::fromUtf16(key), [this] { return encode(); });
}

void RefreshOutcomeStore::saveLater()
{
    if (std::exchange(m_changed, false))
        UserDefaults::setLater(QString::fromUtf16(key), [bytes = encode()] { return bytes; });
}

QByteArray RefreshOutcomeStore::encode() const
{
    QJsonObject sources;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        QJsonObject entry{{u"result"_s, resultName(it->result)}, {u"everSucceeded"_s, it->everSucceeded}};
        if (!it->reason.isEmpty())
            entry.insert(u"reason"_s, it->reason);
        sources.insert(it.key().toString(QUuid::WithoutBraces).toUpper(), entry);
    }
    return QJsonDocument(sources).toJson(QJsonDocument::Compact);
}

std::optional<RefreshOutcomeStore::Entry> RefreshOutcomeStore::find(const QUuid &id) const
{
    const auto it = m_entries.constFind(id);
    return it == m_entries.cend() ? std::nullopt : std::optional<Entry>(*it);
}

void RefreshOutcomeStore::insert(const QUuid &id, Entry entry)
{
    if (const auto it = m_entries.constFind(id); it != m_entries.cend() && *it == entry)
        return;
    m_entries.insert(id, std::move(entry));
    m_changed = true;
}

void RefreshOutcomeStore::keepOnly(const QSet<QUuid> &ids)
{
    m_changed = m_entries.removeIf([&ids](const auto &entry) { return !ids.contains(entry.key()); }) > 0 || m_changed;
}
