#pragma once

#include "model/repo.h"
#include "releaseinfo.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

// What one batch came to, address by address in the order they were typed.
struct AddBatchResult
{
    int total = 0;
    int added = 0;
    // One line per address that failed or was read as https.
    QStringList lines;
    // The addresses that added nothing, as typed.
    QStringList failedAddresses;

    // What the alert says: the success text when nothing failed, else how many were added;
    // then the lines.
    [[nodiscard]] QString message() const;
};
Q_DECLARE_METATYPE(AddBatchResult)

// Adds sources by the addresses a user typed. Every address of a batch is checked at once and
// fetched at once; each source whose index arrives is handed over in the order the fetches
// complete. Whoever owns the list appends it (and writes the store): the adder only reads the
// list, through `list`, to find duplicates. Everything happens on the thread of the adder.
class RepoAdder : public QObject
{
    Q_OBJECT

public:
    using ListView = std::function<const RepoList &()>;

    explicit RepoAdder(ListView list, QObject *parent = nullptr);

    // The addresses in typed text: pieces between newline characters and single blanks, empty
    // pieces dropped, nothing else trimmed.
    [[nodiscard]] static QStringList splitAddresses(QStringView text);
    // A new, unpinned source at a base address holding the packages of its index.
    [[nodiscard]] static Repo makeRepo(const QString &base, PackageList packages);

    // Starts one batch over the addresses in the text and returns its number; `finished` is
    // emitted for it later, also when the text holds no address.
    int addRepos(const QString &text);
    int addAll(const QStringList &addresses);

    [[nodiscard]] bool isIdle() const { return m_batches.isEmpty(); }

Q_SIGNALS:
    // A source whose index was fetched: to be appended at the end of the list and written.
    void repoReady(const Repo &repo);
    // What the Release of a source about to be handed over said; emitted just before repoReady.
    void releaseRead(const QUuid &id, const ReleaseInfo &release);
    // One address failed; the message names its base address.
    void failed(int batch, const QString &message);
    // Every address of the batch has ended.
    void finished(int batch, const AddBatchResult &result);

private:
    struct Outcome
    {
        QString typed;
        QString failure; // empty when added
        bool assumedHttps = false;
    };
    struct Batch
    {
        int pending = 0;
        QList<Outcome> outcomes; // in typed order
    };

    // Runs one address of a batch: the checks, then the fetch.
    void add(int batch, int index);
    void fail(int batch, int index, const QString &message);
    void ended(int batch);

    ListView m_list;
    QHash<int, Batch> m_batches;
    // Base addresses being fetched: a second one is a duplicate even before the first is listed.
    QSet<QString> m_inFlight;
    int m_lastBatch = 0;
};
