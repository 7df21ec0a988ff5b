#pragma once

#include "model/package.h"

#include <QHash>
#include <QSet>
#include <QUuid>

#include <optional>
#include <vector>

// How a package came into its source's index.
enum class Novelty : quint8 {
    Known, // already there at the source's first successful fetch
    New, // appeared later, its identifier with it
    Updated, // appeared later as another version of an identifier that was there
};

// When each package (identifier, version and architecture) of each source was first seen in a
// successful fetch of its index, by source id. An index has no dates of its own, so this is
// what "newest first" and the marks of what is new are made of. Kept in a file of its own
// beside the stored source list, in a compact binary form (21 bytes a package): a whole
// distribution has tens of thousands of packages.
class FirstSeenStore
{
public:
    struct Entry
    {
        double time = 0; // seconds since 2001, the time of the fetch that first had it
        Novelty novelty = Novelty::Known;
    };

    inline static constexpr char16_t key[] = u"packagesFirstSeen";

    // Reads the file; a missing one reads as empty. An unreadable one is kept aside
    // ("packagesFirstSeen.unreadable-<date and time>", with one console line) and reads as
    // empty, to be replaced at the next save.
    void load();
    // Writes the file atomically when something changed since the last load or save; false
    // when it could not be written (the entries stay, to be written next time).
    bool save();
    // The same on the writing thread of the key-value store: the caller does not wait for the
    // disk. A write that fails there is tried again later (see UserDefaults::setLater).
    void saveLater();

    // A successful fetch of the source's index at `now` gave these packages (a 304 is not
    // one). The first fetch of a source records every package as known; later ones record
    // what appeared as new or updated, and forget what left the index. Returns whether
    // anything appeared.
    bool record(const QUuid &source, const PackageList &packages, double now);

    // The same in steps, so that the work on a whole distribution's packages can run on
    // another thread: `prepare` on the store's thread, `compute` anywhere, then `adopt` on
    // the store's thread, which refuses (returning false) when the source's records changed
    // meanwhile. Other sources' records may change: sources are fetched side by side.
    class Recording;
    [[nodiscard]] Recording prepare(const QUuid &source) const;
    [[nodiscard]] static Recording compute(Recording recording, const PackageList &packages, double now);
    bool adopt(Recording recording);

    // The entry of each of these packages, in their order, when they are the very list last
    // recorded for the source (a list read back from the store is another); else null.
    [[nodiscard]] const std::vector<Entry> *entriesInOrder(const QUuid &source, const PackageList &packages) const;
    // Forgets every source but these.
    void keepOnly(const QSet<QUuid> &ids);

    [[nodiscard]] bool contains(const QUuid &source) const { return m_sources.contains(source); }
    [[nodiscard]] std::optional<Entry> find(const QUuid &source, const Package &package) const;
    // The time of the source's latest fetch that brought anything new or updated.
    [[nodiscard]] std::optional<double> latestNews(const QUuid &source) const;
    [[nodiscard]] qsizetype entryCount(const QUuid &source) const;

    [[nodiscard]] static quint64 packageKey(const Package &package);

    // The file's form, for reading and writing it.
    [[nodiscard]] QByteArray serialize() const;
    [[nodiscard]] bool deserialize(const QByteArray &bytes);

private:
    struct Stored
    {
        double time;
        quint32 identifier; // hash of the identifier alone: tells an update from a new package
        Novelty novelty;
    };
    // Tells the list last recorded from every other one, without holding on to it.
    struct ListIdentity
    {
        const Package *data = nullptr;
        qsizetype size = -1;
        QUuid first, last;
        [[nodiscard]] static ListIdentity of(const PackageList &packages);
        bool operator==(const ListIdentity &) const = default;
    };
    struct Source
    {
        std::optional<double> latestNews;
        QHash<quint64, Stored> entries;
        ListIdentity recorded; // the list that inOrder describes
        std::vector<Entry> inOrder;
        quint64 stamp = 0; // the change of the store that wrote these records; never 0
    };

    QHash<QUuid, Source> m_sources;
    bool m_changed = false;
    quint64 m_generation = 0; // the last stamp given
};

class FirstSeenStore::Recording
{
    friend class FirstSeenStore;
    QUuid m_id;
    std::optional<Source> m_previous;
    quint64 m_stamp = 0; // that of the records it was prepared from; 0 when there were none
    Source m_next;
    bool m_changed = false;
    bool m_news = false;
};
