#pragma once

#include "indexfetcher.h"
#include "indexvalidators.h"
#include "releasefile.h"

#include <functional>
#include <optional>

class QObject;
class QString;

// The answer to a fetch of a Release.
struct ReleaseOutcome
{
    enum class Kind {
        Fetched,     // `release` holds what it says
        Unchanged,   // the Release asked about has not changed
        Absent,      // no Release there: an error status, a web page, no field
        Unreachable, // no answer: what was known of it stays
    };
    Kind kind = Kind::Unreachable;
    std::optional<ReleaseFile> release;
    IndexValidators validators;
};

// Fetches a Release, bounded like a picture, asking whether it changed when `known` can ask.
// It gives up on a slow server as soon as the index fetch of `limits` would, so a stalled
// Release never holds back its source's result. `done` runs once on the thread of `context`,
// unless `context` is destroyed first.
void fetchRelease(const QString &address, const IndexValidators &known, const FetchOptions &limits,
                  QObject *context, std::function<void(ReleaseOutcome)> done);
