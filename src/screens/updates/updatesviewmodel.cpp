#include "updatesviewmodel.h"

#include "model/packagepicture.h"
#include "model/referencedate.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "sources/packagenews.h"

using namespace Qt::StringLiterals;

namespace {

QString text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

QDate localDay(double seconds)
{
    return ReferenceDate::toDateTime(seconds).toLocalTime().date();
}

} // namespace

UpdatesViewModel::UpdatesViewModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

ContentViewModel *UpdatesViewModel::contentModel() const
{
    return m_content;
}

void UpdatesViewModel::setContentModel(ContentViewModel *model)
{
    if (m_content == model)
        return;
    if (m_content)
        m_content->disconnect(this);
    m_content = model;
    if (m_content) {
        connect(m_content, &ContentViewModel::reposChanged, this, &UpdatesViewModel::rebuild);
        connect(m_content, &ContentViewModel::repoUpdated, this, &UpdatesViewModel::rebuild);
    }
    Q_EMIT contentModelChanged();
    rebuild();
}

QString UpdatesViewModel::title() const
{
    return u"المستجدات"_s;
}

QString UpdatesViewModel::dayHeading(QDate day, QDate today, const QLocale &locale)
{
    if (day == today)
        return u"اليوم"_s;
    if (day == today.addDays(-1))
        return u"أمس"_s;
    if (locale.language() == QLocale::C)
        return day.toString(Qt::ISODate);
    return locale.toString(day, QLocale::LongFormat);
}

void UpdatesViewModel::rebuild()
{
    const int before = count();
    beginResetModel();
    m_arrivals.clear();
    m_days.clear();
    if (m_content) {
        const double now = m_content->now();
        m_arrivals = PackageNews::arrivals(m_content->repos(), m_content->firstSeen(), now - PackageNews::recentSeconds);
        const QDate today = localDay(now);
        const QLocale locale = QLocale::system();
        for (const PackageNews::Arrival &arrival : m_arrivals)
            m_days.append(dayHeading(localDay(arrival.time), today, locale));
    }
    endResetModel();
    if (count() != before)
        Q_EMIT countChanged();
}

int UpdatesViewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_arrivals.size());
}

QVariant UpdatesViewModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) || !m_content)
        return {};
    const PackageNews::Arrival &arrival = m_arrivals.at(std::size_t(index.row()));
    const Repo &repo = m_content->repos().at(arrival.repo);
    const Package &package = repo.packages.at(arrival.package);
    switch (role) {
    case Qt::DisplayRole:
    case NameRole: {
        const std::optional<std::string_view> shown = package.displayName();
        return text(shown && !shown->empty() ? *shown : std::string_view(package.name));
    }
    case VersionRole:
        return text(package.version);
    case SourceRole:
        return text(repo.name);
    case MarkRole:
        return PackageNews::markText(arrival.novelty);
    case DayRole:
        return m_days.at(index.row());
    case FirstOfDayRole:
        return index.row() == 0 || m_days.at(index.row() - 1) != m_days.at(index.row());
    case ImageUrlRole:
        return packagePictureAddress(package);
    case RecordRole:
        return QVariant::fromValue(package);
    default:
        return {};
    }
}

QHash<int, QByteArray> UpdatesViewModel::roleNames() const
{
    static const QHash<int, QByteArray> names{
        {NameRole, "name"},         {VersionRole, "version"},   {SourceRole, "sourceName"}, {MarkRole, "mark"},
        {DayRole, "day"},           {FirstOfDayRole, "firstOfDay"}, {ImageUrlRole, "imageUrl"},
        {RecordRole, "record"},
    };
    return names;
}
