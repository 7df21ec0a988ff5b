#include "repodetailviewmodel.h"

#include "packagelistmodel.h"
#include "packagesearch.h"

#include <QTimer>

#include <algorithm>

const QString RepoDetailViewModel::allArchitectures = QStringLiteral("All Architectures");

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
    m_architectures = ArchitectureIndex(m_repo.packages);
    m_anyRated = std::any_of(m_repo.packages.cbegin(), m_repo.packages.cend(),
                             [](const Package &p) { return p.ratings.has_value(); });
    m_search = std::make_unique<PackageSearch>(m_repo.packages, PackageSearchIndex::Name);
    m_packages->setPackages(m_repo.packages);
    // Search text and architecture stay as chosen; a chosen architecture the new list lacks
    // simply matches nothing.
    if (!m_searchText.isEmpty() || m_selectedArchitecture != allArchitectures)
        refilter();
    Q_EMIT repoChanged();
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

QString RepoDetailViewModel::title() const
{
    return QString::fromStdString(m_repo.name);
}

QStringList RepoDetailViewModel::availableArchitectures() const
{
    return QStringList{allArchitectures} + m_architectures.names();
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
    if (m_selectedArchitecture == allArchitectures) {
        m_packages->setVisible(found);
        return;
    }
    const int wanted = m_architectures.find(m_selectedArchitecture);
    std::vector<std::uint32_t> shown;
    if (wanted >= 0) {
        for (const std::uint32_t package : found) {
            if (m_architectures.of(package) == std::uint32_t(wanted))
                shown.push_back(package);
        }
    }
    m_packages->setVisible(std::move(shown));
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
    // The target is the source's first package; while it is filtered out nothing moves.
    const int row = m_packages->rowOfPackage(0);
    if (row >= 0)
        Q_EMIT scrollRequested(row, eased);
}
