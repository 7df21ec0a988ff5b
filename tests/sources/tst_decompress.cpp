#include "compression.h"
#include "sources/decompress.h"
#include "sources/indexfile.h"
#include "sources/indextext.h"
#include "sources/packagesparser.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

std::string_view view(const QByteArray &bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

// Index-like text that does not compress to nothing; by default about 300 KB.
QByteArray sampleIndex(qsizetype bytes = 300'000, const QByteArray &eol = "\n")
{
    QByteArray text;
    for (int i = 0; text.size() < bytes; ++i)
        text += "Package: com.example.tool" + QByteArray::number(i * 7919 % 10007) + eol + "Version: 1." +
                QByteArray::number(i) + eol + "Description: وصف الأداة " + QByteArray::number(i * 31) + eol + "Size: " +
                QByteArray::number(i) + eol + eol;
    return text;
}

} // namespace

class TestDecompress : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formats_data()
    {
        QTest::addColumn<Compression>("format");
        QTest::newRow("zstd") << Compression::Zstd;
        QTest::newRow("xz") << Compression::Xz;
        QTest::newRow("bzip2") << Compression::Bzip2;
        QTest::newRow("gzip") << Compression::Gzip;
    }
    void formats()
    {
        QFETCH(Compression, format);
        const QByteArray text = sampleIndex();
        const QByteArray packed = TestCompression::compress(format, text);
        QCOMPARE(detectCompression(view(packed)), format);
        const Decompressed plain = decompress(view(packed), format, text.size());
        QCOMPARE(plain.status, Decompressed::Status::Ok);
        QCOMPARE(plain.data, text);
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

    // Decoded whatever its form; the text must be UTF-8 (the fetcher tests the other failures).
    void decodeIndex()
    {
        for (const char *text : {"Package: a\n", "BZh9 looks like bzip2\n", "", "\x1f"})
            QCOMPARE(detectCompression(text), Compression::None);
        const QByteArray text = sampleIndex();
        QCOMPARE(::decodeIndex(text).text, text);
        QCOMPARE(::decodeIndex(TestCompression::compress(Compression::Xz, text)).text, text);
        QCOMPARE(::decodeIndex("Package: \xed\xa0\x80\n"_ba).error->kind, IndexError::Kind::NotUtf8); // a surrogate
        QCOMPARE(::decodeIndex("Package: \xc0\xaf\n"_ba).error->kind, IndexError::Kind::NotUtf8);     // overlong "/"
    }

    // A file is read in pieces of one MiB.
    void indexFile()
    {
        QTemporaryDir dir;
        auto write = [&](const QString &name, const QByteArray &bytes) {
            QFile file(dir.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? file.fileName() : QString();
        };
        QByteArray text = sampleIndex(3 << 20, "\r\n");
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

QTEST_GUILESS_MAIN(TestDecompress)
#include "tst_decompress.moc"
