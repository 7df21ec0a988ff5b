#pragma once

#include "indexdigest.h"
#include "indexerror.h"
#include "indexvalidators.h"
#include "model/package.h"
#include "packagelistfingerprint.h"

#include <optional>

// The packages of an index, or why there are none.
struct IndexResult
{
    PackageList packages;
    std::optional<IndexError> error;
    // The server answered a conditional request with 304: the index is the one the request
    // named, and `packages` is empty.
    bool notModified = false;
    IndexValidators validators = {}; // of the answer that was taken, when it carried any
    PackageListFingerprint fingerprint = {}; // of `packages`
    qint64 bytesReceived = 0; // bodies of every request made, error pages included
    IndexDigest digest = {}; // of the body taken, when asked for

    [[nodiscard]] bool ok() const { return !error; }
};
