#pragma once

#include <QAbstractListModel>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

class PackageListModel;

// The rows of a package grid: `columns` packages of a package list per row, so that each row
// is as tall as its own highest card. A change of the packages becomes a change of the rows
// from the first one it touches, so a view keeps its place across partial updates. A wholly
// new set of packages refills the rows there are (as many are added or taken away at the
// end), since a view makes its cards anew on a reset, which costs a frame on a keystroke.
class PackageRowModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(PackageListModel *packages READ packages WRITE setPackages NOTIFY packagesChanged)
    Q_PROPERTY(int columns READ columns WRITE setColumns NOTIFY columnsChanged)

public:
    enum Role {
        // The cards of the row: for each, the package list's roles by name, and "row", the
        // package's row in the list.
        CardsRole = Qt::UserRole + 1,
    };

    explicit PackageRowModel(QObject *parent = nullptr);

    [[nodiscard]] PackageListModel *packages() const { return m_packages; }
    void setPackages(PackageListModel *packages);
    [[nodiscard]] int columns() const { return m_columns; }
    void setColumns(int columns);

    // Row of the grid that holds this row of the package list.
    [[nodiscard]] Q_INVOKABLE int rowOf(int packageRow) const;

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    void packagesChanged();
    void columnsChanged();
    // The packages were replaced as a whole: a view goes back to its top, as after a reset.
    void replaced();

private:
    [[nodiscard]] int packageCount() const;
    [[nodiscard]] int rowsFor(int packages) const;
    void reset();
    void replace();
    void resize(int rows);
    void changedFrom(int packageRow);
    void changed(int firstPackageRow, int lastPackageRow);

    QPointer<PackageListModel> m_packages;
    int m_columns = 1;
    int m_rows = 0;
};
