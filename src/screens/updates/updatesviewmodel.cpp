#include "updatesviewmodel.h"

#include "model/packagepicture.h"
#include "model/referencedate.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "screens/mainscreen/followcontent.h"
#include "sources/packagenews.h"

#include <utility>

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
    if (!followContent(m_content, model, this, [this] { scheduleRebuild(); },
                       [this](const QUuid &id) { sourceChanged(id); }))
        return;
    Q_EMIT contentModelChanged();
    rebuild();
}

// A refresh that begins, moves on or fails leaves the source's packages and what was recorded
// of them as they were: only a result that changed either is worth a look at every package.
void UpdatesViewModel::sourceChanged(const QUuid &id)
{
    if (m_rebuildPending || !m_content || newsState(id) == m_newsStates.value(id))
        return;
    scheduleRebuild();
}

UpdatesViewModel::NewsState UpdatesViewModel::newsState(const QUuid &id) const
{
    const FirstSeenStore &store = m_content->firstSeen();
    const std::optional<Repo> repo = m_content->repo(id.toString(QUuid::WithoutBraces));
    return {repo ? repo->packages.constData() : nullptr, repo ? repo->packages.size() : 0, store.entryCount(id),
            store.latestNews(id)};
}

// Several changes in one turn of the event loop (a reload, results landing together) make one
// rebuild, in the next turn.
void UpdatesViewModel::scheduleRebuild()
{
    if (std::exchange(m_rebuildPending, true))
        return;
    QMetaObject::invokeMethod(this, [this] {
        if (m_rebuildPending)
            rebuild();
    }, Qt::QueuedConnection);
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
    m_rebuildPending = false;
    const int before = count();
    beginResetModel();
    m_arrivals.clear();
    m_days.clear();
    m_newsStates.clear();
    if (m_content) {
        for (const Repo &repo : m_content->repos())
            m_newsStates.insert(repo.id, newsState(repo.id));
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
    // Until the rebuild asked for has run, the list may have changed under the entries.
    if (arrival.repo >= m_content->repos().size() || arrival.package >= m_content->repos().at(arrival.repo).packages.size())
        return {};
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
    case ArchitectureRole:
        return text(package.simplifiedArchitecture());
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
        {NameRole, "name"},         {VersionRole, "version"},   {ArchitectureRole, "architecture"}, {SourceRole, "sourceName"}, {MarkRole, "mark"},
        {DayRole, "day"},           {FirstOfDayRole, "firstOfDay"}, {ImageUrlRole, "imageUrl"},
        {RecordRole, "record"},
    };
    return names;
}
