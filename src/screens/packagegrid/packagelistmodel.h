#pragma once

#include "model/package.h"

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

#include <cstdint>
#include <vector>

// The packages a grid shows: one or more package lists, read as one list in order, and the
// ascending indices of the visible ones, so neither joining nor filtering copies a record.
// Texts are converted from the records' UTF-8 only when a card asks for them. Changing the visible set emits the removals and insertions that turn
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
        DisplayNameRole, // empty unless the package has one other than its name
        IdRole,
        RecordRole, // the Package itself, for the detail screen
        MarkRole, // "جديد", "مُحدَّث" or empty
    };
    Q_ENUM(Role)

    explicit PackageListModel(QObject *parent = nullptr);

    // Shows all of packages.
    void setPackages(const PackageList &packages);
    // Shows the lists one after the other: all of them, or the packages at these indices of
    // the joined list. Rows of lists that share their records with lists shown now stay; when
    // none does, the model is reset.
    void setLists(const QList<PackageList> &lists, const std::vector<std::uint32_t> *visible = nullptr);
    // Shows the packages at these indices, in range, in this order. Ascending ones change the
    // rows in place; others reset the model.
    void setVisible(const std::vector<std::uint32_t> &indices);
    // The mark of each package of the joined lists (a Novelty); positions past its end have none.
    void setMarks(std::vector<std::uint8_t> marks);

    [[nodiscard]] const QList<PackageList> &lists() const { return m_lists; }
    [[nodiscard]] std::uint32_t packageCount() const { return m_starts.back(); }
    [[nodiscard]] const Package &package(std::uint32_t index) const;
    // Whether both hold the same records (shared, not merely equal).
    [[nodiscard]] static bool sameLists(const QList<PackageList> &a, const QList<PackageList> &b);
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
    void applyChanges(const std::vector<std::uint32_t> &next);
    void showAll();
    void setStarts();
    [[nodiscard]] bool keepRows(const QList<PackageList> &lists);

    QList<PackageList> m_lists;
    // Index in the joined list of each list's first package, plus the total at the end.
    std::vector<std::uint32_t> m_starts{0};
    std::vector<std::uint32_t> m_visible;
    std::vector<std::uint8_t> m_marks;
    // While changes are emitted, rows past m_visible come from the old set from m_oldPos on.
    const std::vector<std::uint32_t> *m_old = nullptr;
    std::size_t m_oldPos = 0;
};
