#pragma once

#include "model/package.h"

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

#include <cstdint>
#include <vector>

// The packages a grid shows: a package list and the ascending indices of the visible ones,
// so filtering copies no record. Texts are converted from the records' UTF-8 only when a
// card asks for them. Changing the visible set emits the removals and insertions that turn
// the old set into the new one (a reset when they would be too many to be worth it).
class PackageListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by a screen model")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        NameRole = Qt::UserRole + 1,
        DescriptionRole,
        VersionRole,
        SizeTextRole,
        ArchitectureRole,
        HasRatingRole,
        RatingTextRole,
        StarCountRole,
        ImageUrlRole,
        IdRole,
        RecordRole, // the Package itself, for the detail screen
    };
    Q_ENUM(Role)

    explicit PackageListModel(QObject *parent = nullptr);

    // Shows all of packages.
    void setPackages(const PackageList &packages);
    // Shows the packages at these indices, which must be ascending and in range.
    void setVisible(std::vector<std::uint32_t> indices);

    [[nodiscard]] const PackageList &packages() const { return m_packages; }
    [[nodiscard]] const std::vector<std::uint32_t> &visible() const { return m_visible; }
    [[nodiscard]] int count() const { return rowCount(); }

    // Row of the package at index in packages(), or -1 when it is not shown.
    [[nodiscard]] Q_INVOKABLE int rowOfPackage(int index) const;
    // The record shown in a row, wrapped for QML to hand on; invalid for a row out of range.
    [[nodiscard]] Q_INVOKABLE QVariant record(int row) const;

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    // Above this many separate runs of removed or inserted rows a reset is emitted instead.
    static constexpr std::size_t maxChangeRuns = 64;

Q_SIGNALS:
    void countChanged();

private:
    [[nodiscard]] std::uint32_t packageAt(int row) const;
    void applyChanges(std::vector<std::uint32_t> &&next);

    PackageList m_packages;
    std::vector<std::uint32_t> m_visible;
    // While changes are emitted, rows past m_visible come from the old set from m_oldPos on.
    const std::vector<std::uint32_t> *m_old = nullptr;
    std::size_t m_oldPos = 0;
};
