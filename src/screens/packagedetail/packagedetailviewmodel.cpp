#include "packagedetailviewmodel.h"

#include "model/packagepicture.h"
#include "platform/platformservices.h"
#include "screens/controls/announcer.h"
#include "text/filesize.h"
#include "text/ratingdisplay.h"
#include "text/shortentext.h"

#include <QUrl>

namespace {

QString text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// An address as the platform's URL(string:) makes it: strict, and none for text that is
// not a valid address. A relative one is refused too: the desktop would resolve it against
// the working folder and open a local file.
QUrl address(const std::string &utf8)
{
    const QUrl url(text(utf8), QUrl::StrictMode);
    return url.isValid() && !url.isRelative() ? url : QUrl();
}

} // namespace

PackageDetailViewModel::PackageDetailViewModel(QObject *parent)
    : QObject(parent)
{
}

void PackageDetailViewModel::setPackage(const Package &package)
{
    m_package = package;
    m_expanded = false;
    Q_EMIT packageChanged();
    Q_EMIT shownTextsChanged();
}

void PackageDetailViewModel::setExpanded(bool expanded)
{
    if (m_expanded == expanded || (expanded && !canExpand()))
        return;
    m_expanded = expanded;
    Q_EMIT shownTextsChanged();
}

bool PackageDetailViewModel::canExpand() const
{
    const std::optional<std::string_view> displayName = m_package.displayName();
    return shortName() != text(m_package.name) || shortDescription() != text(m_package.description)
        || (!shortDisplayName().isEmpty() && shortDisplayName() != text(*displayName));
}

QString PackageDetailViewModel::shownName() const
{
    return m_expanded ? text(m_package.name) : shortName();
}

QString PackageDetailViewModel::shownDisplayName() const
{
    const QString shortened = shortDisplayName();
    return m_expanded && !shortened.isEmpty() ? text(*m_package.displayName()) : shortened;
}

QString PackageDetailViewModel::shownDescription() const
{
    return m_expanded ? text(m_package.description) : shortDescription();
}

QVariant PackageDetailViewModel::record() const
{
    return QVariant::fromValue(m_package);
}

void PackageDetailViewModel::setRecord(const QVariant &record)
{
    if (record.metaType() == QMetaType::fromType<Package>())
        setPackage(record.value<Package>());
}

QString PackageDetailViewModel::title() const
{
    return text(m_package.name);
}

QString PackageDetailViewModel::shortName() const
{
    return shortenText(text(m_package.name), nameLength);
}

QString PackageDetailViewModel::shortDescription() const
{
    return shortenText(text(m_package.description), descriptionLength);
}

QString PackageDetailViewModel::version() const
{
    return text(m_package.version);
}

QString PackageDetailViewModel::sizeText() const
{
    return formatFileSize(m_package.fileSize);
}

QString PackageDetailViewModel::architecture() const
{
    return text(m_package.simplifiedArchitecture());
}

QString PackageDetailViewModel::ratingText() const
{
    return m_package.ratings ? RatingDisplay::text(*m_package.ratings) : QString();
}

int PackageDetailViewModel::starCount() const
{
    return m_package.ratings ? RatingDisplay::starCount(*m_package.ratings) : 0;
}

QString PackageDetailViewModel::imageUrl() const
{
    return packagePictureAddress(m_package);
}

QString PackageDetailViewModel::shortDisplayName() const
{
    const std::optional<std::string_view> name = m_package.displayName();
    if (!name || name->empty() || *name == m_package.name)
        return {};
    return shortenText(text(*name), nameLength);
}

QString PackageDetailViewModel::author() const
{
    return text(m_package.author().value_or(std::string_view()));
}

QString PackageDetailViewModel::section() const
{
    return text(m_package.section().value_or(std::string_view()));
}

bool PackageDetailViewModel::hasDepiction() const
{
    return webAddress(m_package.depictionURL().value_or(std::string_view())).isValid();
}

void PackageDetailViewModel::openDepiction()
{
    const QUrl url = webAddress(m_package.depictionURL().value_or(std::string_view()));
    if (url.isValid())
        openWhenHandled(url, [this, url] { Q_EMIT openFailed(url.toString()); });
}

void PackageDetailViewModel::download()
{
    const QUrl url = address(m_package.downloadURL);
    if (url.isValid())
        openWhenHandled(url, [this, url] { Q_EMIT openFailed(url.toString()); });
}

void PackageDetailViewModel::copyDownloadLink()
{
    PlatformServices::instance()->copyText(text(m_package.downloadURL));
    Announcer::instance()->confirm(QStringLiteral("تم نسخ رابط التحميل"));
}

void PackageDetailViewModel::openInSileo()
{
    const QUrl url = address(m_package.shareURL());
    if (url.isValid())
        openWhenHandled(url, [this] { Q_EMIT sileoMissing(); });
}

void PackageDetailViewModel::copyShareLink()
{
    PlatformServices::instance()->copyText(text(m_package.shareURL()));
    Announcer::instance()->confirm(QStringLiteral("تم نسخ رابط المشاركة"));
}

void PackageDetailViewModel::copySileoLink()
{
    PlatformServices::instance()->copyText(text(m_package.shareURL()));
    Announcer::instance()->confirm(QStringLiteral("تم نسخ رابط الحزمة"));
}

void PackageDetailViewModel::openWhenHandled(const QUrl &url, std::function<void()> missing)
{
    // A second tap while the desktop is asked adds nothing.
    if (m_asking)
        return;
    m_asking = true;
    PlatformServices::instance()->canOpenUrl(url, this, [this, url, missing = std::move(missing)](bool handled) {
        m_asking = false;
        if (handled)
            PlatformServices::instance()->openUrl(url);
        else
            missing();
    });
}
