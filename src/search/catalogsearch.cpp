#include "catalogsearch.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <numeric>

namespace {

constexpr std::size_t recentLimit = 16;
// Recent answers hold at most this many indices in all (1 MiB), the newest one whatever its size.
constexpr std::size_t recentIndexBudget = std::size_t(1) << 18;

// Indexes are built one at a time, so the main thread keeps a core of its own while a whole
// list of sources is indexed.
QThreadPool *indexPool()
{
    static QThreadPool *const pool = [] {
        auto *p = new QThreadPool(QCoreApplication::instance());
        p->setMaxThreadCount(1);
        return p;
    }();
    return pool;
}

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
        const auto known = std::find_if(m_entries.cbegin(), m_entries.cend(),
                                        [&list](const Entry &e) { return same(list, e.list); });
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
    watcher->setFuture(QtConcurrent::run(indexPool(), [list = entry.list, fields = m_fields] {
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
    if (!used || !isReady())
        return;
    // The answers of a search land here. Touching its pages now spares the first keystroke
    // a page fault per 4 KiB.
    m_scratch.assign(m_starts.back(), 0);
    m_scratch.clear();
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

    const std::uint32_t total = m_starts.back();
    if (folded.empty()) {
        m_scratch.resize(total);
        std::iota(m_scratch.begin(), m_scratch.end(), 0u);
        return m_scratch;
    }
    // Narrow the smallest earlier answer whose query this one contains.
    const Answer *base = nullptr;
    for (const Answer &a : m_recent) {
        if (folded.find(a.query) != std::string::npos && (!base || a.packages.size() < base->packages.size()))
            base = &a;
    }
    search(folded, base ? &base->packages : nullptr);
    // Only answers small enough to narrow are kept: examining most packages one by one costs
    // more than one pass over the whole text, and copying a large one costs a keystroke's time.
    if (m_scratch.size() >= total / 4)
        return m_scratch;
    m_recent.push_back(Answer{folded, std::vector<std::uint32_t>(m_scratch.cbegin(), m_scratch.cend())});
    std::size_t held = 0;
    for (const Answer &a : m_recent)
        held += a.packages.size();
    while (m_recent.size() > 1 && (m_recent.size() > recentLimit || held > recentIndexBudget)) {
        held -= m_recent.front().packages.size();
        m_recent.erase(m_recent.begin());
    }
    return m_recent.back().packages;
}

void CatalogSearch::search(const std::string &folded, const std::vector<std::uint32_t> *candidates)
{
    // Filled in place: a buffer grown afresh for every keystroke costs a page fault per 4 KiB.
    m_scratch.clear();
    m_scratch.reserve(m_starts.back());
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const PackageSearchIndex &index = *m_entries[i].index;
        if (!candidates) {
            index.searchInto(folded, m_starts[i], m_scratch);
            continue;
        }
        const auto from = std::lower_bound(candidates->begin(), candidates->end(), m_starts[i]);
        const auto to = std::lower_bound(from, candidates->end(), m_starts[i + 1]);
        index.searchInto(folded, std::span<const std::uint32_t>(from, to), m_starts[i], m_scratch);
    }
}
