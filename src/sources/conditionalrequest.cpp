#include "conditionalrequest.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

void ConditionalRequest::addConditions(QNetworkRequest &request, const IndexValidators &validators)
{
    // Sent as the server gave them: a weak "W/" tag or a date in another form is the server's to compare.
    if (!validators.etag.isEmpty())
        request.setRawHeader("If-None-Match", validators.etag);
    if (!validators.lastModified.isEmpty())
        request.setRawHeader("If-Modified-Since", validators.lastModified);
}

IndexValidators ConditionalRequest::validatorsOf(const QNetworkReply &reply, const QUrl &address)
{
    return IndexValidators{address.toString(QUrl::FullyEncoded), reply.rawHeader("ETag").trimmed(),
                           reply.rawHeader("Last-Modified").trimmed()}
        .bounded();
}
