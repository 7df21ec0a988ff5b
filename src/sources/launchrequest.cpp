#include "launchrequest.h"

#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

using namespace Qt::StringLiterals;

LaunchRequest launchRequestOf(const QStringList &arguments)
{
    LaunchRequest request;
    for (const QString &argument : arguments) {
        const QUrl url(argument, QUrl::StrictMode);
        if (url.scheme().compare(u"vexlo", Qt::CaseInsensitive) == 0) {
            if (url.host().compare(u"add", Qt::CaseInsensitive) != 0)
                continue;
            for (const QString &address : QUrlQuery(url).allQueryItemValues(u"url"_s, QUrl::FullyDecoded)) {
                if (!address.trimmed().isEmpty())
                    request.addresses.append(address.trimmed());
            }
            continue;
        }
        const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix == u"list" || suffix == u"sources" || suffix == u"txt")
            request.listFiles.append(QFileInfo(path).absoluteFilePath());
    }
    return request;
}
