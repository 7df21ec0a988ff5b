#pragma once

#include <QString>

// A typed source address made into the base address of a source: the scheme a person left out
// is read as https, a pasted index file name is cut off, and a "/" ends it.
struct SourceAddress
{
    QString base;
    // The typed text had no scheme; "https://" was put before it.
    bool assumedHttps = false;

    [[nodiscard]] static SourceAddress fromTyped(const QString &typed);
    // Only web addresses serve sources: http and https, with a valid index address.
    [[nodiscard]] bool isAcceptable() const;
    [[nodiscard]] QString indexAddress() const { return base + QStringLiteral("Packages"); }
};
