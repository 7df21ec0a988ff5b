#include "indexdigest.h"

#include <QCryptographicHash>

unsigned algorithmsListed(const QHash<QString, ReleaseChecksum> &checksums)
{
    unsigned algorithms = 0;
    for (const ReleaseChecksum &checksum : checksums) {
        switch (checksum.algorithm) {
        case ReleaseChecksum::Algorithm::Md5:
            algorithms |= DigestRequest::Md5;
            break;
        case ReleaseChecksum::Algorithm::Sha1:
            algorithms |= DigestRequest::Sha1;
            break;
        case ReleaseChecksum::Algorithm::Sha256:
            algorithms |= DigestRequest::Sha256;
            break;
        }
    }
    return algorithms;
}

IndexDigest digestOf(QByteArrayView body, unsigned algorithms)
{
    IndexDigest digest;
    digest.size = body.size();
    const auto hash = [&body](QCryptographicHash::Algorithm algorithm) {
        return QCryptographicHash::hash(body, algorithm).toHex();
    };
    if (algorithms & DigestRequest::Md5)
        digest.md5 = hash(QCryptographicHash::Md5);
    if (algorithms & DigestRequest::Sha1)
        digest.sha1 = hash(QCryptographicHash::Sha1);
    if (algorithms & DigestRequest::Sha256)
        digest.sha256 = hash(QCryptographicHash::Sha256);
    return digest;
}

bool contradicts(const IndexDigest &digest, const ReleaseChecksum &listed)
{
    if (digest.isEmpty())
        return false;
    if (digest.size != listed.size)
        return true;
    const QByteArray *computed = nullptr;
    switch (listed.algorithm) {
    case ReleaseChecksum::Algorithm::Md5:
        computed = &digest.md5;
        break;
    case ReleaseChecksum::Algorithm::Sha1:
        computed = &digest.sha1;
        break;
    case ReleaseChecksum::Algorithm::Sha256:
        computed = &digest.sha256;
        break;
    }
    return !computed->isEmpty() && *computed != listed.hex;
}
