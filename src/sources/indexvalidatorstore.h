#pragma once

#include "indexvalidators.h"
#include "packagelistfingerprint.h"

#include <QHash>
#include <QSet>
#include <QUuid>

#include <optional>

// The validators of each source's last fetched index, by source id, with the fingerprint of
// the package list that index produced. Kept in a file of their own beside the stored source
// list (whose document keeps its form), so a list read back from an older document, or edited,
// is told apart by its fingerprint and fetched whole again.
class IndexValidatorStore
{
public:
    struct Entry
    {
        IndexValidators validators;
        PackageListFingerprint fingerprint;

        friend bool operator==(const Entry &, const Entry &) = default;
    };

    inline static constexpr char16_t key[] = u"indexValidators";

    // Reads the file; a missing or unreadable one reads as empty, and is replaced at the next save.
    void load();
    // Writes the file atomically when something changed since the last load or save; false
    // when it could not be written (the entries stay, to be written next time).
    bool save();
    // The same on the writing thread of the key-value store: the caller does not wait for the
    // disk. A write that fails there is tried again later (see UserDefaults::setLater).
    void saveLater();

    [[nodiscard]] std::optional<Entry> find(const QUuid &id) const;
    void insert(const QUuid &id, Entry entry);
    void remove(const QUuid &id);
    // Forgets every source but these: a deleted source's entry would otherwise stay forever.
    void keepOnly(const QSet<QUuid> &ids);

private:
    [[nodiscard]] QByteArray encode() const;
    QHash<QUuid, Entry> m_entries;
    bool m_changed = false;
};
