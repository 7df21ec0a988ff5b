#pragma once

#include "model/repo.h"

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
    };
    Q_ENUM(Role)

    using Filter = std::function<bool(const Repo &)>;

    RepoSectionModel(const RepoList *repos, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    // Position in the main screen's list of the source shown at a row.
    [[nodiscard]] int listPosition(int row) const { return m_positions.at(row); }
    [[nodiscard]] const QList<int> &positions() const { return m_positions; }

    // Recomputes which sources are shown after the list or the test changed, with precise
    // insertions and removals; rows that stay are reported as changed when `changed` is set.
    void update(const Filter &filter, bool changed = true);
    // One source of the list changed in place (refresh state, packages).
    void sourceChanged(int listPosition);

private:
    const RepoList *m_repos;
    QList<int> m_positions;
    QList<QUuid> m_ids;
};
