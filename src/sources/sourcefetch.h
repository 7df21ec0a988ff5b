#pragma once

#include "indexfetcher.h"
#include "indexresult.h"
#include "indexvalidators.h"
#include "releaseinfo.h"

#include <QString>

#include <functional>
#include <optional>

class QObject;

struct SourceFetchRequest
{
    QString base;        // the source's address
    QString packagesURL; // its index, for a flat source
    std::optional<IndexValidators> revalidate; // of the index, to ask whether it changed
    ReleaseInfo known;   // what was kept of the source's Release
    FetchOptions options = {}; // the limits of the index fetches
};

struct SourceFetchResult
{
    IndexResult index;   // the packages, or why there are none
    ReleaseInfo release; // what to keep of the Release now
};

// Fetches what a source publishes: its index and, at the same time, its Release, whose
// failure never fails the source. A distribution-style source reads its Release first and
// then every index it names, and its packages are those of all of them, with download links
// under the archive root. `done` runs once on the thread of `context`, unless `context` is
// destroyed first.
void fetchSource(SourceFetchRequest request, QObject *context, std::function<void(SourceFetchResult)> done);
