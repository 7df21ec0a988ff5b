#include "fakeplatform.h"
#include "platform/desktopservices.h"
#include "screens/packagedetailviewmodel.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

Package sample()
{
    Package p;
    p.name = "com.example.tool";
    p.description = "Does things";
    p.version = "1.2-3";
    p.downloadURL = "https://example.org/debs/tool_1.2-3.deb";
    p.architecture = "iphoneos-arm64e";
    p.fileSize = 1536;
    return p;
}

// Puts a stand-in xdg-mime first on PATH for the lifetime of the object.
class FakeXdgMime
{
public:
    explicit FakeXdgMime(const QByteArray &script)
        : m_oldPath(qgetenv("PATH"))
    {
        QFile file(m_dir.filePath(u"xdg-mime"_s));
        if (!script.isEmpty() && file.open(QIODevice::WriteOnly)) {
            file.write("#!/bin/sh\n" + script);
            file.close();
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", m_dir.path().toUtf8());
    }
    ~FakeXdgMime() { qputenv("PATH", m_oldPath); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldPath;
};

} // namespace

class TestPackageDetailViewModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void texts()
    {
        PackageDetailViewModel model;
        Package p = sample();
        p.name = "com.example.a-name-longer-than-twenty";
        p.description = std::string(101, 'd');
        model.setPackage(p);
        QCOMPARE(model.title(), u"com.example.a-name-longer-than-twenty"_s);
        QCOMPARE(model.shortName(), u"com.example.a-name-l..."_s);
        QCOMPARE(model.shortDescription(), QString(100, u'd') + u"..."_s);
        QCOMPARE(model.sizeText(), u"1.5 ك.ب"_s);
        QCOMPARE(model.architecture(), u"arm64e"_s);
        QVERIFY(!model.hasRating());
        QCOMPARE(model.starCount(), 0);
        p.ratings = 4.95;
        model.setPackage(p);
        QVERIFY(model.hasRating());
        QCOMPARE(model.ratingText(), u"5.0"_s);
        QCOMPARE(model.starCount(), 4);
    }

    void buttonsOpenAndCopyExactly()
    {
        FakePlatform platform;
        PackageDetailViewModel model;
        model.setRecord(QVariant::fromValue(sample()));
        model.download();
        model.copyDownloadLink();
        model.copyDownloadLink();
        model.copyShareLink();
        QCOMPARE(platform.opened, QList<QUrl>{QUrl(u"https://example.org/debs/tool_1.2-3.deb"_s)});
        QCOMPARE(platform.copied, (QStringList{u"https://example.org/debs/tool_1.2-3.deb"_s,
                                               u"https://example.org/debs/tool_1.2-3.deb"_s,
                                               u"sileo://package/com.example.tool"_s}));
    }

    void downloadAddressThatIsNoAddress()
    {
        FakePlatform platform;
        PackageDetailViewModel model;
        for (const char *address : {"", "https://exa mple.org/x.deb", "http://[::1", "./debs/x.deb"}) {
            Package p = sample();
            p.downloadURL = address;
            model.setPackage(p);
            model.download();
            model.copyDownloadLink();
            QCOMPARE(platform.copied.last(), QString::fromUtf8(address));
        }
        QVERIFY(platform.opened.isEmpty());
    }

    void handOverToSileo()
    {
        FakePlatform platform;
        PackageDetailViewModel model;
        model.setPackage(sample());
        QSignalSpy missing(&model, &PackageDetailViewModel::sileoMissing);
        const QUrl address(u"sileo://package/com.example.tool"_s);

        model.openInSileo();
        QCOMPARE(platform.asked, QList<QUrl>{address});
        QVERIFY(platform.opened.isEmpty());
        QCOMPARE(missing.size(), 1);

        platform.handledSchemes.insert(u"sileo"_s);
        model.openInSileo();
        QCOMPARE(platform.opened, QList<QUrl>{address});
        QCOMPARE(missing.size(), 1);
    }

    void handOverThatCannotFormAnAddressDoesNothing()
    {
        FakePlatform platform;
        platform.handledSchemes.insert(u"sileo"_s);
        PackageDetailViewModel model;
        QSignalSpy missing(&model, &PackageDetailViewModel::sileoMissing);
        for (const char *name : {"a name with blanks", "bad%zzescape", "x<y>"}) {
            Package p = sample();
            p.name = name;
            model.setPackage(p);
            model.openInSileo();
            model.copyShareLink();
            QCOMPARE(platform.copied.last(), u"sileo://package/"_s + QString::fromUtf8(name));
        }
        QVERIFY(platform.asked.isEmpty());
        QVERIFY(platform.opened.isEmpty());
        QCOMPARE(missing.size(), 0);
    }

    void desktopAsksXdgMimeForTheScheme()
    {
        {
            FakeXdgMime xdg("[ \"$3\" = x-scheme-handler/sileo ] && echo sileo.desktop\nexit 0\n");
            DesktopServices desktop;
            QVERIFY(desktop.canOpenUrl(QUrl(u"sileo://package/x"_s)));
            QVERIFY(!desktop.canOpenUrl(QUrl(u"cydia://package/x"_s)));
            QVERIFY(!desktop.canOpenUrl(QUrl()));
        }
        {
            FakeXdgMime none(QByteArray{}); // no xdg-mime at all
            DesktopServices desktop;
            QVERIFY(!desktop.canOpenUrl(QUrl(u"sileo://package/x"_s)));
        }
        {
            FakeXdgMime failing("echo sileo.desktop\nexit 3\n");
            DesktopServices desktop;
            QVERIFY(!desktop.canOpenUrl(QUrl(u"sileo://package/x"_s)));
        }
    }

    void defaultServicesAreTheDesktops()
    {
        PlatformServices *desktop = PlatformServices::instance();
        QVERIFY(dynamic_cast<DesktopServices *>(desktop));
        {
            FakePlatform platform;
            QCOMPARE(PlatformServices::instance(), &platform);
        }
        QCOMPARE(PlatformServices::instance(), desktop);
    }
};

QTEST_GUILESS_MAIN(TestPackageDetailViewModel)
#include "tst_packagedetailviewmodel.moc"
