#include "indexfetcher.h"

#include "indexfetchjob.h"
#include "packagelistfingerprint.h"
#include "packagesparser.h"

#include <QUrl>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

using Outcome = IndexFetchJob::Outcome;

// Decompresses and checks a fetched body; the share then holds just what the text takes.
IndexText decodeFetchedIndex(QByteArray body, qint64 maxBytes, MemoryBudget::Share &share)
{
    IndexText text = decodeIndex(std::move(body), maxBytes, [&share](qint64 bytes) {
        if (bytes > 0)
            share.take(bytes);
    });
    share.giveBack(share.held() - text.text.capacity());
    if (!text.error && isMarkup(std::string_view(text.text.constData(), std::size_t(text.text.size()))))
        return {{}, IndexError{IndexError::Kind::Markup, u"a web page, not an index"_s}};
    return text;
}

} // namespace

bool isValidIndexAddress(const QString &address)
{
    return !indexAddressError(address, QUrl(address, QUrl::StrictMode));
}

void fetchIndexText(const QString &from, QObject *context, std::function<void(IndexText)> done,
                    const FetchOptions &options)
{
    auto work = [](QByteArray body, qint64 maxBytes, MemoryBudget::Share &share) {
        IndexText text = decodeFetchedIndex(std::move(body), maxBytes, share);
        return Outcome{std::move(text.text), {}, std::move(text.error)};
    };
    auto finish = [done = std::move(done)](Outcome &&outcome) { done(IndexText{std::move(outcome.text), outcome.error}); };
    (new IndexFetchJob(context, options, work, std::move(finish)))->start(from);
}

void parsePackages(const QString &from, std::string repoURL, QObject *context,
                   std::function<void(IndexResult)> done, const FetchOptions &options)
{
    auto work = [repoURL = std::move(repoURL), request = options.digest](QByteArray body, qint64 maxBytes,
                                                                         MemoryBudget::Share &share) {
        const IndexDigest digest = request ? digestOf(body, request->wanted()) : IndexDigest{};
        IndexText text = decodeFetchedIndex(std::move(body), maxBytes, share);
        if (text.error)
            return Outcome{{}, {}, text.error};
        PackageList packages = parsePackages(std::string_view(text.text.constData(), std::size_t(text.text.size())), repoURL);
        text.text = QByteArray();
        share.giveBack(share.held());
        const PackageListFingerprint fingerprint = fingerprintOf(packages);
        Outcome outcome{{}, std::move(packages), {}, fingerprint};
        outcome.digest = digest;
        return outcome;
    };
    auto finish = [done = std::move(done)](Outcome &&outcome) {
        done(IndexResult{std::move(outcome.packages), outcome.error, outcome.notModified,
                         std::move(outcome.validators), outcome.fingerprint, outcome.bytesReceived,
                         std::move(outcome.digest)});
    };
    (new IndexFetchJob(context, options, work, std::move(finish)))->start(from);
}
