#include "networkaccess.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

QNetworkAccessManager *NetworkAccess::manager()
{
    static QNetworkAccessManager *const instance = [] {
        auto *nam = new QNetworkAccessManager(QCoreApplication::instance());
        nam->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
        nam->setTransferTimeout(transferTimeoutMs);
        nam->setAutoDeleteReplies(true);
        return nam;
    }();
    return instance;
}
