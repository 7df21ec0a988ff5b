#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>

// Each source's last refresh outcome, by source id: succeeded, unchanged (the server answered
// 304) or failed with its reason, and whether any refresh of it ever succeeded. Kept in a
// file of its own beside the stored source list (whose document keeps its form), so a
// failure is still named after a restart, until the next refresh of that source.
class RefreshOutcomeStore
{
public:
    enum class Result { Succeeded, Unchanged, Failed };
    struct Entry
    {
        Result result = Result::Succeeded;
        QString reason; // why it failed, for people; empty unless failed
        bool everSucceeded = true;

        friend bool operator==(const Entry &, const Entry &) = default;
    };

    inline static constexpr char16_t key[] = u"refreshOutcomes";

    // Reads the file; a missing one reads as empty, an unreadable one is kept aside and read
    // as empty.
    void load();
    // Writes the file atomically when something changed since the last load or save; false
    // when it could not be written (the entries stay, to be written next time).
    bool save();
    // The same on the writing thread of the key-value store: the caller does not wait for the
    // disk. A write that fails there is tried again later (see UserDefaults::setLater).
    void saveLater();

    [[nodiscard]] std::optional<Entry> find(const QUuid &id) const;
    void insert(const QUuid &id, Entry entry);
    // Forgets every source but these; done when the file is next written after a refresh, so
    // that a deleted source brought back keeps its entry until then.
    void keepOnly(const QSet<QUuid> &ids);

    // The name of a result, as the command line's JSON writes it.
    [[nodiscard]] static QString resultName(Result result);

private:
    [[nodiscard]] QByteArray encode() const;
    QHash<QUuid, Entry> m_entries;
    bool m_changed = false;
};
