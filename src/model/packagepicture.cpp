#include "packagepicture.h"

#include "packageimage.h"

QUrl webAddress(std::string_view utf8)
{
    const QUrl url(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())), QUrl::StrictMode);
    const QString scheme = url.scheme(); // QUrl keeps schemes in lower case
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return {};
    return url;
}

QString packagePictureAddress(const Package &package)
{
    if (const std::optional<std::string_view> icon = package.iconURL()) {
        const QUrl url = webAddress(*icon);
        if (url.isValid())
            return url.toString(QUrl::FullyEncoded);
    }
    return PackageImage::address();
}
