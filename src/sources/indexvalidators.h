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

    // A longer value is no server's honest tag or date; it would travel with every request.
    static constexpr qsizetype maxValueBytes = 1024;

    // Without a validator there is nothing to ask with.
    [[nodiscard]] bool canRevalidate() const { return !address.isEmpty() && (!etag.isEmpty() || !lastModified.isEmpty()); }

    // These validators without a value longer than maxValueBytes.
    [[nodiscard]] IndexValidators bounded() const
    {
        IndexValidators copy = *this;
        for (QByteArray *value : {&copy.etag, &copy.lastModified}) {
            if (value->size() > maxValueBytes)
                value->clear();
        }
        return copy;
    }

    friend bool operator==(const IndexValidators &, const IndexValidators &) = default;
};
