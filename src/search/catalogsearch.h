#pragma once

#include "packagesearchindex.h"

#include <QList>
#include <QObject>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The search over the packages of every source, read as one list in source order. Each list
// gets its own PackageSearchIndex, built on a worker thread when the list first appears, so a
// refresh of one source rebuilds only that source's index and the main thread never waits.
// Recent small answers are kept as in PackageSearch: typing on narrows an earlier answer,
// deleting back finds one.
class CatalogSearch : public QObject
{
    Q_OBJECT

public:
    explicit CatalogSearch(unsigned fields, QObject *parent = nullptr);
    ~CatalogSearch() override;

    // The lists to search, in order. A list that shares its records with one searched before
    // keeps that one's index (or its build under way).
    void setLists(const QList<PackageList> &lists);
    [[nodiscard]] QList<PackageList> lists() const;

    // Every list's index is built; only then may matches() be asked.
    [[nodiscard]] bool isReady() const;

    // Indices (ascending) in the joined list of the packages matching query; valid until the
    // next call or the next change of the lists.
    [[nodiscard]] const std::vector<std::uint32_t> &matches(const QString &query);

Q_SIGNALS:
    // The last index still being built is ready.
    void ready();

private:
    using Index = std::shared_ptr<const PackageSearchIndex>;
    struct Entry
    {
        PackageList list;
        Index index;          // null while building
        std::uint64_t build;  // the build that delivers the index
    };
    struct Answer
    {
        std::string query;
        std::vector<std::uint32_t> packages;
    };

    void startBuild(Entry &entry);
    void built(std::uint64_t build, const Index &index);
    // Leaves the matches in m_scratch.
    void search(const std::string &folded, const std::vector<std::uint32_t> *candidates);

    unsigned m_fields;
    std::vector<Entry> m_entries;
    // Index in the joined list of each list's first package, plus the total at the end.
    std::vector<std::uint32_t> m_starts{0};
    std::uint64_t m_lastBuild = 0;
    std::vector<Answer> m_recent; // most recent last
    std::vector<std::uint32_t> m_scratch;
};
