#include "reposectionmodel.h"

#include "model/referencedate.h"
#include "sources/packagenews.h"
#include "text/datetext.h"

#include <QLocale>

using namespace Qt::StringLiterals;

RepoSectionModel::RepoSectionModel(const RepoList *repos, QObject *parent)
    : QAbstractListModel(parent)
    , m_repos(repos)
{
}

int RepoSectionModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_positions.size());
}

QVariant RepoSectionModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int position = m_positions.at(index.row());
    if (position < 0)
        return {}; // a source already gone from the list, about to leave the section
    const Repo &repo = m_repos->at(position);
    const ReleaseInfo *release = m_releases ? m_releases(repo.id) : nullptr;
    switch (role) {
    case IdRole:
        return repo.id.toString(QUuid::WithoutBraces);
    case Qt::DisplayRole:
    case NameRole:
        return release && !release->title.isEmpty() ? release->title : QString::fromStdString(repo.name);
    case UrlRole:
        return QString::fromStdString(repo.url);
    case ImageUrlRole:
        return QString::fromStdString(repo.imageURL);
    case PackageCountRole:
        return int(repo.packages.size());
    case LastUpdatedTextRole:
        return lastUpdatedText(repo, m_outcomes ? m_outcomes->find(repo.id) : std::nullopt);
    case FailureReasonRole: {
        const auto outcome = m_outcomes ? m_outcomes->find(repo.id) : std::nullopt;
        return outcome && outcome->result == RefreshOutcomeStore::Result::Failed ? outcome->reason : QString();
    }
    case IsPinnedRole:
        return repo.isPinned;
    case IsFixedRole:
        return repo.isFixed;
    case IsUpdatingRole:
        return repo.isUpdating;
    case UpdateProgressRole:
        return repo.updateProgress;
    case NewCountTextRole:
        return PackageNews::markedCountText(m_markedCount ? m_markedCount(repo) : 0);
    case IndexMismatchRole:
        return release && release->indexMismatch();
    }
    return {};
}

QHash<int, QByteArray> RepoSectionModel::roleNames() const
{
    static const QHash<int, QByteArray> names{
        {IdRole, "repoId"},
        {NameRole, "name"},
        {UrlRole, "url"},
        {ImageUrlRole, "imageURL"},
        {PackageCountRole, "packageCount"},
        {LastUpdatedTextRole, "lastUpdatedText"},
        {IsPinnedRole, "isPinned"},
        {IsFixedRole, "isFixed"},
        {IsUpdatingRole, "isUpdating"},
        {UpdateProgressRole, "updateProgress"},
        {FailureReasonRole, "failureReason"},
        {NewCountTextRole, "newCountText"},
        {IndexMismatchRole, "indexMismatch"},
    };
    return names;
}

QString RepoSectionModel::lastUpdatedText(const Repo &repo, const std::optional<RefreshOutcomeStore::Entry> &outcome)
{
    // Without a record, as read from a document older than the records: a source that has
    // packages got them from a refresh; one without has never had one here.
    if (outcome ? !outcome->everSucceeded : repo.packages.isEmpty())
        return u"لم يُحدَّث بعد"_s;
    return shortDateTimeText(ReferenceDate::toDateTime(repo.lastUpdated).toLocalTime(), QLocale::system());
}

void RepoSectionModel::update(const Filter &filter, bool changed)
{
    QList<int> next;
    QList<QUuid> nextIds;
    for (int i = 0; i < m_repos->size(); ++i) {
        if (filter(m_repos->at(i))) {
            next.append(i);
            nextIds.append(m_repos->at(i).id);
        }
    }
    if (m_ids.isEmpty() || next.isEmpty() || std::abs(next.size() - m_ids.size()) > 64) {
        if (nextIds == m_ids && next == m_positions && !changed)
            return;
        // A wholly different list (a reload, a first search): one reset beats many moves.
        beginResetModel();
        m_positions = std::move(next);
        m_ids = std::move(nextIds);
        endResetModel();
        return;
    }
    // Rows are matched by id, since positions shift when sources are removed; both lists
    // keep list order, so one merge pass yields the removals and insertions. First point the
    // shown rows at their sources' current positions, so the rows stay readable meanwhile.
    QHash<QUuid, int> current;
    for (int i = 0; i < m_repos->size(); ++i)
        current.insert(m_repos->at(i).id, i);
    for (int row = 0; row < m_ids.size(); ++row)
        m_positions[row] = current.value(m_ids[row], -1);
    int row = 0;
    int k = 0;
    while (row < m_ids.size() || k < nextIds.size()) {
        if (row < m_ids.size() && k < nextIds.size() && m_ids[row] == nextIds[k]) {
            m_positions[row] = next[k];
            if (changed)
                Q_EMIT dataChanged(index(row), index(row));
            ++row;
            ++k;
            continue;
        }
        const bool oldStays = row < m_ids.size() && nextIds.indexOf(m_ids[row], k) >= 0;
        if (row < m_ids.size() && !oldStays) {
            beginRemoveRows({}, row, row);
            m_positions.removeAt(row);
            m_ids.removeAt(row);
            endRemoveRows();
        } else {
            beginInsertRows({}, row, row);
            m_positions.insert(row, next[k]);
            m_ids.insert(row, nextIds[k]);
            endInsertRows();
            ++row;
            ++k;
        }
    }
}

void RepoSectionModel::sourceChanged(int listPosition)
{
    const auto row = m_positions.indexOf(listPosition);
    if (row >= 0)
        Q_EMIT dataChanged(index(int(row)), index(int(row)));
}
