#pragma once

#include "sources/packagenews.h"

#include <QAbstractListModel>
#include <QDate>
#include <QHash>
#include <QLocale>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include <optional>

class ContentViewModel;

// The updates screen: the packages that came new or updated to any source within the last
// week, newest first, under a heading for each day. Follows the main screen's list.
class UpdatesViewModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ContentViewModel *contentModel READ contentModel WRITE setContentModel NOTIFY contentModelChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(QString title READ title CONSTANT)

public:
    enum Role {
        NameRole = Qt::UserRole + 1, // display name, else identifier
        VersionRole,
        SourceRole, // the source's name
        MarkRole, // "جديد" or "مُحدَّث"
        DayRole, // "اليوم", "أمس" or the date
        FirstOfDayRole, // the first entry under its day's heading
        ImageUrlRole,
        RecordRole, // the Package, for the package screen
        ArchitectureRole, // without its "iphoneos-"
    };
    Q_ENUM(Role)

    explicit UpdatesViewModel(QObject *parent = nullptr);

    [[nodiscard]] ContentViewModel *contentModel() const;
    void setContentModel(ContentViewModel *model);
    [[nodiscard]] int count() const { return rowCount(); }
    [[nodiscard]] QString title() const;
    [[nodiscard]] const std::vector<PackageNews::Arrival> &arrivals() const { return m_arrivals; }

    // The heading of a day's entries, seen on `today`.
    [[nodiscard]] static QString dayHeading(QDate day, QDate today, const QLocale &locale);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    void contentModelChanged();
    void countChanged();

private:
    // What the list depends on of one source: its packages and what was recorded of them.
    struct NewsState
    {
        const Package *packages = nullptr;
        qsizetype size = 0;
        qsizetype recorded = 0;
        std::optional<double> latestNews;
        bool operator==(const NewsState &) const = default;
    };
    [[nodiscard]] NewsState newsState(const QUuid &id) const;
    void sourceChanged(const QUuid &id);
    void scheduleRebuild();
    void rebuild();

    QPointer<ContentViewModel> m_content;
    std::vector<PackageNews::Arrival> m_arrivals;
    QList<QString> m_days;
    QHash<QUuid, NewsState> m_newsStates; // as of the last rebuild
    bool m_rebuildPending = false;
};
