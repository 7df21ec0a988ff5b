#pragma once

#include "model/repo.h"
#include "sources/refreshoutcomestore.h"
#include "sources/releaseinfo.h"

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

#include <functional>

// One section of the main screen's list: the positions of the sources that pass the
// section's test, as a view over the main screen's list (no copies of records).
class RepoSectionModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Sections belong to the main screen")

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        NameRole,
        UrlRole,
        ImageUrlRole,
        PackageCountRole,
        LastUpdatedTextRole,
        IsPinnedRole,
        IsFixedRole,
        IsUpdatingRole,
        UpdateProgressRole,
        FailureReasonRole, // why the last refresh failed; empty when it did not
        NewCountTextRole, // "جديد: N" while N of its packages are marked, else empty
        IndexMismatchRole,
    };
    Q_ENUM(Role)

    using Filter = std::function<bool(const Repo &)>;
    using MarkedCount = std::function<int(const Repo &)>;
    using ReleaseLookup = std::function<const ReleaseInfo *(const QUuid &)>;

    RepoSectionModel(const RepoList *repos, QObject *parent = nullptr);
    // Where the rows read each source's last refresh outcome; it must outlive the model.
    void setOutcomes(const RefreshOutcomeStore *outcomes) { m_outcomes = outcomes; }
    // "آخر تحديث" of a row: the time of the source's last successful refresh, or a note that
    // none ever succeeded.
    [[nodiscard]] static QString lastUpdatedText(const Repo &repo, const std::optional<RefreshOutcomeStore::Entry> &outcome);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    // Where the rows find what each source's Release said: its title is the name shown.
    void setReleases(ReleaseLookup lookup) { m_releases = std::move(lookup); }

    // Position in the main screen's list of the source shown at a row.
    [[nodiscard]] int listPosition(int row) const { return m_positions.at(row); }
    [[nodiscard]] const QList<int> &positions() const { return m_positions; }

    // Recomputes which sources are shown after the list or the test changed, with precise
    // insertions and removals; rows that stay are reported as changed when `changed` is set.
    void update(const Filter &filter, bool changed = true);
    // One source of the list changed in place (refresh state, packages).
    void sourceChanged(int listPosition);
    // How many of a source's packages are marked new or updated.
    void setMarkedCount(MarkedCount count) { m_markedCount = std::move(count); }

private:
    const RepoList *m_repos;
    const RefreshOutcomeStore *m_outcomes = nullptr;
    QList<int> m_positions;
    QList<QUuid> m_ids;
    MarkedCount m_markedCount;
    ReleaseLookup m_releases;
};
