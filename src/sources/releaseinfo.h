#pragma once

#include "indexdigest.h"
#include "indexvalidators.h"
#include "releasefile.h"

#include <QHash>
#include <QList>
#include <QString>

// What a source's Release said at its last fetch, and the checksums of the index files last
// fetched, so that the two are held against each other whichever of them a server reports
// unchanged.
struct ReleaseInfo
{
    QString title;
    QString description;
    IndexValidators validators; // of the Release, to ask whether it changed
    QHash<QString, ReleaseChecksum> checksums; // the Release's lines for index files
    QList<IndexDigest> fetched;

    // Some fetched index file is not the one the Release describes.
    [[nodiscard]] bool indexMismatch() const
    {
        for (const IndexDigest &digest : fetched) {
            if (const auto listed = checksums.constFind(digest.path); listed != checksums.cend() && contradicts(digest, *listed))
                return true;
        }
        return false;
    }
    [[nodiscard]] bool isEmpty() const { return title.isEmpty() && description.isEmpty() && checksums.isEmpty() && fetched.isEmpty() && !validators.canRevalidate(); }

    friend bool operator==(const ReleaseInfo &, const ReleaseInfo &) = default;
};
