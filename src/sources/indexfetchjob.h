#pragma once

#include "indexfetcher.h"
#include "memorybudget.h"
#include "transferpace.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

// Why a text is no address to fetch, or nothing when it is one.
[[nodiscard]] std::optional<IndexError> indexAddressError(const QString &text, const QUrl &url);

// One fetch of an index, with its compressed fallbacks, from the first request to the one
// call of `finish`. Lives on the manager's thread and deletes itself when done.
class IndexFetchJob : public QObject
{
public:
    struct Outcome
    {
        QByteArray text;
        PackageList packages;
        std::optional<IndexError> error;
        PackageListFingerprint fingerprint = {};
        bool notModified = false;
        IndexValidators validators = {};
        qint64 bytesReceived = 0;
        IndexDigest digest = {};
    };
    // Runs off the main thread on a fetched body, drawing on the fetch's share of the budget.
    using Work = std::function<Outcome(QByteArray body, qint64 maxBytes, MemoryBudget::Share &share)>;

    IndexFetchJob(QObject *context, const FetchOptions &options, Work work, std::function<void(Outcome &&)> finish);
    void start(const QString &from);

private:
    enum class Abort { None, HttpStatus, TooLarge, Stalled, TooSlow };
    enum class Take { Done, Wait, TooLarge };

    void request();
    void abortReply(Abort why);
    void dropBody();
    void onMetaData();
    void onReadyRead();
    void onRoom();

    // Takes what arrived, then goes on to the end once the reply has ended.
    void drain();

    // Moves what arrived into the body (or drops an error page). Waits when the budget has no
    // room for it; too large when it would pass the limit.
    Take take(QNetworkReply *reply);
    IndexError tooLarge() const;

    void onFinished();
    void decode(QByteArray body);

    // The first address failing with an HTTP error status sends the fetch on to the
    // compressed names; a network failure of any address ends it.
    void failed(const IndexError &error);
    void failLater(const IndexError &error);
    void deliver(Outcome &&outcome);
    void cancel();

    QPointer<QObject> m_context;
    QNetworkAccessManager *m_manager;
    FetchOptions m_options;
    Work m_work;
    std::function<void(Outcome &&)> m_finish;
    QList<QUrl> m_candidates;
    qsizetype m_attempt = 0;
    std::optional<IndexError> m_firstError;
    std::optional<QUrl> m_conditional; // while asking the address that answered last time
    IndexValidators m_validators; // of the answer being decoded
    qint64 m_bytesReceived = 0; // over every request
    MemoryBudget *m_budget;
    std::shared_ptr<MemoryBudget::Share> m_share; // shared with the decoding work
    TransferPace m_pace;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    qint64 m_received = 0;
    qint64 m_announced = -1; // the body's size as the server gave it, -1 when not
    Abort m_abort = Abort::None;
    int m_status = 0;
    bool m_ended = false; // the reply has finished, though not all of it may have been taken
};
