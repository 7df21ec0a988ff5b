#include "sourcefetch.h"

#include "distribution.h"
#include "indexfetcher.h"
#include "releasefetch.h"

#include <QUrl>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The Release's lines for index files: all a source's entry needs of a long list.
QHash<QString, ReleaseChecksum> indexChecksums(const ReleaseFile &release)
{
    QHash<QString, ReleaseChecksum> kept;
    for (auto it = release.checksums.cbegin(); it != release.checksums.cend(); ++it) {
        const QStringView name = QStringView(it.key()).mid(it.key().lastIndexOf(u'/') + 1);
        if (name.startsWith(u"Packages"))
            kept.insert(it.key(), *it);
    }
    return kept;
}

// What to keep after a Release fetch, from what was known before.
ReleaseInfo releaseInfo(const ReleaseOutcome &outcome, ReleaseInfo known)
{
    switch (outcome.kind) {
    case ReleaseOutcome::Kind::Fetched:
        return {outcome.release->title, outcome.release->description, outcome.validators,
                indexChecksums(*outcome.release), std::move(known.fetched)};
    case ReleaseOutcome::Kind::Unchanged:
        if (!outcome.validators.etag.isEmpty())
            known.validators.etag = outcome.validators.etag;
        if (!outcome.validators.lastModified.isEmpty())
            known.validators.lastModified = outcome.validators.lastModified;
        return known;
    case ReleaseOutcome::Kind::Absent:
        return {{}, {}, {}, {}, std::move(known.fetched)};
    case ReleaseOutcome::Kind::Unreachable:
        break;
    }
    return known;
}

// The path of the file that answered, relative to the Release's folder.
QString relativePath(const QString &answered, const QString &base)
{
    const QString prefix = QUrl(base).toString(QUrl::FullyEncoded);
    if (answered.startsWith(prefix) && answered.size() > prefix.size())
        return QUrl::fromPercentEncoding(answered.mid(prefix.size()).toUtf8());
    return QUrl(answered).fileName();
}

unsigned wantedDigests(const ReleaseOutcome &outcome, const ReleaseInfo &known)
{
    if (outcome.kind == ReleaseOutcome::Kind::Fetched)
        return algorithmsListed(outcome.release->checksums);
    if (outcome.kind == ReleaseOutcome::Kind::Absent)
        return 0;
    return algorithmsListed(known.checksums) | (outcome.kind == ReleaseOutcome::Kind::Unreachable ? unsigned(DigestRequest::All) : 0U);
}

struct Flat
{
    SourceFetchRequest request;
    std::function<void(SourceFetchResult)> done;
    std::shared_ptr<DigestRequest> digest = std::make_shared<DigestRequest>();
    std::optional<IndexResult> index;
    std::optional<ReleaseOutcome> release;
    bool finished = false;

    // A failed index ends the source at once: its Release, still on its way, could change
    // nothing but the title, and a failure is not held back for it.
    void finishIfDone()
    {
        if (finished || !index || (!release && index->ok()))
            return;
        finished = true;
        SourceFetchResult result{std::move(*index),
                                 release ? releaseInfo(*release, std::move(request.known)) : std::move(request.known)};
        if (result.index.ok() && !result.index.notModified) {
            result.index.digest.path = relativePath(result.index.validators.address, request.base);
            result.release.fetched = {result.index.digest};
        }
        done(std::move(result));
    }
};

void fetchFlat(SourceFetchRequest request, QObject *context, std::function<void(SourceFetchResult)> done)
{
    auto flat = std::make_shared<Flat>();
    flat->request = std::move(request);
    flat->done = std::move(done);
    FetchOptions options = flat->request.options;
    options.revalidate = flat->request.revalidate;
    options.digest = flat->digest;
    parsePackages(flat->request.packagesURL, flat->request.base.toStdString(), context,
                  [flat](IndexResult result) {
                      flat->index = std::move(result);
                      flat->finishIfDone();
                  },
                  options);
    fetchRelease(flat->request.base + u"Release"_s, flat->request.known.validators, flat->request.options, context,
                 [flat](ReleaseOutcome outcome) {
                     flat->digest->decide(wantedDigests(outcome, flat->request.known));
                     flat->release = std::move(outcome);
                     flat->finishIfDone();
                 });
}

struct Lists
{
    QString base;
    QStringList paths;
    SourceFetchResult result;
    QList<std::optional<IndexResult>> indexes;
    qsizetype pending = 0;
    std::function<void(SourceFetchResult)> done;

    void finish()
    {
        IndexResult &merged = result.index;
        std::optional<IndexError> firstError;
        bool anyOk = false;
        result.release.fetched.clear();
        for (std::optional<IndexResult> &index : indexes) {
            merged.bytesReceived += index->bytesReceived;
            if (!index->ok()) {
                if (!firstError)
                    firstError = index->error;
                continue;
            }
            anyOk = true;
            index->digest.path = relativePath(index->validators.address, base);
            result.release.fetched.append(index->digest);
            merged.packages.append(std::move(index->packages));
        }
        // A listed architecture without a list of its own is common; only when none arrived
        // has the source failed.
        if (!anyOk)
            merged.error = firstError.value_or(IndexError{IndexError::Kind::HttpStatus, u"no index listed"_s});
        done(std::move(result));
    }
};

void fetchDistribution(SourceFetchRequest request, const QString &root, QObject *context,
                       std::function<void(SourceFetchResult)> done)
{
    // The Release names the lists, so it comes first; `done` below runs only while `context` lives.
    fetchRelease(request.base + u"Release"_s, {}, request.options, context,
                 [context, root, request, done = std::move(done)](ReleaseOutcome outcome) mutable {
        auto lists = std::make_shared<Lists>();
        lists->base = request.base;
        lists->paths = Distribution::indexPaths(outcome.release ? &*outcome.release : nullptr);
        lists->result.release = releaseInfo(outcome, std::move(request.known));
        lists->indexes.resize(lists->paths.size());
        lists->pending = lists->paths.size();
        lists->done = std::move(done);
        if (lists->paths.isEmpty())
            return lists->finish();
        auto digest = std::make_shared<DigestRequest>();
        digest->decide(algorithmsListed(lists->result.release.checksums));
        FetchOptions options = request.options;
        options.digest = digest;
        // Each of several indexes would start the bar over: it waits for the whole instead.
        options.progress = nullptr;
        for (qsizetype i = 0; i < lists->paths.size(); ++i) {
            parsePackages(lists->base + lists->paths.at(i), root.toStdString(), context,
                          [lists, i](IndexResult result) {
                              lists->indexes[i] = std::move(result);
                              if (--lists->pending == 0)
                                  lists->finish();
                          },
                          options);
        }
    });
}

} // namespace

void fetchSource(SourceFetchRequest request, QObject *context, std::function<void(SourceFetchResult)> done)
{
    if (const std::optional<QString> root = Distribution::archiveRoot(request.base))
        return fetchDistribution(std::move(request), *root, context, std::move(done));
    fetchFlat(std::move(request), context, std::move(done));
}
