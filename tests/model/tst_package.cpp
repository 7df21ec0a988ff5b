#include "model/package.h"

#include <QTest>

class TestPackage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void simplifiedArchitecture_data()
    {
        QTest::addColumn<QString>("architecture");
        QTest::addColumn<QString>("simplified");
        QTest::newRow("arm64e wins over arm64") << "iphoneos-arm64e" << "arm64e";
        QTest::newRow("arm64") << "iphoneos-arm64" << "arm64";
        QTest::newRow("arm") << "iphoneos-arm" << "arm";
        QTest::newRow("armhf") << "armhf" << "arm";
        QTest::newRow("arm64e inside") << "xxarm64eyy" << "arm64e";
        QTest::newRow("no arm") << "all" << "all";
        QTest::newRow("no case folding") << "ARM64" << "ARM64";
        QTest::newRow("empty") << "" << "";
    }
    void simplifiedArchitecture()
    {
        QFETCH(QString, architecture);
        QFETCH(QString, simplified);
        Package p;
        p.architecture = architecture.toStdString();
        QCOMPARE(QString::fromStdString(std::string(p.simplifiedArchitecture())), simplified);
    }

    void shareUrlIsUnescapedConcatenation()
    {
        Package p;
        p.name = "com.example.tool";
        QCOMPARE(p.shareURL(), std::string("sileo://package/com.example.tool"));
        p.name = "a name with blanks";
        QCOMPARE(p.shareURL(), std::string("sileo://package/a name with blanks"));
    }

    void freshIdsAreRandomVersion4()
    {
        const Package a, b;
        QVERIFY(a.id != b.id);
        QCOMPARE(a.id.version(), QUuid::Random);
        QCOMPARE(a.id.variant(), QUuid::DCE);
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
