#include "packagerowmodel.h"

#include "packagelistmodel.h"

#include <QVariantMap>

#include <algorithm>

PackageRowModel::PackageRowModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

void PackageRowModel::setPackages(PackageListModel *packages)
{
    if (m_packages == packages)
        return;
    if (m_packages)
        m_packages->disconnect(this);
    m_packages = packages;
    if (m_packages) {
        connect(m_packages, &QAbstractItemModel::modelReset, this, &PackageRowModel::replace);
        connect(m_packages, &QAbstractItemModel::layoutChanged, this, &PackageRowModel::reset);
        connect(m_packages, &QAbstractItemModel::rowsMoved, this, &PackageRowModel::reset);
        connect(m_packages, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex &, int first, int) { changedFrom(first); });
        connect(m_packages, &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex &, int first, int) { changedFrom(first); });
        connect(m_packages, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex &from, const QModelIndex &to) { changed(from.row(), to.row()); });
    }
    reset();
    Q_EMIT packagesChanged();
}

void PackageRowModel::setColumns(int columns)
{
    columns = std::max(1, columns);
    if (m_columns == columns)
        return;
    m_columns = columns;
    reset();
    Q_EMIT columnsChanged();
}

int PackageRowModel::packageCount() const
{
    return m_packages ? m_packages->rowCount() : 0;
}

int PackageRowModel::rowsFor(int packages) const
{
    return (packages + m_columns - 1) / m_columns;
}

int PackageRowModel::rowOf(int packageRow) const
{
    return packageRow < 0 ? -1 : packageRow / m_columns;
}

void PackageRowModel::reset()
{
    beginResetModel();
    m_rows = rowsFor(packageCount());
    endResetModel();
}

void PackageRowModel::replace()
{
    resize(rowsFor(packageCount()));
    changed(0, packageCount() - 1);
    Q_EMIT replaced();
}

void PackageRowModel::resize(int rows)
{
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
}

void PackageRowModel::changedFrom(int packageRow)
{
    resize(rowsFor(packageCount()));
    // Every package from there on may have moved to another place.
    changed(packageRow, packageCount() - 1);
}

void PackageRowModel::changed(int firstPackageRow, int lastPackageRow)
{
    const int first = rowOf(firstPackageRow);
    const int last = std::min(rowOf(lastPackageRow), m_rows - 1);
    if (first >= 0 && first <= last)
        Q_EMIT dataChanged(index(first), index(last), {CardsRole});
}

int PackageRowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

QVariant PackageRowModel::data(const QModelIndex &index, int role) const
{
    if (role != CardsRole || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const QHash<int, QByteArray> roles = m_packages->roleNames();
    QVariantList cards;
    const int first = index.row() * m_columns;
    const int end = std::min(first + m_columns, packageCount());
    for (int row = first; row < end; ++row) {
        const QModelIndex at = m_packages->index(row);
        QVariantMap card;
        for (auto it = roles.cbegin(); it != roles.cend(); ++it) {
            if (it.key() != PackageListModel::RecordRole)
                card.insert(QString::fromLatin1(it.value()), m_packages->data(at, it.key()));
        }
        card.insert(QStringLiteral("row"), row);
        cards.append(card);
    }
    return cards;
}

QHash<int, QByteArray> PackageRowModel::roleNames() const
{
    return {{CardsRole, "cards"}};
}
