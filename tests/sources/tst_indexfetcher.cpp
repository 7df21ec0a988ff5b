#include "compression.h"
#include "sources/indexfetcher.h"
#include "sources/memorybudget.h"
#include "sources/packagesparser.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

constexpr auto base = "https://repo.example/";

QStringList names(const PackageList &packages)
{
    QStringList list;
    for (const Package &p : packages)
        list << QString::fromStdString(p.name + ' ' + p.version + ' ' + p.downloadURL);
    return list;
}

QStringList expectedNames(const QByteArray &index)
{
    return names(parsePackages({index.constData(), std::size_t(index.size())}, base));
}

const QByteArray sample = TestData::fixture(u"Packages-sample"_s);
const TestServer::Answer stall = [] { TestServer::Answer a; a.stall = true; return a; }();

// Waits for one fetch through the entry point under test.
IndexResult fetch(const QString &url, const FetchOptions &options = {})
{
    QObject context;
    QList<IndexResult> results;
    parsePackages(url, base, &context, [&](IndexResult r) { results << std::move(r); }, options);
    if (!QTest::qWaitFor([&] { return !results.isEmpty(); }, 20'000))
        return {{}, IndexError{IndexError::Kind::Network, u"test: no answer"_s}};
    QTest::qWait(20); // a second call would show up here
    return results.size() == 1 ? results[0] : IndexResult{{}, IndexError{IndexError::Kind::Network, u"test: called twice"_s}};
}

// The nice value of a process or thread, from its /proc/<path>/stat line.
int niceOf(const QString &path)
{
    QFile stat(u"/proc/"_s + path + u"/stat"_s);
    if (!stat.open(QIODevice::ReadOnly))
        return -100;
    const QByteArray line = stat.readAll();
    // After the command name in brackets: state, then fields 4 to 19, the nice value last.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 16 ? fields.at(16).toInt() : -100;
}

QByteArray indexOfSize(qint64 bytes)
{
    QByteArray index;
    for (int i = 0; index.size() < bytes; ++i)
        index += "Package: com.example.p" + QByteArray::number(i) + "\nVersion: 1.0\nDescription: A package\n\n";
    return index;
}

} // namespace

class TestIndexFetcher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void goodIndexOverHttpAndFromAFile()
    {
        TestServer server;
        server.serve(u"Packages"_s, sample);
        const IndexResult result = fetch(server.url(u"Packages"_s));
        QCOMPARE(names(result.packages), expectedNames(sample));
        QCOMPARE(server.totalRequests(), 1);
        QCOMPARE(result.bytesReceived, sample.size());
        // Decoded on a thread that yields to this one: the process has one at background
        // priority now, and this thread kept its own.
        QCOMPARE(niceOf(u"self"_s), 0);
        const QStringList threads = QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QVERIFY(std::any_of(threads.cbegin(), threads.cend(), [](const QString &t) { return niceOf(u"self/task/"_s + t) == 10; }));

        // Text without stanzas nor markup is an index without packages; a body at the limit is whole.
        const QByteArray text = "\xEF\xBB\xBFNo packages here\n"_ba;
        server.serve(u"words"_s, text);
        FetchOptions atTheLimit;
        atTheLimit.maxBytes = text.size();
        const IndexResult words = fetch(server.url(u"words"_s), atTheLimit);
        QVERIFY(words.ok() && words.packages.isEmpty());

        // An address without a host, such as a local file, is fetched like any other.
        const IndexResult file = fetch(QUrl::fromLocalFile(QStringLiteral(FIXTURES_DIR "/Packages-sample")).toString());
        QCOMPARE(names(file.packages), expectedNames(sample));
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<IndexError::Kind>("kind");
        QTest::newRow("server error") << "Package: a\n"_ba << 500 << IndexError::Kind::HttpStatus;
        QTest::newRow("not UTF-8") << "Package: \xd5\xc5\n"_ba << 200 << IndexError::Kind::NotUtf8;
        const auto gzip = [](const QByteArray &text) { return TestCompression::compress(Compression::Gzip, text); };
        QTest::newRow("corrupt compressed body") << gzip("Package: a\n").chopped(4) << 200 << IndexError::Kind::Corrupt;
        // A portal or parked domain answering 200 must not empty the source.
        QTest::newRow("web page") << "\xEF\xBB\xBF \r\n\t<!DOCTYPE html><p>Package: a</p>\n"_ba << 200 << IndexError::Kind::Markup;
        QTest::newRow("compressed web page") << gzip("<html>\n\nPackage: a\n") << 200 << IndexError::Kind::Markup;
        QTest::newRow("body over the limit") << QByteArray(5000, 'x') << 200 << IndexError::Kind::TooLarge;
    }
    void failures()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(IndexError::Kind, kind);
        TestServer server;
        server.serve(u"Packages"_s, body, status);
        FetchOptions options;
        options.maxBytes = 4096;
        const IndexResult result = fetch(server.url(u"Packages"_s), options);
        QVERIFY(!result.ok());
        QCOMPARE(result.error->kind, kind);
        QVERIFY(!result.error->detail.isEmpty());
        // Only a missing index sends the fetch on; the compressed names' 404s keep the first failure.
        QCOMPARE(server.totalRequests(), kind == IndexError::Kind::HttpStatus ? 5 : 1);
        QCOMPARE(result.error->detail.startsWith(u"HTTP 500"_s), status == 500);
    }

    void addresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<IndexError::Kind>("kind");
        QTest::newRow("empty") << QString() << IndexError::Kind::BadUrl;
        QTest::newRow("blank inside") << u"https://exa mple.org/Packages"_s << IndexError::Kind::BadUrl;
        QTest::newRow("no host") << u"https:///Packages"_s << IndexError::Kind::BadUrl;
        QTest::newRow("bare host name is relative") << u"repo.example/Packages"_s << IndexError::Kind::Network;
        QTest::newRow("missing local file") << u"file:///nonexistent/vexlo/Packages"_s << IndexError::Kind::Network;
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        QTest::newRow("refused connection") << u"http://127.0.0.1:%1/Packages"_s.arg(probe.serverPort()) << IndexError::Kind::Network;
    }
    void addresses()
    {
        QFETCH(QString, address);
        QFETCH(IndexError::Kind, kind);
        const IndexResult result = fetch(address);
        QVERIFY(!result.ok());
        QCOMPARE(result.error->kind, kind);
        QCOMPARE(isValidIndexAddress(address), kind != IndexError::Kind::BadUrl);
    }

    // A body without a length is stopped once it passes the limit. A byte now and then keeps a
    // connection alive but is no download; a slow steady one is.
    void pacedBodies()
    {
        PacedServer endless(QByteArray(8 << 20, 'x'), 64 << 10, 1, -1, false);
        FetchOptions options;
        options.maxBytes = 256 << 10;
        QCOMPARE(fetch(endless.url(), options).error->kind, IndexError::Kind::TooLarge);
        QVERIFY(endless.sent() < (4 << 20)); // the download stopped long before its end
        PacedServer exact("Package: a" + QByteArray(options.maxBytes - 10, '\n'), 64 << 10, 1, -1, false);
        QVERIFY(fetch(exact.url(), options).ok()); // a body as long as the limit is whole

        options = {};
        options.transferTimeoutMs = 400;
        options.lowSpeedWindowMs = 1000;
        options.lowSpeedBytes = 1024; // 1 KiB/s

        PacedServer dripping(indexOfSize(64 << 10), 1, 20); // 50 B/s
        QCOMPARE(fetch(dripping.url(), options).error.value_or(IndexError{}).detail, u"less than 1024 bytes in 1 s"_s);

        const QByteArray index = indexOfSize(24 << 10);
        PacedServer steady(index, 512, 50); // 10 KiB/s for more than two windows
        QCOMPARE(names(fetch(steady.url(), options).packages), expectedNames(index));
    }

    // Bodies in flight share one budget: a fetch without room waits, its time limits standing
    // still, and goes on once the largest holder has ended.
    void fetchesWaitForRoomInTheBudget()
    {
        auto &budget = *new MemoryBudget(256 << 10, this); // outlives the fetches, whatever happens
        PacedServer holder(indexOfSize(1 << 20), 64 << 10, 10, 512 << 10); // stalls while holding
        const QByteArray index = indexOfSize(300 << 10);
        PacedServer waiter(index, 64 << 10, 10);

        QObject context;
        std::optional<IndexResult> held, waited;
        FetchOptions holding;
        holding.budget = &budget;
        holding.transferTimeoutMs = 1500;
        parsePackages(holder.url(), base, &context, [&](IndexResult r) { held = std::move(r); }, holding);
        QTRY_VERIFY(budget.used() > budget.capacity());

        FetchOptions waiting = holding;
        waiting.transferTimeoutMs = 300;
        bool waitedLongEnough = false;
        parsePackages(waiter.url(), base, &context, [&](IndexResult r) {
            waitedLongEnough = held.has_value(); // not before the holder gave its room back
            waited = std::move(r);
        }, waiting);
        QTRY_VERIFY_WITH_TIMEOUT(waited.has_value(), 10'000);
        QVERIFY(waitedLongEnough);
        QCOMPARE(held->error->kind, IndexError::Kind::Network);
        QCOMPARE(names(waited->packages), expectedNames(index));
        QTRY_COMPARE(budget.used(), 0);

        // Decompression draws on the same budget, on the pool, where a wait must not hold up
        // the work that would end it.
        const QByteArray large = indexOfSize(2 << 20);
        TestServer server;
        server.serve(u"Packages"_s, TestCompression::compress(Compression::Xz, large));
        server.serve(u"other/Packages"_s, TestCompression::compress(Compression::Zstd, large));
        QList<IndexResult> results;
        for (const QString &path : {u"Packages"_s, u"other/Packages"_s})
            parsePackages(server.url(path), base, &context, [&](IndexResult r) { results << std::move(r); }, holding);
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), 2, 20'000);
        for (const IndexResult &r : results)
            QCOMPARE(names(r.packages), expectedNames(large));
        QTRY_COMPARE(budget.used(), 0);
    }

    // Asked with an answer's validators, a 304 ends the fetch without a download, asking the
    // compressed name that answered; when it is gone or not this index's, the ordinary fetch runs.
    void conditionalRequests()
    {
        TestServer server;
        server.serve(u"Packages.gz"_s, {200, TestCompression::compress(Compression::Gzip, sample), "application/gzip", false, {},
                                        "Sun, 06 Dec 2026 10:00:00 GMT"});
        const IndexResult first = fetch(server.url(u"Packages"_s));
        QCOMPARE(first.validators.address, server.url(u"Packages.gz"_s));

        FetchOptions conditional;
        conditional.revalidate = first.validators;
        const IndexResult unchanged = fetch(server.url(u"Packages"_s), conditional);
        QVERIFY(unchanged.ok() && unchanged.notModified && unchanged.packages.isEmpty());
        QCOMPARE(unchanged.bytesReceived, 0);
        QCOMPARE(server.lastHeader(u"Packages.gz"_s, "If-Modified-Since"), "Sun, 06 Dec 2026 10:00:00 GMT"_ba);
        QCOMPARE(server.totalRequests(), 5 + 1);

        // Someone else's address is never asked.
        FetchOptions foreign;
        foreign.revalidate = IndexValidators{server.url(u"other/Packages.gz"_s), "\"gz\"", {}};
        const IndexResult unasked = fetch(server.url(u"Packages"_s), foreign);
        QVERIFY(unasked.ok() && !unasked.notModified);
        QCOMPARE(server.requestCount(u"other/Packages.gz"_s), 0);

        // The source now publishes only the plain index.
        server.serve(u"Packages.gz"_s, QByteArray(), 404);
        server.serve(u"Packages"_s, "Package: plain\n");
        const IndexResult moved = fetch(server.url(u"Packages"_s), conditional);
        QCOMPARE(names(moved.packages), QStringList{u"plain  "_s});
        QCOMPARE(moved.validators.address, server.url(u"Packages"_s));
        QVERIFY(!moved.validators.canRevalidate());

        // A network failure of the conditional request, and validators too long to be a
        // server's (kept from an older version), end in the ordinary fetch; none that long is kept.
        const QByteArray longTag = '"' + QByteArray(IndexValidators::maxValueBytes, 't') + '"';
        server.serve(u"Packages"_s, {200, "Package: plain\n", "text/plain", false, longTag, "Sun, 06 Dec 2026 10:00:00 GMT"});
        server.serve(u"Packages.gz"_s, {200, {}, "application/gzip", true});
        FetchOptions stalled = conditional;
        stalled.transferTimeoutMs = 300;
        const IndexResult retried = fetch(server.url(u"Packages"_s), stalled);
        QCOMPARE(names(retried.packages), QStringList{u"plain  "_s});
        QVERIFY(retried.validators.etag.isEmpty());
        QCOMPARE(retried.validators.lastModified, "Sun, 06 Dec 2026 10:00:00 GMT"_ba);
        FetchOptions oversized;
        oversized.revalidate = IndexValidators{server.url(u"Packages"_s), longTag, {}};
        const int notModifiedBefore = server.notModifiedCount();
        QVERIFY(!fetch(server.url(u"Packages"_s), oversized).notModified);
        QVERIFY(server.lastHeader(u"Packages"_s, "If-None-Match").isEmpty());
        QCOMPARE(server.notModifiedCount(), notModifiedBefore);
    }

    // Without a plain index the compressed names are asked in their order, a bad one skipped for
    // the next; a network failure ends the search, and when none is good the plain's failure stands.
    void compressedNames()
    {
        TestServer server;
        FetchOptions options;
        options.maxBytes = 1 << 20;
        options.transferTimeoutMs = 300;
        const auto fetchCounting = [&](int requests) {
            const int before = server.totalRequests();
            const IndexResult result = fetch(server.url(u"Packages"_s), options);
            const int asked = server.totalRequests() - before;
            return asked == requests ? result : IndexResult{{}, IndexError{IndexError::Kind::Network, u"asked %1"_s.arg(asked)}};
        };
        for (Compression format : {Compression::Gzip, Compression::Bzip2, Compression::Xz, Compression::Zstd}) {
            server.serve(u"Packages"_s + QLatin1StringView(TestCompression::suffix(format)), TestCompression::compress(format, sample));
            QCOMPARE(names(fetchCounting(1 + int(format)).packages), expectedNames(sample));
        }
        server.serve(u"Packages.zst"_s, TestCompression::compress(Compression::Zstd, QByteArray(3 << 19, 'a')));
        server.serve(u"Packages.xz"_s, TestCompression::compress(Compression::Xz, "Package: a\n").chopped(5));
        server.serve(u"Packages.bz2"_s, TestCompression::compress(Compression::Bzip2, "Package: \xff\n"));
        server.serve(u"Packages.gz"_s, TestCompression::compress(Compression::Gzip, "Package: good\n"));
        QCOMPARE(names(fetchCounting(5).packages), QStringList{u"good  "_s});
        server.serve(u"Packages.gz"_s, QByteArray(), 404);
        QCOMPARE(fetchCounting(5).error.value_or(IndexError{}).detail, u"HTTP 404 Not Found"_s);

        server.serve(u"Packages.zst"_s, stall);
        server.serve(u"Packages.xz"_s, TestCompression::compress(Compression::Xz, "Package: a\n"));
        QCOMPARE(fetchCounting(2).error.value_or(IndexError{}).detail, u"HTTP 404 Not Found"_s);
        server.serve(u"Packages"_s, stall);
        QCOMPARE(fetchCounting(1).error.value_or(IndexError{}).detail, u"no data for 0.3 s"_s);
    }

    void nothingArrivesAfterTheContextIsGone()
    {
        TestServer server;
        server.serve(u"Packages"_s, stall);
        server.serve(u"slow"_s, sample);
        int calls = 0;
        {
            QObject context;
            parsePackages(server.url(u"Packages"_s), base, &context, [&](IndexResult) { ++calls; });
            QVERIFY(server.waitForRequests(1));
            parsePackages(u"not a url"_s, base, &context, [&](IndexResult) { ++calls; });
        }
        // Parsing runs on the pool when its context goes.
        {
            QObject context;
            server.setHolding(true);
            parsePackages(server.url(u"slow"_s), base, &context, [&](IndexResult) { ++calls; });
            QVERIFY(server.waitForRequests(2));
            server.release();
        }
        QTest::qWait(300);
        QCOMPARE(calls, 0);
    }
};

QTEST_GUILESS_MAIN(TestIndexFetcher)
#include "tst_indexfetcher.moc"
