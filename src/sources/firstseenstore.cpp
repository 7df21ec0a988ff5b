#include "firstseenstore.h"

#include "platform/console.h"
#include "platform/userdefaults.h"
#include "stablehash.h"

#include <QtEndian>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// "VXFS", a format number, the sources, then a hash of all that: a torn or edited file is
// told from a written one.
constexpr quint32 magic = 0x53465856;
constexpr quint32 formatVersion = 1;
constexpr qsizetype entrySize = 8 + 4 + 8 + 1;
constexpr double noTime = -std::numeric_limits<double>::infinity();

quint32 identifierKey(const Package &package)
{
    StableHasher hasher;
    hasher.add(package.name);
    return quint32(hasher.finish());
}

class Writer
{
public:
    explicit Writer(QByteArray &out) : m_out(out) { }
    template<typename T> void put(T value)
    {
        const qsizetype at = m_out.size();
        m_out.resize(at + qsizetype(sizeof(T)));
        qToLittleEndian(value, m_out.data() + at);
    }
    void put(double value) { put(std::bit_cast<quint64>(value)); }

private:
    QByteArray &m_out;
};

class Reader
{
public:
    explicit Reader(const QByteArray &in, qsizetype end) : m_p(in.constData()), m_end(in.constData() + end) { }
    template<typename T> bool get(T &value)
    {
        if (m_end - m_p < qsizetype(sizeof(T)))
            return false;
        value = qFromLittleEndian<T>(m_p);
        m_p += sizeof(T);
        return true;
    }
    bool get(double &value)
    {
        quint64 bits;
        if (!get(bits))
            return false;
        value = std::bit_cast<double>(bits);
        return true;
    }
    [[nodiscard]] qsizetype left() const { return m_end - m_p; }
    bool bytes(char *to, qsizetype n)
    {
        if (left() < n)
            return false;
        std::memcpy(to, m_p, std::size_t(n));
        m_p += n;
        return true;
    }

private:
    const char *m_p;
    const char *m_end;
};

quint64 checksum(const QByteArray &bytes, qsizetype size)
{
    StableHasher hasher;
    hasher.add(std::string_view(bytes.constData(), std::size_t(size)));
    return hasher.finish();
}

} // namespace

quint64 FirstSeenStore::packageKey(const Package &package)
{
    StableHasher hasher;
    hasher.add(package.name);
    hasher.add(package.version);
    hasher.add(package.architecture);
    return hasher.finish();
}

bool FirstSeenStore::record(const QUuid &source, const PackageList &packages, double now)
{
    Recording recording = compute(prepare(source), packages, now);
    const bool news = recording.m_news;
    adopt(std::move(recording));
    return news;
}

FirstSeenStore::Recording FirstSeenStore::prepare(const QUuid &source) const
{
    Recording recording;
    recording.m_id = source;
    if (const auto previous = m_sources.constFind(source); previous != m_sources.cend()) {
        // Shares the entries; the list in order is not needed, and copying it would cost a frame.
        recording.m_previous.emplace();
        recording.m_previous->latestNews = previous->latestNews;
        recording.m_previous->entries = previous->entries;
        recording.m_stamp = previous->stamp;
    }
    return recording;
}

FirstSeenStore::Recording FirstSeenStore::compute(Recording recording, const PackageList &packages, double now)
{
    const std::optional<Source> &previous = recording.m_previous;
    const bool first = !previous;
    QSet<quint32> identifiers;
    if (!first) {
        identifiers.reserve(previous->entries.size());
        for (const Stored &stored : previous->entries)
            identifiers.insert(stored.identifier);
    }
    Source &next = recording.m_next;
    if (!first)
        next.latestNews = previous->latestNews;
    next.entries.reserve(packages.size());
    next.recorded = ListIdentity::of(packages);
    next.inOrder.reserve(std::size_t(packages.size()));
    bool news = false;
    for (const Package &package : packages) {
        const quint64 key = packageKey(package);
        if (!first) {
            if (const auto known = previous->entries.constFind(key); known != previous->entries.cend()) {
                next.entries.insert(key, *known);
                next.inOrder.push_back({known->time, known->novelty});
                continue;
            }
        }
        const quint32 identifier = identifierKey(package);
        Novelty novelty = Novelty::Known;
        if (!first)
            novelty = identifiers.contains(identifier) ? Novelty::Updated : Novelty::New;
        news = news || novelty != Novelty::Known;
        next.entries.insert(key, {now, identifier, novelty});
        next.inOrder.push_back({now, novelty});
    }
    if (news)
        next.latestNews = now;
    // Nothing appeared and nothing left: the file stays as it is.
    recording.m_changed = first || news || next.entries.size() != previous->entries.size();
    recording.m_news = news;
    recording.m_previous.reset();
    return recording;
}

bool FirstSeenStore::adopt(Recording recording)
{
    const auto current = m_sources.constFind(recording.m_id);
    const quint64 stamp = current == m_sources.cend() ? 0 : current->stamp;
    if (stamp != recording.m_stamp)
        return false;
    recording.m_next.stamp = ++m_generation;
    m_sources.insert(recording.m_id, std::move(recording.m_next));
    if (recording.m_changed)
        m_changed = true;
    return true;
}

const std::vector<FirstSeenStore::Entry> *FirstSeenStore::entriesInOrder(const QUuid &source, const PackageList &packages) const
{
    const auto it = m_sources.constFind(source);
    return it != m_sources.cend() && it->recorded == ListIdentity::of(packages) ? &it->inOrder : nullptr;
}

FirstSeenStore::ListIdentity FirstSeenStore::ListIdentity::of(const PackageList &packages)
{
    if (packages.isEmpty())
        return {nullptr, 0, {}, {}};
    // Package ids are made afresh for every record: a list freed and another one made at the
    // same address is told apart by them.
    return {packages.constData(), packages.size(), packages.constFirst().id, packages.constLast().id};
}

void FirstSeenStore::keepOnly(const QSet<QUuid> &ids)
{
    if (m_sources.removeIf([&ids](const auto &source) { return !ids.contains(source.key()); }) > 0)
        m_changed = true;
}

std::optional<FirstSeenStore::Entry> FirstSeenStore::find(const QUuid &source, const Package &package) const
{
    const auto it = m_sources.constFind(source);
    if (it == m_sources.cend())
        return std::nullopt;
    const auto entry = it->entries.constFind(packageKey(package));
    if (entry == it->entries.cend())
        return std::nullopt;
    return Entry{entry->time, entry->novelty};
}

std::optional<double> FirstSeenStore::latestNews(const QUuid &source) const
{
    const auto it = m_sources.constFind(source);
    return it == m_sources.cend() ? std::nullopt : it->latestNews;
}

qsizetype FirstSeenStore::entryCount(const QUuid &source) const
{
    const auto it = m_sources.constFind(source);
    return it == m_sources.cend() ? 0 : it->entries.size();
}

QByteArray FirstSeenStore::serialize() const
{
    qsizetype size = 4 + 4 + 4 + 8;
    for (const Source &source : m_sources)
        size += 16 + 8 + 4 + source.entries.size() * entrySize;
    QByteArray bytes;
    bytes.reserve(size);
    Writer out(bytes);
    out.put(magic);
    out.put(formatVersion);
    out.put(quint32(m_sources.size()));
    for (auto it = m_sources.cbegin(); it != m_sources.cend(); ++it) {
        bytes.append(it.key().toRfc4122());
        out.put(it->latestNews.value_or(noTime));
        out.put(quint32(it->entries.size()));
        for (auto entry = it->entries.cbegin(); entry != it->entries.cend(); ++entry) {
            out.put(entry.key());
            out.put(entry->identifier);
            out.put(entry->time);
            out.put(quint8(entry->novelty));
        }
    }
    out.put(checksum(bytes, bytes.size()));
    return bytes;
}

bool FirstSeenStore::deserialize(const QByteArray &bytes)
{
    m_sources.clear();
    if (bytes.size() < 8)
        return false;
    const qsizetype body = bytes.size() - 8;
    if (qFromLittleEndian<quint64>(bytes.constData() + body) != checksum(bytes, body))
        return false;
    Reader in(bytes, body);
    quint32 fileMagic = 0, version = 0, sourceCount = 0;
    if (!in.get(fileMagic) || fileMagic != magic || !in.get(version) || version != formatVersion || !in.get(sourceCount))
        return false;
    QHash<QUuid, Source> sources;
    for (quint32 s = 0; s < sourceCount; ++s) {
        char id[16];
        double latestNews = 0;
        quint32 count = 0;
        if (!in.bytes(id, 16) || !in.get(latestNews) || !in.get(count) || in.left() < qsizetype(count) * entrySize)
            return false;
        const QUuid uuid = QUuid::fromRfc4122(QByteArrayView(id, 16));
        if (uuid.isNull() || sources.contains(uuid) || std::isnan(latestNews) || latestNews == -noTime)
            return false;
        Source &source = sources[uuid];
        if (latestNews != noTime)
            source.latestNews = latestNews;
        source.entries.reserve(count);
        for (quint32 e = 0; e < count; ++e) {
            quint64 key = 0;
            Stored stored{};
            quint8 novelty = 0;
            in.get(key);
            in.get(stored.identifier);
            in.get(stored.time);
            in.get(novelty);
            if (!std::isfinite(stored.time) || novelty > quint8(Novelty::Updated) || source.entries.contains(key))
                return false;
            stored.novelty = Novelty(novelty);
            source.entries.insert(key, stored);
        }
    }
    if (in.left() != 0)
        return false;
    const quint64 stamp = ++m_generation;
    for (Source &source : sources)
        source.stamp = stamp;
    m_sources = std::move(sources);
    return true;
}

void FirstSeenStore::load()
{
    m_sources.clear();
    m_changed = false;
    const QString name = QString::fromUtf16(key);
    UserDefaults::FileIdentity identity;
    const std::optional<QByteArray> bytes = UserDefaults::data(name, &identity);
    if (!bytes || deserialize(*bytes))
        return;
    // Kept as it is, so nothing that might still be read by hand is lost, then replaced.
    if (const std::optional<QString> path = UserDefaults::keepAside(name, identity, u"unreadable"_s); path && !path->isEmpty())
        Console::printLine(u"تعذّرت قراءة أوقات ظهور الحزم، فحُفظت كما هي في: "_s + *path);
    m_changed = true;
}

bool FirstSeenStore::save()
{
    return UserDefaults::setIfChanged(m_changed, QString::fromUtf16(key), [this] { return serialize(); });
}

void FirstSeenStore::saveLater()
{
    // The copy shares the records until either side changes them, and is encoded there.
    if (std::exchange(m_changed, false))
        UserDefaults::setLater(QString::fromUtf16(key), [copy = *this] { return copy.serialize(); });
}
