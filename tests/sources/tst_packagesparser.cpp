#include "compression.h"
#include "sources/decompress.h"
#include "sources/indexfile.h"
#include "sources/indextext.h"
#include "sources/packagesparser.h"
#include "sources/utf8.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <array>

using namespace Qt::StringLiterals;

namespace {

std::string_view view(const QByteArray &bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

// name|description|version|downloadURL|architecture|ratings|fileSize, "-" for an absent rating,
// then the five extras ("~" for an absent one) when the record has any.
QString describe(const Package &p)
{
    QString line = QString::fromStdString(p.name + '|' + p.description + '|' + p.version + '|' + p.downloadURL + '|'
                                          + p.architecture + '|')
        + (p.ratings ? QString::number(*p.ratings) : u"-"_s) + u'|' + QString::number(p.fileSize);
    bool any = false;
    for (std::size_t i = 0; i < extraCount; ++i) {
        const std::optional<std::string_view> value = p.extras.get(Extra(i));
        any = any || value;
        line += u'|' + (value ? QString::fromUtf8(value->data(), qsizetype(value->size())) : u"~"_s);
    }
    return any ? line : line.section(u'|', 0, 6);
}

QStringList parse(const QByteArray &text)
{
    QStringList lines;
    for (const Package &p : parsePackages(view(text), "https://r.example/"))
        lines << describe(p);
    return lines;
}

// Index-like text that does not compress to nothing; by default about 300 KB.
QByteArray sampleIndex(qsizetype bytes = 300'000, const QByteArray &eol = "\n")
{
    QByteArray text;
    for (int i = 0; text.size() < bytes; ++i)
        text += "Package: com.example.tool" + QByteArray::number(qint64(i) * 7919 % 10007) + eol + "Version: 1." +
                QByteArray::number(i) + eol + "Description: وصف الأداة " + QByteArray::number(i * 31) + eol + "Size: " +
                QByteArray::number(i) + eol + eol;
    return text;
}

} // namespace

class TestPackagesParser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textRule_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("expected");
        auto row = [](const char *name, const QByteArray &text, const QStringList &records = {}) {
            QTest::newRow(name) << text << records;
        };
        row("empty text", {});
        row("every field", "Package: a\nVersion: 1.0\nArchitecture: iphoneos-arm\nFilename: debs/a.deb\nSize: 42\n"
                           "Description: the tool\nRatings: 4.5\nName: Tool A\nIcon: https://r/a.png\nAuthor: Ann <a@r>\n"
                           "Section: Tweaks\nDepiction: https://r/a.html\n",
            {u"a|the tool|1.0|https://r.example/debs/a.deb|iphoneos-arm|4.5|42|Tool A|https://r/a.png|Ann <a@r>|Tweaks|https://r/a.html"_s});
        row("defaults", "Package: a\n", {u"a||||arm|-|0"_s});
        row("empty values are not defaults", "Package: a\nArchitecture: \nFilename: \nName: \nSection: \n",
            {u"a|||https://r.example/||-|0||~|~||~"_s});
        row("only Package: makes a record", "<html><body>404 Not Found</body></html>\nVersion: 1\nFilename: x.deb\n\nPackage: \n");
        row("last occurrence wins", "Package: a\nVersion: 1\nSize: 5\nPackage: b\nVersion: 2\nSize: 5x\n", {u"b||2||arm|-|0"_s});
        row("values are not trimmed", "Package:  a \nVersion: 1.0 \nDescription:  x\n", {u" a | x|1.0 ||arm|-|0"_s});
        row("CR not before LF stays", "Package: a\rb\nVersion: 1\r\r\nSize: 3\r", {u"a\rb||1\r||arm|-|0"_s});
        row("CR CR LF line does not", "Package: a\n\r\r\nPackage: b", {u"b||||arm|-|0"_s});
        row("CR LF", "Package: a\r\nSize: 1\r\nSileoDepiction: s\r\n\r\nPackage: b\r\nVersion: 2\r\n",
            {u"a||||arm|-|1|~|~|~|~|s"_s, u"b||2||arm|-|0"_s});
        row("only exact field names", "package: y\nPackage:x\nPackage: a\n continued\nIcon2: j\nNative Depiction: n\n"
                                      "Sileodepiction: x\nPre-Depends: b\nSize:  12\nVersion:1\n", {u"a||||arm|-|0"_s});
        row("size bounds", "Package: a\nSize: 9223372036854775807\n\nPackage: b\nSize: -9223372036854775808\n",
            {u"a||||arm|-|9223372036854775807"_s, u"b||||arm|-|-9223372036854775808"_s});
        row("size out of range", "Package: a\nSize: 9223372036854775808\n", {u"a||||arm|-|0"_s});
        row("number forms", "Package: a\nRatings: -1.5e2\nSize: +12\n", {u"a||||arm|-150|12"_s});
        row("no number", "Package: a\nRatings: nan\n\nPackage: b\nRatings: 4.5 \nSize: 12 \n\nPackage: c\nRatings: 1e999\n",
            {u"a||||arm|-|0"_s, u"b||||arm|-|0"_s, u"c||||arm|-|0"_s});
        row("Sileo page when no depiction", "Package: a\nSileoDepiction: https://r/s.json\n",
            {u"a||||arm|-|0|~|~|~|~|https://r/s.json"_s});
        row("an empty depiction still wins", "Package: a\nSileoDepiction: s\nDepiction: \n", {u"a||||arm|-|0|~|~|~|~|"_s});
        row("not carried to the next stanza", "Package: a\nSection: s\nSileoDepiction: x\n\nPackage: b\n\n",
            {u"a||||arm|-|0|~|~|~|s|x"_s, u"b||||arm|-|0"_s});
    }
    void textRule()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, expected);
        QCOMPARE(parse(text), expected);
    }

    void everyRecordHasAFreshId()
    {
        const PackageList first = parsePackages("Package: a\n\nPackage: a\n", ""), again = parsePackages("Package: a\n", "");
        QCOMPARE((QSet<QUuid>{first[0].id, first[1].id, again[0].id}).size(), 3);
        QVERIFY(again[0].id.version() == QUuid::Random && again[0].id.variant() == QUuid::DCE);
    }

    // Every real index gives one record per "Package: " line (none repeats a field in a stanza
    // or has blank-only lines; CRLF reads like LF). The GBK one is not UTF-8: never parsed.
    void corpus()
    {
        REQUIRE_CORPUS(dir);
        int packages = 0;
        std::array<int, extraCount> carrying{};
        for (const QString &source : QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QByteArray text = TestData::readFile(dir + u'/' + source + u"/Packages"_s);
            if (source == u"ChuanxuY__ChuanxuY.github.io") {
                QCOMPARE(::decodeIndex(text).error->kind, IndexError::Kind::NotUtf8);
                continue;
            }
            QVERIFY2(isValidUtf8(view(text)), qPrintable(source));
            const PackageList parsed = parsePackages(view(text), "https://r.example/");
            QVERIFY2(parsed.size() == QByteArray('\n' + text).count("\nPackage: "), qPrintable(source));
            packages += int(parsed.size());
            for (const Package &p : parsed) {
                QVERIFY2(!p.name.empty() && p.name.back() != '\r', qPrintable(source));
                for (std::size_t i = 0; i < extraCount; ++i)
                    carrying[i] += p.extras.has(Extra(i));
            }
        }
        QCOMPARE(packages, 2237 - 38);
        // Stanzas with a Name, Icon, Author, Section, and Depiction or SileoDepiction line.
        QCOMPARE(carrying, (std::array<int, extraCount>{1168, 1226, 1679, 2199, 1293}));
    }

    void formats_data()
    {
        QTest::addColumn<Compression>("format");
        for (Compression format : {Compression::Zstd, Compression::Xz, Compression::Bzip2, Compression::Gzip})
            QTest::addRow("%s", TestCompression::suffix(format)) << format;
    }
    void formats()
    {
        QFETCH(Compression, format);
        const QByteArray text = sampleIndex();
        const QByteArray packed = TestCompression::compress(format, text);
        QCOMPARE(detectCompression(view(packed)), format);
        QCOMPARE(decompress(view(packed), format, text.size()).data, text);
        const Decompressed over = decompress(view(packed), format, text.size() - 1);
        QCOMPARE(over.status, Decompressed::Status::TooLarge);
        QVERIFY(over.data.isEmpty());

        // Publishers' tools may write several streams back to back.
        const QByteArray twice = packed + TestCompression::compress(format, "Package: last\n");
        QCOMPARE(decompress(view(twice), format, 1 << 20).data, text + "Package: last\n");
        if (format != Compression::Zstd) // zeros after the last stream are padding, not damage
            QCOMPARE(decompress(view(packed + QByteArray(8, '\0')), format, 1 << 20).data, text);

        // Limits below the decoder's first allocation.
        const QByteArray small = TestCompression::compress(format, "Package: a\n");
        QCOMPARE(decompress(view(small), format, 11).data, "Package: a\n"_ba);
        QCOMPARE(decompress(view(small), format, 10).status, Decompressed::Status::TooLarge);
        QCOMPARE(decompress(view(packed), format, 0).status, Decompressed::Status::TooLarge);

        QByteArray flipped = packed;
        for (qsizetype i = packed.size() / 2; i < packed.size() / 2 + 64; ++i)
            flipped[i] = char(packed[i] ^ 0x5A);
        for (const QByteArray &damaged : {packed.chopped(packed.size() / 3), flipped, QByteArray(packed + "garbage"),
                                          packed.left(format == Compression::Bzip2 ? 10 : 6)}) {
            const Decompressed result = decompress(view(damaged), format, 8 << 20);
            QCOMPARE(result.status, Decompressed::Status::Corrupt);
            QVERIFY(!result.detail.isEmpty());
        }
    }

    // Texts of tens of MiB come out whole; what decompression reserves covers them and never
    // passes the limit by more than the one byte that shows a stream is too large.
    void largeOutputs()
    {
        const QByteArray text = sampleIndex(36'000'000);
        for (Compression format : {Compression::Zstd, Compression::Gzip}) {
            const QByteArray packed = TestCompression::compress(format, text);
            for (const qint64 limit : {qint64(text.size()), qint64(1) << 30, qint64(text.size()) - 1}) {
                qint64 reserved = 0;
                const Decompressed out = decompress(view(packed), format, limit, [&](qint64 bytes) { reserved += bytes; });
                QVERIFY(reserved <= limit + 1);
                if (limit < text.size()) {
                    QCOMPARE(out.status, Decompressed::Status::TooLarge);
                } else {
                    QVERIFY(out.data == text);
                    QVERIFY(reserved >= text.size());
                }
            }
        }
        // A bomb stops after its first blocks, however far off the limit is; a text within the
        // first blocks may shrink as much as it likes.
        const QByteArray zeros(40 << 20, '\0');
        for (Compression format : {Compression::Zstd, Compression::Xz, Compression::Bzip2, Compression::Gzip}) {
            const QByteArray small = zeros.left(12 << 20);
            QCOMPARE(decompress(view(TestCompression::compress(format, small)), format, qint64(1) << 30).data, small);
            qint64 reserved = 0;
            const Decompressed out = decompress(view(TestCompression::compress(format, zeros)), format, qint64(1) << 30,
                                                [&](qint64 bytes) { reserved += bytes; });
            QCOMPARE(out.status, Decompressed::Status::TooLarge);
            QVERIFY2(reserved <= 32 << 20 && out.detail.contains(u"200 times"_s), qPrintable(out.detail));
        }
    }

    // Decoded whatever its form, the text must be UTF-8; a file is read in pieces of one MiB,
    // each ending with a whole stanza, which give the records of the whole text.
    void indexFile()
    {
        for (const char *text : {"Package: a\n", "BZh9 looks like bzip2\n", "", "\x1f"})
            QCOMPARE(detectCompression(text), Compression::None);
        QByteArray text = sampleIndex();
        QCOMPARE(::decodeIndex(text).text, text);
        QCOMPARE(::decodeIndex(TestCompression::compress(Compression::Xz, text)).text, text);
        QCOMPARE(::decodeIndex("Package: \xed\xa0\x80\n"_ba).error->kind, IndexError::Kind::NotUtf8); // a surrogate
        QCOMPARE(::decodeIndex("Package: \xc0\xaf\n"_ba).error->kind, IndexError::Kind::NotUtf8);     // overlong "/"

        QTemporaryDir dir;
        auto write = [&](const QString &name, const QByteArray &bytes) {
            QFile file(dir.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? file.fileName() : QString();
        };
        text = sampleIndex(3 << 20, "\r\n");
        text += "Package: long\nDescription: " + QByteArray(3 << 20, 'x') + "\nSize: 9"; // longer than a piece
        const PackageList expected = parsePackages(view(text), "R/");
        for (Compression format : {Compression::None, Compression::Zstd, Compression::Gzip}) {
            const IndexResult result = readIndexFile(write(u"Packages"_s, TestCompression::compress(format, text)), "R/");
            QVERIFY(result.ok());
            QCOMPARE(result.packages.size(), expected.size());
            for (qsizetype i = 0; i < expected.size(); ++i) {
                const Package &p = result.packages[i], &e = expected[i];
                QVERIFY(p.name == e.name && p.description == e.description && p.fileSize == e.fileSize);
            }
        }
        QVERIFY(readIndexFile(write(u"empty"_s, {}), "R/").packages.isEmpty());

        // Invalid bytes are found wherever they fall, also past the first piece and in the last one.
        for (const qsizetype at : {qsizetype(10), qsizetype(2 << 20), text.size() - 1}) {
            QByteArray bad = text;
            bad[at] = char(0xd5); // a lead byte without the byte it needs
            if (at + 1 < bad.size())
                bad[at + 1] = ' ';
            const IndexResult result = readIndexFile(write(u"gbk"_s, bad), "R/");
            QCOMPARE(result.error->kind, IndexError::Kind::NotUtf8);
            QVERIFY(result.packages.isEmpty());
        }

        QCOMPARE(readIndexFile(dir.filePath(u"missing"_s), "").error->kind, IndexError::Kind::Unreadable);
        QCOMPARE(readIndexFile(dir.path(), "").error->kind, IndexError::Kind::Unreadable);
        const QByteArray bomb = TestCompression::compress(Compression::Xz, QByteArray(2 << 20, ' '));
        QCOMPARE(readIndexFile(write(u"bomb.xz"_s, bomb), "", 1 << 20).error->kind, IndexError::Kind::TooLarge);
    }
};

QTEST_GUILESS_MAIN(TestPackagesParser)
#include "tst_packagesparser.moc"
