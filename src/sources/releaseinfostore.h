#pragma once

#include "releaseinfo.h"

#include <QHash>
#include <QSet>
#include <QUuid>

// Each source's ReleaseInfo by source id, in a file of its own beside the stored source list
// (whose document keeps its form). Entries of deleted sources go when the file is next written
// after a refresh, so an undone deletion finds its source's entry again.
class ReleaseInfoStore
{
public:
    inline static constexpr char16_t key[] = u"sourceReleases";

    // Reads the file; a missing one reads as empty, an unreadable one is kept aside and
    // replaced at the next save.
    void load();
    // Writes the file atomically when something changed; false when it could not be written.
    bool save();
    // The same on the writing thread of the key-value store: the caller does not wait for the
    // disk. A write that fails there is tried again later (see UserDefaults::setLater).
    void saveLater();

    [[nodiscard]] const ReleaseInfo *find(const QUuid &id) const;
    // Returns whether the entry changed; an empty one removes the source's entry.
    bool insert(const QUuid &id, ReleaseInfo info);
    void keepOnly(const QSet<QUuid> &ids);

private:
    [[nodiscard]] QByteArray encode() const;
    QHash<QUuid, ReleaseInfo> m_entries;
    bool m_changed = false;
};
