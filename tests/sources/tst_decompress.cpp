#include "compression.h"
#include "sources/decompress.h"
#include "sources/indextext.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

std::string_view view(const QByteArray &bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

// About 300 KB of index-like text that does not compress to nothing.
QByteArray sampleIndex()
{
    QByteArray text;
    for (int i = 0; i < 3000; ++i)
        text += "Package: com.example.tool" + QByteArray::number(i * 7919 % 10007) + "\nVersion: 1." +
                QByteArray::number(i) + "\nDescription: وصف الأداة " + QByteArray::number(i * 31) + "\n\n";
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

    void roundTrip_data() { formats_data(); }
    void roundTrip()
    {
        QFETCH(Compression, format);
        const QByteArray text = sampleIndex();
        const QByteArray packed = TestCompression::compress(format, text);
        QVERIFY(!packed.isEmpty());
        QCOMPARE(detectCompression(view(packed)), format);
        const Decompressed plain = decompress(view(packed), format, 1 << 20);
        QCOMPARE(plain.status, Decompressed::Status::Ok);
        QCOMPARE(plain.data, text);

        // Publishers' tools may write several streams back to back.
        const QByteArray twice = packed + TestCompression::compress(format, "Package: last\n");
        QCOMPARE(decompress(view(twice), format, 1 << 20).data, text + "Package: last\n");
    }

    void exactLimitPassesOneByteMoreFails_data() { formats_data(); }
    void exactLimitPassesOneByteMoreFails()
    {
        QFETCH(Compression, format);
        const QByteArray text = sampleIndex();
        const QByteArray packed = TestCompression::compress(format, text);
        QCOMPARE(decompress(view(packed), format, text.size()).status, Decompressed::Status::Ok);
        const Decompressed over = decompress(view(packed), format, text.size() - 1);
        QCOMPARE(over.status, Decompressed::Status::TooLarge);
        QVERIFY(over.data.isEmpty());

        // Limits below the decoder's first allocation.
        const QByteArray small = TestCompression::compress(format, "Package: a\n");
        QCOMPARE(decompress(view(small), format, 11).data, "Package: a\n"_ba);
        QCOMPARE(decompress(view(small), format, 10).status, Decompressed::Status::TooLarge);
        QCOMPARE(decompress(view(packed), format, 0).status, Decompressed::Status::TooLarge);
    }

    // 24 MiB of zeros packs into a few kilobytes; decoding stops at the limit.
    void bomb_data() { formats_data(); }
    void bomb()
    {
        QFETCH(Compression, format);
        const QByteArray packed = TestCompression::compress(format, QByteArray(24 << 20, '\0'));
        QVERIFY(packed.size() < (64 << 10));
        const Decompressed result = decompress(view(packed), format, 2 << 20);
        QCOMPARE(result.status, Decompressed::Status::TooLarge);
        QVERIFY(result.data.isEmpty());
    }

    void damage_data()
    {
        QTest::addColumn<Compression>("format");
        QTest::addColumn<QString>("damage");
        for (const auto &[name, format] : {std::pair{"zstd", Compression::Zstd}, {"xz", Compression::Xz},
                                           {"bzip2", Compression::Bzip2}, {"gzip", Compression::Gzip}}) {
            for (const QString &damage : {u"truncated"_s, u"flipped"_s, u"trailing"_s, u"header only"_s})
                QTest::addRow("%s %s", name, qPrintable(damage)) << format << damage;
        }
    }
    void damage()
    {
        QFETCH(Compression, format);
        QFETCH(QString, damage);
        QByteArray packed = TestCompression::compress(format, sampleIndex());
        if (damage == u"truncated")
            packed.chop(packed.size() / 3);
        else if (damage == u"flipped")
            for (qsizetype i = packed.size() / 2; i < packed.size() / 2 + 64; ++i)
                packed[i] = char(packed[i] ^ 0x5A);
        else if (damage == u"trailing")
            packed += "garbage";
        else
            packed.truncate(format == Compression::Bzip2 ? 10 : 6);
        const Decompressed result = decompress(view(packed), format, 8 << 20);
        QCOMPARE(result.status, Decompressed::Status::Corrupt);
        QVERIFY(!result.detail.isEmpty());
    }

    void zeroPaddingAfterTheStreamIsAccepted()
    {
        const QByteArray text = sampleIndex();
        for (Compression format : {Compression::Gzip, Compression::Bzip2, Compression::Xz}) {
            const QByteArray padded = TestCompression::compress(format, text) + QByteArray(8, '\0');
            QCOMPARE(decompress(view(padded), format, 1 << 20).data, text);
        }
    }

    void plainTextIsNotMistakenForCompressed()
    {
        for (const char *text : {"Package: a\n", "BZh9 looks like bzip2\n", "", "\x1f"})
            QCOMPARE(detectCompression(text), Compression::None);
    }

    // Decoded whatever its form; the text must be UTF-8 (the fetcher tests the other failures).
    void decodeIndex()
    {
        const QByteArray text = sampleIndex();
        QCOMPARE(::decodeIndex(text).text, text);
        QCOMPARE(::decodeIndex(TestCompression::compress(Compression::Xz, text)).text, text);
        QCOMPARE(::decodeIndex("Package: \xed\xa0\x80\n"_ba).error->kind, IndexError::Kind::NotUtf8); // a surrogate
        QCOMPARE(::decodeIndex("Package: \xc0\xaf\n"_ba).error->kind, IndexError::Kind::NotUtf8);     // overlong "/"
    }
};

QTEST_GUILESS_MAIN(TestDecompress)
#include "tst_decompress.moc"
