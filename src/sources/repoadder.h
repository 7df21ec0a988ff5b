#pragma once

#include "model/repo.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

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
    // The key of a source: the address with a "/" appended unless it ends in one.
    [[nodiscard]] static QString baseAddress(const QString &address);
    // A new, unpinned source at a base address holding the packages of its index.
    [[nodiscard]] static Repo makeRepo(const QString &base, PackageList packages);
    // What the alert says when a batch has ended: the success text, or the batch's failures
    // one per line.
    [[nodiscard]] static QString closingMessage(const QStringList &failures);

    // Starts one batch over the addresses in the text and returns its number; `finished` is
    // emitted for it later, also when the text holds no address.
    int addRepos(const QString &text);
    int addAll(const QStringList &addresses);

    [[nodiscard]] bool isIdle() const { return m_batches.isEmpty(); }

Q_SIGNALS:
    // A source whose index was fetched: to be appended at the end of the list and written.
    void repoReady(const Repo &repo);
    // One address failed; the message names its base address.
    void failed(int batch, const QString &message);
    // Every address of the batch has ended; `failures` are its messages in the order they arose.
    void finished(int batch, const QStringList &failures);

private:
    struct Batch
    {
        int pending = 0;
        QStringList failures;
    };

    // Runs one address of a batch: the checks, then the fetch.
    void add(const QString &address, int batch);
    void fail(int batch, const QString &message);
    void ended(int batch);

    ListView m_list;
    QHash<int, Batch> m_batches;
    // Base addresses being fetched: a second one is a duplicate even before the first is listed.
    QSet<QString> m_inFlight;
    int m_lastBatch = 0;
};
