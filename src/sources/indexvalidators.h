#pragma once

#include <QByteArray>
#include <QString>

// What a server said about the index it sent, so that the next fetch can ask whether it
// changed since (If-None-Match / If-Modified-Since).
struct IndexValidators
{
    QString address; // the address that answered: the index's own or one of its compressed names
    QByteArray etag;
    QByteArray lastModified;

    // Without a validator there is nothing to ask with.
    [[nodiscard]] bool canRevalidate() const { return !address.isEmpty() && (!etag.isEmpty() || !lastModified.isEmpty()); }

    friend bool operator==(const IndexValidators &, const IndexValidators &) = default;
};
