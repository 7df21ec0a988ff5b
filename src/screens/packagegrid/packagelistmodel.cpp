#include "packagelistmodel.h"

#include "model/packagepicture.h"
#include "sources/packagenews.h"
#include "text/filesize.h"
#include "text/ratingdisplay.h"

#include <algorithm>
#include <numeric>

namespace {

QString text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// Number of separate runs of removals and insertions between two ascending index lists.
std::size_t changeRuns(const std::vector<std::uint32_t> &from, const std::vector<std::uint32_t> &to)
{
    std::size_t runs = 0;
    int lastKind = 0; // 0 kept, 1 removed, 2 inserted
    std::size_t i = 0, j = 0;
    while (i < from.size() || j < to.size()) {
        int kind;
        if (i < from.size() && j < to.size() && from[i] == to[j]) {
            kind = 0;
            ++i;
            ++j;
        } else if (j == to.size() || (i < from.size() && from[i] < to[j])) {
            kind = 1;
            ++i;
        } else {
            kind = 2;
            ++j;
        }
        if (kind != 0 && kind != lastKind)
            ++runs;
        lastKind = kind;
    }
    return runs;
}

bool shareRecords(const PackageList &a, const PackageList &b)
{
    return a.size() == b.size() && (a.isEmpty() || a.constData() == b.constData());
}

} // namespace

PackageListModel::PackageListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

void PackageListModel::setPackages(const PackageList &packages)
{
    setLists({packages});
}

bool PackageListModel::sameLists(const QList<PackageList> &a, const QList<PackageList> &b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(), shareRecords);
}

void PackageListModel::setLists(const QList<PackageList> &lists, const std::vector<std::uint32_t> *visible)
{
    if (sameLists(lists, m_lists)) {
        if (visible)
            setVisible(*visible);
        else if (m_visible.size() != packageCount() || !std::is_sorted(m_visible.begin(), m_visible.end()))
            showAll();
        return;
    }
    if (keepRows(lists)) {
        // Only the rows of the lists that changed went; the new ones come as insertions.
        if (visible)
            setVisible(*visible);
        else
            showAll();
        return;
    }
    const int before = count();
    beginResetModel();
    m_lists = lists;
    setStarts();
    // Assigned into the buffer already there: a fresh one costs a page fault per 4 KiB.
    if (visible) {
        m_visible.assign(visible->begin(), visible->end());
    } else {
        m_visible.resize(packageCount());
        std::iota(m_visible.begin(), m_visible.end(), 0u);
    }
    endResetModel();
    if (count() != before)
        Q_EMIT countChanged();
}

void PackageListModel::setStarts()
{
    m_starts.assign(1, 0);
    for (const PackageList &list : m_lists)
        m_starts.push_back(m_starts.back() + std::uint32_t(list.size()));
}

// When some of the lists shown are among the new ones (in the same order), removes the rows
// of the others, then moves to the new lists, whose indices the remaining rows take over. A
// refresh of one source then leaves the rows of every other source, and a view its place.
bool PackageListModel::keepRows(const QList<PackageList> &lists)
{
    // Where each list shown now starts among the new ones; -1 when it is not among them.
    std::vector<std::int64_t> moved(std::size_t(m_lists.size()), -1);
    std::uint32_t start = 0;
    qsizetype next = 0;
    bool anyKept = false;
    for (qsizetype i = 0; i < m_lists.size() && next < lists.size(); ++i) {
        for (qsizetype k = next; k < lists.size(); ++k) {
            if (!m_lists.at(i).isEmpty() && shareRecords(m_lists.at(i), lists.at(k))) {
                for (; next < k; ++next)
                    start += std::uint32_t(lists.at(next).size());
                moved[std::size_t(i)] = start;
                start += std::uint32_t(lists.at(next++).size());
                anyKept = true;
                break;
            }
        }
    }
    if (!anyKept)
        return false;

    // Runs of rows whose list goes, found from the back so that row numbers stay valid.
    const auto listOf = [this](std::uint32_t index) {
        return std::size_t(std::upper_bound(m_starts.begin() + 1, m_starts.end(), index) - m_starts.begin()) - 1;
    };
    // In index order each list's rows lie together: found by searching, not by looking up
    // the list of every row, which costs milliseconds on a hundred thousand.
    const bool inOrder = std::is_sorted(m_visible.begin(), m_visible.end());
    const auto rowsOf = [this](std::size_t list) {
        return std::pair(std::size_t(std::lower_bound(m_visible.begin(), m_visible.end(), m_starts[list]) - m_visible.begin()),
                         std::size_t(std::lower_bound(m_visible.begin(), m_visible.end(), m_starts[list + 1]) - m_visible.begin()));
    };
    std::vector<std::pair<std::size_t, std::size_t>> runs; // first row, one past the last
    if (inOrder) {
        for (std::size_t list = moved.size(); list-- > 0;) {
            const auto [first, end] = rowsOf(list);
            if (moved[list] >= 0 || first == end)
                continue;
            if (!runs.empty() && runs.back().first == end)
                runs.back().first = first;
            else
                runs.emplace_back(first, end);
            if (runs.size() > maxChangeRuns)
                return false;
        }
    }
    for (std::size_t row = inOrder ? 0 : m_visible.size(); row > 0;) {
        if (moved[listOf(m_visible[row - 1])] >= 0) {
            --row;
            continue;
        }
        const std::size_t end = row;
        while (row > 0 && moved[listOf(m_visible[row - 1])] < 0)
            --row;
        runs.emplace_back(row, end);
        if (runs.size() > maxChangeRuns)
            return false;
    }
    const int before = count();
    for (const auto &[first, end] : runs) {
        beginRemoveRows({}, int(first), int(end) - 1);
        m_visible.erase(m_visible.begin() + std::ptrdiff_t(first), m_visible.begin() + std::ptrdiff_t(end));
        endRemoveRows();
    }
    // The rows left show the same records under their new indices.
    if (inOrder) {
        // Each kept list's rows move by one amount; all found before any of them moves.
        std::vector<std::pair<std::size_t, std::size_t>> kept(moved.size());
        for (std::size_t list = 0; list < moved.size(); ++list)
            kept[list] = rowsOf(list);
        for (std::size_t list = 0; list < moved.size(); ++list) {
            const std::uint32_t shift = std::uint32_t(moved[list]) - m_starts[list];
            for (std::size_t row = kept[list].first; row < kept[list].second; ++row)
                m_visible[row] += shift;
        }
    } else {
        for (std::uint32_t &index : m_visible) {
            const std::size_t list = listOf(index);
            index = std::uint32_t(index - m_starts[list] + std::uint32_t(moved[list]));
        }
    }
    m_lists = lists;
    setStarts();
    if (count() != before)
        Q_EMIT countChanged();
    return true;
}

void PackageListModel::showAll()
{
    std::vector<std::uint32_t> all(packageCount());
    std::iota(all.begin(), all.end(), 0u);
    setVisible(all);
}

const Package &PackageListModel::package(std::uint32_t index) const
{
    if (m_lists.size() == 1)
        return m_lists.constFirst().at(index);
    // The list holding it: the last one starting at or before it.
    const auto next = std::upper_bound(m_starts.begin() + 1, m_starts.end() - 1, index);
    const std::size_t list = std::size_t(next - m_starts.begin()) - 1;
    return m_lists.at(qsizetype(list)).at(index - m_starts[list]);
}

void PackageListModel::setVisible(const std::vector<std::uint32_t> &indices)
{
    const int before = count();
    // Rows in another order than the index order are not worth moving one by one.
    if (!std::is_sorted(indices.begin(), indices.end()) || !std::is_sorted(m_visible.begin(), m_visible.end())
        || changeRuns(m_visible, indices) > maxChangeRuns) {
        beginResetModel();
        m_visible.assign(indices.begin(), indices.end());
        endResetModel();
    } else {
        applyChanges(indices);
    }
    if (count() != before)
        Q_EMIT countChanged();
}

// Builds the new set in m_visible from the front while the rest of the old set stays readable
// behind it, so each run costs its own length and the model is consistent at every signal.
void PackageListModel::applyChanges(const std::vector<std::uint32_t> &next)
{
    std::vector<std::uint32_t> old = std::move(m_visible);
    m_visible.clear();
    m_visible.reserve(next.size());
    m_old = &old;
    m_oldPos = 0;
    std::size_t j = 0;
    while (m_oldPos < old.size() || j < next.size()) {
        if (m_oldPos < old.size() && j < next.size() && old[m_oldPos] == next[j]) {
            m_visible.push_back(next[j]);
            ++m_oldPos;
            ++j;
        } else if (j == next.size() || (m_oldPos < old.size() && old[m_oldPos] < next[j])) {
            std::size_t end = m_oldPos;
            while (end < old.size() && (j == next.size() || old[end] < next[j]))
                ++end;
            const int first = int(m_visible.size());
            beginRemoveRows({}, first, first + int(end - m_oldPos) - 1);
            m_oldPos = end;
            endRemoveRows();
        } else {
            std::size_t end = j;
            while (end < next.size() && (m_oldPos == old.size() || next[end] < old[m_oldPos]))
                ++end;
            const int first = int(m_visible.size());
            beginInsertRows({}, first, first + int(end - j) - 1);
            m_visible.insert(m_visible.end(), next.begin() + std::ptrdiff_t(j), next.begin() + std::ptrdiff_t(end));
            j = end;
            endInsertRows();
        }
    }
    m_old = nullptr;
}

std::uint32_t PackageListModel::packageAt(int row) const
{
    const std::size_t r = std::size_t(row);
    if (r < m_visible.size())
        return m_visible[r];
    return (*m_old)[m_oldPos + (r - m_visible.size())];
}

int PackageListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_visible.size() + (m_old ? m_old->size() - m_oldPos : 0));
}

int PackageListModel::rowOfPackage(int index) const
{
    if (!std::is_sorted(m_visible.begin(), m_visible.end())) {
        const auto it = std::find(m_visible.begin(), m_visible.end(), std::uint32_t(index));
        return index >= 0 && it != m_visible.end() ? int(it - m_visible.begin()) : -1;
    }
    const auto it = std::lower_bound(m_visible.begin(), m_visible.end(), std::uint32_t(index));
    return index >= 0 && it != m_visible.end() && *it == std::uint32_t(index) ? int(it - m_visible.begin()) : -1;
}

void PackageListModel::setMarks(std::vector<std::uint8_t> marks)
{
    if (marks == m_marks)
        return;
    m_marks = std::move(marks);
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {MarkRole});
}

QVariant PackageListModel::record(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return QVariant::fromValue(package(packageAt(row)));
}

QVariant PackageListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const std::uint32_t at = packageAt(index.row());
    const Package &p = package(at);
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return text(p.name);
    case DescriptionRole:
        return text(p.description);
    case VersionRole:
        return text(p.version);
    case SizeTextRole:
        return formatFileSize(p.fileSize);
    case ArchitectureRole:
        return text(p.simplifiedArchitecture());
    case HasRatingRole:
        return p.ratings.has_value();
    case RatingTextRole:
        return p.ratings ? RatingDisplay::text(*p.ratings) : QString();
    case StarCountRole:
        return p.ratings ? RatingDisplay::starCount(*p.ratings) : 0;
    case ImageUrlRole:
        return packagePictureAddress(p);
    case DisplayNameRole: {
        const std::optional<std::string_view> name = p.displayName();
        return name && *name != p.name ? text(*name) : QString();
    }
    case IdRole:
        return p.id.toString(QUuid::WithoutBraces).toUpper();
    case RecordRole:
        return QVariant::fromValue(p);
    case MarkRole:
        return at < m_marks.size() ? PackageNews::markText(Novelty(m_marks[at])) : QString();
    default:
        return {};
    }
}

QHash<int, QByteArray> PackageListModel::roleNames() const
{
    static const QHash<int, QByteArray> names{
        {NameRole, "name"},
        {DescriptionRole, "packageDescription"},
        {VersionRole, "version"},
        {SizeTextRole, "sizeText"},
        {ArchitectureRole, "architecture"},
        {HasRatingRole, "hasRating"},
        {RatingTextRole, "ratingText"},
        {StarCountRole, "starCount"},
        {ImageUrlRole, "imageUrl"},
        {DisplayNameRole, "displayName"},
        {IdRole, "packageId"},
        {RecordRole, "record"},
        {MarkRole, "mark"},
    };
    return names;
}
