#include "repodetailviewmodel.h"

#include "platform/platformservices.h"
#include "screens/controls/announcer.h"
#include "sources/releaseinfo.h"

#include "screens/mainscreen/contentviewmodel.h"
#include "screens/mainscreen/followcontent.h"
#include "sources/packagenews.h"
#include "screens/packagegrid/packagelistmodel.h"
#include "search/packageorder.h"
#include "search/packagesearch.h"

#include <QTimer>

#include <algorithm>

const QString RepoDetailViewModel::allArchitectures = QStringLiteral("All Architectures");
const QString RepoDetailViewModel::allSections = QStringLiteral("كل الأقسام");

RepoDetailViewModel::RepoDetailViewModel(QObject *parent)
    : QObject(parent)
    , m_packages(new PackageListModel(this))
    , m_selectedArchitecture(allArchitectures)
{
    connect(m_packages, &PackageListModel::countChanged, this, &RepoDetailViewModel::countChanged);
}

RepoDetailViewModel::~RepoDetailViewModel() = default;

void RepoDetailViewModel::setRepo(const Repo &repo)
{
    m_repo = repo;
    setUpdating(repo.isUpdating);
    m_architectures = ArchitectureIndex(m_repo.packages);
    m_sections = SectionIndex(m_repo.packages);
    // Unlike the architecture, a section the refreshed source no longer has is let go.
    const bool sectionGone = !m_selectedSection.isEmpty() && m_sections.find(m_selectedSection) < 0;
    if (sectionGone)
        m_selectedSection.clear();
    m_search = std::make_unique<PackageSearch>(m_repo.packages, PackageSearchIndex::Name);
    m_packageOrder.clear();
    m_packages->setPackages(m_repo.packages);
    // Search text, architecture and order stay as chosen; a chosen architecture the new list
    // lacks simply matches nothing.
    reorder();
    Q_EMIT repoChanged();
    Q_EMIT releaseChanged();
    if (sectionGone)
        Q_EMIT selectedSectionChanged();
}

QVariant RepoDetailViewModel::repoVariant() const
{
    return QVariant::fromValue(m_repo);
}

void RepoDetailViewModel::setRepoVariant(const QVariant &repo)
{
    if (repo.metaType() == QMetaType::fromType<Repo>())
        setRepo(repo.value<Repo>());
}

ContentViewModel *RepoDetailViewModel::contentModel() const
{
    return m_content;
}

void RepoDetailViewModel::setContentModel(ContentViewModel *model)
{
    if (!followContent(m_content, model, this, [this] { follow(); }, [this](const QUuid &id) { followIf(id); }))
        return;
    if (m_content) {
        connect(m_content, &ContentViewModel::sourceOrderChanged, this, [this] {
            reorder();
            Q_EMIT orderChanged();
        });
    }
    Q_EMIT contentModelChanged();
    follow();
    reorder();
    Q_EMIT orderChanged();
}

void RepoDetailViewModel::setRepoId(const QString &id)
{
    if (m_repoId == id)
        return;
    m_repoId = id;
    Q_EMIT repoIdChanged();
    follow();
}

namespace {

// Package ids are fresh for every parse, so the same ids in the same order are the same list.
bool samePackages(const PackageList &a, const PackageList &b)
{
    if (a.size() != b.size())
        return false;
    if (a.isEmpty() || a.constData() == b.constData())
        return true;
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), [](const Package &x, const Package &y) { return x.id == y.id; });
}

} // namespace

void RepoDetailViewModel::followIf(const QUuid &id)
{
    if (id == QUuid::fromString(m_repoId))
        follow();
}

void RepoDetailViewModel::follow()
{
    if (!m_content || m_repoId.isEmpty())
        return;
    const std::optional<Repo> current = m_content->repo(m_repoId);
    if (!current)
        return; // gone from the list: keep showing what the screen has
    if (const QString reason = m_content->failureReason(m_repoId); reason != m_failureReason) {
        m_failureReason = reason;
        Q_EMIT failureReasonChanged();
    }
    setUpdating(current->isUpdating);
    Q_EMIT releaseChanged(); // a refresh may have read a new Release
    // A refresh that begins changes only the source's progress, which this screen does not show.
    if (current->name == m_repo.name && samePackages(current->packages, m_repo.packages))
        return;
    setRepo(*current);
}

void RepoDetailViewModel::retry()
{
    if (m_content && !m_repoId.isEmpty())
        m_content->refreshRepo(m_repoId);
}

void RepoDetailViewModel::copyAddress()
{
    PlatformServices::instance()->copyText(address());
    Announcer::instance()->confirm(QStringLiteral("تم نسخ العنوان"));
}

void RepoDetailViewModel::setUpdating(bool updating)
{
    if (m_isUpdating == updating)
        return;
    m_isUpdating = updating;
    Q_EMIT isUpdatingChanged();
}

const ReleaseInfo *RepoDetailViewModel::release() const
{
    return m_content ? m_content->releaseInfo(m_repo.id) : nullptr;
}

QString RepoDetailViewModel::title() const
{
    const ReleaseInfo *info = release();
    return info && !info->title.isEmpty() ? info->title : QString::fromStdString(m_repo.name);
}

QString RepoDetailViewModel::releaseDescription() const
{
    const ReleaseInfo *info = release();
    return info ? info->description : QString();
}

bool RepoDetailViewModel::indexMismatch() const
{
    const ReleaseInfo *info = release();
    return info && info->indexMismatch();
}

QStringList RepoDetailViewModel::availableArchitectures() const
{
    return QStringList{allArchitectures} + m_architectures.names();
}

QString RepoDetailViewModel::architectureText(const QString &value)
{
    return value == allArchitectures ? QStringLiteral("كل البنى") : value;
}

QString RepoDetailViewModel::countText() const
{
    return QStringLiteral("عدد الملفات: ") + QString::number(m_packages->count());
}

void RepoDetailViewModel::setSearchText(const QString &text)
{
    if (text == m_searchText)
        return;
    m_searchText = text;
    refilter();
    Q_EMIT searchTextChanged();
    requestScroll(false);
}

void RepoDetailViewModel::setSelectedArchitecture(const QString &architecture)
{
    if (architecture == m_selectedArchitecture)
        return;
    m_selectedArchitecture = architecture;
    refilter();
    Q_EMIT selectedArchitectureChanged();
}

void RepoDetailViewModel::refilter()
{
    if (!m_search)
        return;
    const std::vector<std::uint32_t> &found = m_search->matches(m_searchText);
    if (m_selectedArchitecture == allArchitectures && m_selectedSection.isEmpty()) {
        m_packages->setVisible(m_packageOrder.empty() ? found : PackageOrder::apply(found, m_packageOrder));
        return;
    }
    const auto choice = [](const QString &value, bool open) { return open ? std::nullopt : std::optional(value); };
    const std::vector<std::uint32_t> narrowed =
        narrowPackages(found, m_architectures, choice(m_selectedArchitecture, m_selectedArchitecture == allArchitectures),
                       m_sections, choice(m_selectedSection, m_selectedSection.isEmpty()));
    m_packages->setVisible(m_packageOrder.empty() ? narrowed : PackageOrder::apply(narrowed, m_packageOrder));
}

QStringList RepoDetailViewModel::orderNames() const
{
    return PackageOrder::names();
}

int RepoDetailViewModel::order() const
{
    return m_content ? m_content->sourceOrder() : m_order;
}

void RepoDetailViewModel::setOrder(int order)
{
    if (m_content) {
        m_content->setSourceOrder(order); // comes back through sourceOrderChanged
        return;
    }
    if (order == m_order || order < PackageOrder::Index || order > PackageOrder::Name)
        return;
    m_order = order;
    reorder();
    Q_EMIT orderChanged();
}

// Marks the source's packages and puts them in the chosen order.
void RepoDetailViewModel::reorder()
{
    std::vector<std::uint8_t> marks;
    const std::vector<double> *firstSeen = nullptr;
    if (m_content) {
        const PackageNews::Ages &ages = m_content->agesOf(m_repo);
        marks.reserve(ages.marks.size());
        for (const Novelty mark : ages.marks)
            marks.push_back(std::uint8_t(mark));
        firstSeen = &ages.firstSeen;
    }
    m_packages->setMarks(std::move(marks));
    const std::vector<double> unknown(std::size_t(m_repo.packages.size()), 0.0);
    switch (order()) {
    case PackageOrder::Newest:
        m_packageOrder = PackageOrder::newestFirst(firstSeen ? *firstSeen : unknown);
        break;
    case PackageOrder::Name:
        m_packageOrder = PackageOrder::byName({m_repo.packages});
        break;
    default:
        m_packageOrder.clear();
    }
    refilter();
}

QVariantList RepoDetailViewModel::sectionChoices() const
{
    QVariantList choices;
    choices.reserve(m_sections.sections().size() + 1);
    choices.append(QVariantMap{{QStringLiteral("name"), QString()}, {QStringLiteral("text"), allSections}});
    for (const SectionIndex::Section &section : m_sections.sections()) {
        const QString text = section.name + QStringLiteral(" (") + QString::number(section.count) + u')';
        choices.append(QVariantMap{{QStringLiteral("name"), section.name}, {QStringLiteral("text"), text}});
    }
    return choices;
}

void RepoDetailViewModel::setSelectedSection(const QString &section)
{
    if (section == m_selectedSection)
        return;
    m_selectedSection = section;
    refilter();
    Q_EMIT selectedSectionChanged();
}

QString RepoDetailViewModel::selectedSectionText() const
{
    return m_selectedSection.isEmpty() ? allSections : m_selectedSection;
}

void RepoDetailViewModel::setContentTop(double y)
{
    const bool show = y < -100.0;
    if (show == m_showScrollToTopButton)
        return;
    m_showScrollToTopButton = show;
    Q_EMIT showScrollToTopButtonChanged();
}

void RepoDetailViewModel::scrollToTop()
{
    if (!m_isButtonAnimating) {
        m_isButtonAnimating = true;
        Q_EMIT isButtonAnimatingChanged();
    }
    // Every tap schedules its own reset; the first to run clears the flag.
    QTimer::singleShot(buttonAnimationMs, this, [this] {
        if (m_isButtonAnimating) {
            m_isButtonAnimating = false;
            Q_EMIT isButtonAnimatingChanged();
        }
    });
    requestScroll(true);
}

void RepoDetailViewModel::requestScroll(bool eased)
{
    Q_EMIT scrollRequested(eased);
}
