#include "compression.h"
#include "sources/indexfile.h"
#include "sources/packagesparser.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A few megabytes: the file is read in pieces of one MiB.
QByteArray largeIndex()
{
    QByteArray text;
    for (int i = 0; text.size() < (3 << 20); ++i)
        text += "Package: p" + QByteArray::number(i) + "\r\nDescription: طرد رقم " + QByteArray::number(i) +
                "\r\nSize: " + QByteArray::number(i) + "\r\n\r\n";
    return text;
}

} // namespace

class TestIndexFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }

    void plainAndCompressed()
    {
        QByteArray text = largeIndex();
        text += "Package: long\nDescription: " + QByteArray(3 << 20, 'x') + "\nSize: 9"; // longer than a piece
        const PackageList expected = parsePackages({text.constData(), std::size_t(text.size())}, "R/");
        for (Compression format : {Compression::None, Compression::Zstd, Compression::Gzip}) {
            const IndexResult result = readIndexFile(write(u"Packages"_s, TestCompression::compress(format, text)), "R/");
            QVERIFY(result.ok());
            QCOMPARE(result.packages.size(), expected.size());
            for (qsizetype i = 0; i < expected.size(); ++i) {
                QCOMPARE(result.packages[i].name, expected[i].name);
                QCOMPARE(result.packages[i].description, expected[i].description);
                QCOMPARE(result.packages[i].fileSize, expected[i].fileSize);
            }
            QCOMPARE(result.packages.last().fileSize, 9);
        }
        QVERIFY(readIndexFile(write(u"empty"_s, {}), "R/").packages.isEmpty());
    }

    // Invalid bytes are found wherever they fall, also past the first piece and in the last one.
    void notUtf8_data()
    {
        QTest::addColumn<qsizetype>("at");
        QTest::newRow("first piece") << qsizetype(10);
        QTest::newRow("later piece") << qsizetype(2 << 20);
        QTest::newRow("last bytes") << qsizetype(-1);
    }
    void notUtf8()
    {
        QFETCH(qsizetype, at);
        QByteArray text = largeIndex();
        if (at < 0)
            text += "Package: \xd5";
        else
            text[at] = char(0xd5);
        const IndexResult result = readIndexFile(write(u"gbk"_s, text), "R/");
        QCOMPARE(result.error->kind, IndexError::Kind::NotUtf8);
        QVERIFY(result.packages.isEmpty());
    }

    void unreadable()
    {
        QCOMPARE(readIndexFile(m_dir.filePath(u"missing"_s), "").error->kind, IndexError::Kind::Unreadable);
        QCOMPARE(readIndexFile(m_dir.path(), "").error->kind, IndexError::Kind::Unreadable);
        const QByteArray bomb = TestCompression::compress(Compression::Xz, QByteArray(2 << 20, ' '));
        QCOMPARE(readIndexFile(write(u"bomb.xz"_s, bomb), "", 1 << 20).error->kind, IndexError::Kind::TooLarge);
    }

private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return {};
        return file.fileName();
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestIndexFile)
#include "tst_indexfile.moc"
