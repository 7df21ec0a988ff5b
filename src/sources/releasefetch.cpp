#include "releasefetch.h"

#include "indexfetchjob.h"

#include <memory>

void fetchRelease(const QString &address, const IndexValidators &known, const FetchOptions &limits,
                  QObject *context, std::function<void(ReleaseOutcome)> done)
{
    FetchOptions options;
    options.transferTimeoutMs = limits.transferTimeoutMs;
    options.lowSpeedWindowMs = limits.lowSpeedWindowMs;
    options.lowSpeedBytes = limits.lowSpeedBytes;
    options.maxBytes = qint64(16) << 20;
    options.compressedNames = false;
    if (known.canRevalidate())
        options.revalidate = known;
    // Read off the main thread, as an index is; the job hands over nothing but an outcome.
    auto parsed = std::make_shared<std::optional<ReleaseFile>>();
    auto work = [parsed](QByteArray body, qint64, MemoryBudget::Share &share) {
        *parsed = parseRelease(body);
        body = QByteArray();
        share.giveBack(share.held());
        return IndexFetchJob::Outcome{};
    };
    auto finish = [parsed, done = std::move(done)](IndexFetchJob::Outcome &&outcome) {
        ReleaseOutcome release;
        release.validators = std::move(outcome.validators);
        if (outcome.error)
            release.kind = outcome.error->kind == IndexError::Kind::Network ? ReleaseOutcome::Kind::Unreachable
                                                                            : ReleaseOutcome::Kind::Absent;
        else if (outcome.notModified)
            release.kind = ReleaseOutcome::Kind::Unchanged;
        else if (*parsed)
            release = {ReleaseOutcome::Kind::Fetched, std::move(*parsed), std::move(release.validators)};
        else
            release.kind = ReleaseOutcome::Kind::Absent;
        done(std::move(release));
    };
    (new IndexFetchJob(context, options, work, std::move(finish)))->start(address);
}
