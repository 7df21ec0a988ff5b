#pragma once

#include <QString>

#include <QtGlobal>

// Largest index body, and largest text a compressed index may expand to, that is accepted:
// no server can make the application buffer without bound.
inline constexpr qint64 maxIndexBytes = qint64(256) << 20;

// Why an index could not be had. Every kind but BadUrl counts as a failed fetch.
struct IndexError
{
    enum class Kind {
        BadUrl,     // the address is not a valid URL
        Network,    // no connection, unknown host, timeout, unsupported address, …
        HttpStatus, // the server answered with a status of 400 or above
        TooLarge,   // the body, or the text it decompresses to, is over the limit
        NotUtf8,    // the text is not UTF-8
        Corrupt,    // compressed data that cannot be decompressed
        Markup,     // a web page (a portal, a parked domain) where the index should be
        Unreadable, // a local file that cannot be opened or read
    };
    // What kept a Network error from reaching the index.
    enum class Cause {
        Other,
        Timeout,          // no answer, or too little of one, in time
        NoConnection,     // the host name is unknown or the connection was refused
        SecureConnection, // the TLS handshake failed
    };
    Kind kind = Kind::Network;
    QString detail; // for people, in English; not shown in the application's own messages
    Cause cause = Cause::Other;
    int status = 0; // the answer's status, for HttpStatus
};
