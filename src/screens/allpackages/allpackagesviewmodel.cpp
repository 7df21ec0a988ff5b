#include "allpackagesviewmodel.h"

#include "screens/mainscreen/contentviewmodel.h"
#include "screens/packagegrid/packagelistmodel.h"


AllPackagesViewModel::AllPackagesViewModel(QObject *parent)
    : QObject(parent)
{
}

void AllPackagesViewModel::setContentModel(ContentViewModel *model)
{
    if (m_content == model)
        return;
    if (m_content) {
        m_content->disconnect(this);
        m_content->filteredPackages()->disconnect(this);
        m_content->allPackages()->disconnect(this);
    }
    m_content = model;
    if (m_content) {
        connect(m_content, &ContentViewModel::searchTextChanged, this, [this] {
            Q_EMIT searchTextChanged();
            // The first entry comes to the top; with no entry nothing moves.
            if (count() > 0)
                Q_EMIT scrollRequested(0);
        });
        connect(m_content->filteredPackages(), &PackageListModel::countChanged, this, &AllPackagesViewModel::countChanged);
        connect(m_content, &ContentViewModel::allPackagesOrderChanged, this, &AllPackagesViewModel::orderChanged);
    }
    Q_EMIT contentModelChanged();
    Q_EMIT searchTextChanged();
    Q_EMIT countChanged();
    Q_EMIT orderChanged();
}

void AllPackagesViewModel::setOrder(int order)
{
    if (m_content)
        m_content->setAllPackagesOrder(order);
}

PackageListModel *AllPackagesViewModel::packages() const
{
    return m_content ? m_content->filteredPackages() : nullptr;
}

QString AllPackagesViewModel::searchText() const
{
    return m_content ? m_content->searchText() : QString();
}

void AllPackagesViewModel::setSearchText(const QString &text)
{
    if (m_content)
        m_content->setSearchText(text);
}

int AllPackagesViewModel::count() const
{
    return m_content ? m_content->filteredPackages()->count() : 0;
}

QString AllPackagesViewModel::title() const
{
    return QStringLiteral("جميع الحزم (") + QString::number(count()) + u')';
}

QString AllPackagesViewModel::countText() const
{
    return QStringLiteral("عدد الحزم: ") + QString::number(count());
}
