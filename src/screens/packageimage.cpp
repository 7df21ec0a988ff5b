#include "packageimage.h"

#include "buildconfig.h"

#include <QUrl>

namespace PackageImage {

QString address()
{
    static const QString value = []() -> QString {
        QByteArray picture(VEXLO_OWN_SOURCE_URL);
        if (!picture.endsWith('/'))
            picture += '/';
        picture += "CydiaIcon.png";
        return QStringLiteral("https://wsrv.nl/?u=") + QString::fromLatin1(QUrl::toPercentEncoding(QString::fromUtf8(picture)))
            + QStringLiteral("&s=150x150&f=webp");
    }();
    return value;
}

} // namespace PackageImage
