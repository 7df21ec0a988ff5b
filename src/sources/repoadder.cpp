#include "repoadder.h"

#include "distribution.h"
#include "indexfetcher.h"
#include "sourceaddress.h"
#include "sourcefetch.h"
#include "sourcelists.h"

#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool separatesAddresses(QChar c)
{
    switch (c.unicode()) {
    case 0x0020:
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

} // namespace

RepoAdder::RepoAdder(ListView list, QObject *parent)
    : QObject(parent)
    , m_list(std::move(list))
{
}

QStringList RepoAdder::splitAddresses(QStringView text)
{
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !separatesAddresses(text.at(i)))
            continue;
        if (i > start)
            pieces.append(text.mid(start, i - start).toString());
        start = i + 1;
    }
    return pieces;
}

Repo RepoAdder::makeRepo(const QString &base, PackageList packages)
{
    Repo repo;
    const QString host = QUrl(base, QUrl::StrictMode).host();
    repo.name = host.isEmpty() ? "سورس جديد" : host.toStdString();
    repo.url = base.toStdString();
    repo.imageURL = Distribution::archiveRoot(base).value_or(base).toStdString() + "CydiaIcon.png";
    repo.packagesURL = repo.url + "Packages";
    repo.packages = std::move(packages);
    repo.isPinned = false;
    repo.lastUpdated = ReferenceDate::now();
    repo.isFixed = false;
    return repo;
}

QString AddBatchResult::message() const
{
    QStringList all{failedAddresses.isEmpty() ? u"تم إضافة السورسات بنجاح"_s
                                              : u"تمت إضافة %1 من %2"_s.arg(added).arg(total)};
    all += lines;
    return all.join(u'\n');
}

int RepoAdder::addRepos(const QString &text)
{
    return addAll(SourceLists::typedAddresses(text));
}

int RepoAdder::addAll(const QStringList &addresses)
{
    const int batch = ++m_lastBatch;
    Batch &started = m_batches[batch];
    // Held until every address has started, so the batch cannot end half-way through.
    started.pending = 1;
    for (const QString &address : addresses)
        started.outcomes.append({address, {}, false});
    for (int i = 0; i < addresses.size(); ++i)
        add(batch, i);
    // The end is always announced later, as for a batch that waited for the network.
    QMetaObject::invokeMethod(this, [this, batch] { ended(batch); }, Qt::QueuedConnection);
    return batch;
}

void RepoAdder::add(int batch, int index)
{
    const SourceAddress address = SourceAddress::fromTyped(m_batches[batch].outcomes.at(index).typed);
    m_batches[batch].outcomes[index].assumedHttps = address.assumedHttps;
    const QString &base = address.base;
    if (!address.isAcceptable())
        return fail(batch, index, u"رابط غير صالح: "_s + base);

    const std::string url = base.toStdString();
    const RepoList &repos = m_list();
    const bool listed = std::any_of(repos.cbegin(), repos.cend(), [&url](const Repo &r) { return r.url == url; });
    if (listed || m_inFlight.contains(base))
        return fail(batch, index, u"السورس موجود بالفعل: "_s + base);

    m_inFlight.insert(base);
    ++m_batches[batch].pending;
    fetchSource({base, address.indexAddress(), std::nullopt, {}}, this, [this, base, batch, index](SourceFetchResult fetched) {
        m_inFlight.remove(base);
        IndexResult &result = fetched.index;
        // An error status, a body that is not UTF-8 and every other failure alike add nothing.
        if (result.ok()) {
            const Repo repo = makeRepo(base, std::move(result.packages));
            Q_EMIT releaseRead(repo.id, fetched.release);
            Q_EMIT repoReady(repo);
        } else
            fail(batch, index, u"فشل في جلب البيانات: "_s + base);
        ended(batch);
    });
}

void RepoAdder::fail(int batch, int index, const QString &message)
{
    m_batches[batch].outcomes[index].failure = message;
    Q_EMIT failed(batch, message);
}

void RepoAdder::ended(int batch)
{
    const auto it = m_batches.find(batch);
    if (it == m_batches.end() || --it->pending > 0)
        return;
    AddBatchResult result;
    result.total = int(it->outcomes.size());
    for (const Outcome &outcome : std::as_const(it->outcomes)) {
        const QString note = u"قُرئ بـ https لأنه بلا بروتوكول"_s;
        if (!outcome.failure.isEmpty()) {
            result.failedAddresses.append(outcome.typed);
            result.lines.append(outcome.assumedHttps ? outcome.failure + u" ("_s + note + u')' : outcome.failure);
        } else {
            ++result.added;
            if (outcome.assumedHttps)
                result.lines.append(note + u": "_s + SourceAddress::fromTyped(outcome.typed).base);
        }
    }
    m_batches.erase(it);
    Q_EMIT finished(batch, result);
}
