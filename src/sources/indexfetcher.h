#pragma once

#include "indexdigest.h"
#include "indexerror.h"
#include "indexresult.h"
#include "indextext.h"
#include "indexvalidators.h"
#include "platform/networkaccess.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QNetworkAccessManager;
class QObject;
class QString;

class MemoryBudget;

struct FetchOptions
{
    qint64 maxBytes = maxIndexBytes; // for the body and for the text it decompresses to
    int transferTimeoutMs = NetworkAccess::transferTimeoutMs; // no byte for this long fails
    // Fewer than lowSpeedBytes in any window of lowSpeedWindowMs fails too, like a timeout.
    int lowSpeedWindowMs = 60'000;
    qint64 lowSpeedBytes = 1024;
    QNetworkAccessManager *manager = nullptr; // NetworkAccess::manager() when null
    // Asks the address that answered last time whether its index changed, when that address is
    // still the index's own or one of its compressed names. A 304 then ends the fetch with
    // IndexResult::notModified; any failure sends it on to the ordinary fetch. Values longer
    // than IndexValidators::maxValueBytes are left out.
    std::optional<IndexValidators> revalidate;
    MemoryBudget *budget = nullptr;           // MemoryBudget::shared() when null
    // Told the bytes of the body so far and its announced size, as they arrive; only when
    // the server announces the size.
    std::function<void(qint64 received, qint64 total)> progress;
    // Which checksums of the fetched body parsePackages computes; none when null.
    std::shared_ptr<const DigestRequest> digest;
    // Whether an HTTP error status sends the fetch on to the compressed names.
    bool compressedNames = true;
};

// False for text that a fetch rejects at once as no valid address (IndexError::Kind::BadUrl):
// the add-source flow tells that apart before anything else.
[[nodiscard]] bool isValidIndexAddress(const QString &address);

// Fetches the index at the address `from` and hands over its text, decompressed when it came
// compressed and checked to be UTF-8. When the address answers with an HTTP error status, the
// same address with ".zst", ".xz", ".bz2" and ".gz" appended is tried in turn; the first that
// answers and decodes is taken, and when none does the first failure is reported. A network
// failure is not retried.
//
// Bodies and their decoding draw on the memory budget; a fetch that finds no room stops
// reading (the server waits) until there is, and its time limits stand still meanwhile.
//
// Call on the thread of `context` and of the manager (the main thread). `done` runs later on
// that thread, exactly once, unless `context` is destroyed first: then the download is
// aborted and `done` is never called. Decoding runs on the global thread pool.
void fetchIndexText(const QString &from, QObject *context, std::function<void(IndexText)> done,
                    const FetchOptions &options = {});

// Like fetchIndexText, then parses the text with repoURL as the base of download links
// (off the main thread too).
void parsePackages(const QString &from, std::string repoURL, QObject *context,
                   std::function<void(IndexResult)> done, const FetchOptions &options = {});
