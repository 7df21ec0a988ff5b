#include "catalogsearch.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {

constexpr std::size_t recentLimit = 16;

bool same(const PackageList &a, const PackageList &b)
{
    return a.size() == b.size() && (a.isEmpty() || a.constData() == b.constData());
}

} // namespace

CatalogSearch::CatalogSearch(unsigned fields, QObject *parent)
    : QObject(parent)
    , m_fields(fields)
{
}

// Builds still running hold their own copy of their list and finish on their own.
CatalogSearch::~CatalogSearch() = default;

void CatalogSearch::setLists(const QList<PackageList> &lists)
{
    const bool unchanged = std::equal(lists.cbegin(), lists.cend(), m_entries.cbegin(), m_entries.cend(),
                                      [](const PackageList &l, const Entry &e) { return same(l, e.list); });
    if (unchanged)
        return;
    std::vector<Entry> entries;
    entries.reserve(std::size_t(lists.size()));
    for (const PackageList &list : lists) {
        const auto known = std::find_if(m_entries.cbegin(), m_entries.cend(), [&list](const Entry &e) { return same(list, e.list); });
        if (known != m_entries.cend()) {
            entries.push_back(*known);
        } else {
            entries.push_back(Entry{list, nullptr, 0});
            startBuild(entries.back());
        }
    }
    m_entries = std::move(entries);
    m_starts.assign(1, 0);
    for (const Entry &e : m_entries)
        m_starts.push_back(m_starts.back() + std::uint32_t(e.list.size()));
    m_recent.clear();
}

QList<PackageList> CatalogSearch::lists() const
{
    QList<PackageList> result;
    result.reserve(qsizetype(m_entries.size()));
    for (const Entry &e : m_entries)
        result.append(e.list);
    return result;
}

bool CatalogSearch::isReady() const
{
    return std::all_of(m_entries.cbegin(), m_entries.cend(), [](const Entry &e) { return e.index != nullptr; });
}

void CatalogSearch::startBuild(Entry &entry)
{
    const std::uint64_t build = ++m_lastBuild;
    entry.build = build;
    if (entry.list.isEmpty()) {
        entry.index = std::make_shared<const PackageSearchIndex>();
        return;
    }
    auto *watcher = new QFutureWatcher<Index>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, build] {
        built(build, watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run([list = entry.list, fields = m_fields] {
        return Index(std::make_shared<const PackageSearchIndex>(list, fields));
    }));
}

void CatalogSearch::built(std::uint64_t build, const Index &index)
{
    bool used = false;
    for (Entry &e : m_entries) {
        if (e.build == build && !e.index) {
            e.index = index;
            used = true;
        }
    }
    // A build for a list that was replaced meanwhile is simply dropped.
    if (used && isReady())
        Q_EMIT ready();
}

const std::vector<std::uint32_t> &CatalogSearch::matches(const QString &query)
{
    Q_ASSERT(isReady());
    const std::string folded = PackageSearchIndex::fold(query);
    const auto known = std::find_if(m_recent.begin(), m_recent.end(), [&](const Answer &a) { return a.query == folded; });
    if (known != m_recent.end()) {
        std::rotate(known, known + 1, m_recent.end());
        return m_recent.back().packages;
    }

    Answer answer{folded, {}};
    const std::uint32_t total = m_starts.back();
    if (folded.empty()) {
        answer.packages.resize(total);
        for (std::uint32_t i = 0; i < total; ++i)
            answer.packages[i] = i;
    } else {
        // Narrow the smallest earlier answer whose query this one contains.
        const Answer *base = nullptr;
        for (const Answer &a : m_recent) {
            if (!a.query.empty() && folded.find(a.query) != std::string::npos
                && (!base || a.packages.size() < base->packages.size()))
                base = &a;
        }
        // Examining most packages one by one costs more than one pass over the whole text.
        const bool narrow = base && base->packages.size() < total / 4;
        answer.packages = search(folded, narrow ? &base->packages : nullptr);
    }
    if (m_recent.size() == recentLimit)
        m_recent.erase(m_recent.begin());
    m_recent.push_back(std::move(answer));
    return m_recent.back().packages;
}

std::vector<std::uint32_t> CatalogSearch::search(const std::string &folded,
                                                 const std::vector<std::uint32_t> *candidates) const
{
    std::vector<std::uint32_t> found;
    std::vector<std::uint32_t> local;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const std::uint32_t start = m_starts[i];
        std::vector<std::uint32_t> hits;
        if (candidates) {
            const auto from = std::lower_bound(candidates->begin(), candidates->end(), start);
            const auto to = std::lower_bound(from, candidates->end(), m_starts[i + 1]);
            if (from == to)
                continue;
            local.resize(std::size_t(to - from));
            std::transform(from, to, local.begin(), [start](std::uint32_t c) { return c - start; });
            hits = m_entries[i].index->search(folded, local);
        } else {
            hits = m_entries[i].index->search(folded);
        }
        for (const std::uint32_t hit : hits)
            found.push_back(hit + start);
    }
    return found;
}
