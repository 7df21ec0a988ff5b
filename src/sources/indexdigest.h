#pragma once

#include "releasefile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <atomic>
#include <memory>

// Checksums of an index file as it was fetched (before decompression), to hold against what
// the source's Release lists for it.
struct IndexDigest
{
    QString path; // relative to the Release's folder, e.g. "Packages.gz"
    qint64 size = -1;
    QByteArray md5, sha1, sha256; // lower-case hex; empty when not computed

    [[nodiscard]] bool isEmpty() const { return size < 0; }
    friend bool operator==(const IndexDigest &, const IndexDigest &) = default;
};

// Which checksums a fetch computes, decided while it runs: a Release arriving first narrows
// them to what it lists; until then every one is computed.
class DigestRequest
{
public:
    enum : unsigned { Md5 = 1, Sha1 = 2, Sha256 = 4, All = 7, Undecided = 8 };

    void decide(unsigned algorithms) { m_wanted.store(algorithms, std::memory_order_relaxed); }
    [[nodiscard]] unsigned wanted() const
    {
        const unsigned wanted = m_wanted.load(std::memory_order_relaxed);
        return wanted == Undecided ? All : wanted;
    }

private:
    std::atomic<unsigned> m_wanted = Undecided;
};

// The algorithms of these checksums, by the DigestRequest bits.
[[nodiscard]] unsigned algorithmsListed(const QHash<QString, ReleaseChecksum> &checksums);

[[nodiscard]] IndexDigest digestOf(QByteArrayView body, unsigned algorithms);

// Whether a fetched file differs from what the Release says of it: its size, or the checksum
// of the Release's algorithm. A file the Release does not list, or whose checksum was not
// computed, is no mismatch.
[[nodiscard]] bool contradicts(const IndexDigest &digest, const ReleaseChecksum &listed);
