#include "fakeplatform.h"
#include "platform/desktopservices.h"
#include "records.h"
#include "screens/packagedetail/packagedetailviewmodel.h"
#include "model/sileoaddress.h"
#include "sources/packagesparser.h"
#include "sources/utf8.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

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
    // The screen shows the rest of the texts and drives the actions; here the description's
    // cut, and links that are no address: copied as they stand, never opened.
    void descriptionCutAndLinksThatAreNoAddress()
    {
        FakePlatform platform;
        PackageDetailViewModel model;
        model.setPackage(package("x", std::string(101, 'd')));
        QCOMPARE(model.shortDescription(), QString(100, u'd') + u"..."_s);
        model.setPackage(package("x", std::string(100, 'd')));
        QCOMPARE(model.shortDescription(), QString(100, u'd'));

        QSignalSpy missing(&model, &PackageDetailViewModel::sileoMissing);
        platform.handledSchemes.insert(u"sileo"_s);
        for (const char *address : {"", "https://exa mple.org/x.deb", "./debs/x.deb"}) {
            Package p = package("x");
            p.downloadURL = address;
            model.setPackage(p);
            model.download();
            model.copyDownloadLink();
            QCOMPARE(platform.copied.last(), QString::fromUtf8(address));
        }
        QVERIFY(platform.opened.isEmpty());
        QVERIFY(platform.asked.isEmpty());
        QCOMPARE(missing.size(), 0);
    }

    // Whatever a source lists as identifier is handed over, and shared, as itself: one path
    // segment that the receiver decodes back to the identifier, with no query or fragment.
    void handOverAddressCarriesTheIdentifierAsItIs()
    {
        QList<std::string> names{"com.a#frag", "com.a?x=1", "com.a%20b", "bad%zzescape", "../x", "a/b",
                                 "a name with blanks", "\"quoted\" 'single'", "x<y>", "تطبيق", "ü.ß", "a+b=c&d;e",
                                 "tab\tand\nline", ""};
        if (const QString dir = TestData::corpusReposDir(); !dir.isEmpty()) {
            for (const QString &source : QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                const QByteArray text = TestData::readFile(dir + u'/' + source + u"/Packages"_s);
                if (isValidUtf8(std::string_view(text.constData(), std::size_t(text.size()))))
                    for (const Package &p : parsePackages(std::string_view(text.constData(), std::size_t(text.size())), ""))
                        names << p.name;
            }
            QVERIFY(names.size() > 2000);
        }
        FakePlatform platform;
        platform.handledSchemes.insert(u"sileo"_s);
        PackageDetailViewModel model;
        for (const std::string &name : std::as_const(names)) {
            const QByteArray address = QByteArray::fromStdString(sileoAddress(name));
            const QUrl url(QString::fromLatin1(address), QUrl::StrictMode);
            QVERIFY2(url.isValid() && url.scheme() == u"sileo" && url.host() == u"package", address.constData());
            QVERIFY2(!url.hasQuery() && !url.hasFragment() && url.toEncoded() == address, address.constData());
            const QString path = url.path(QUrl::FullyEncoded);
            QVERIFY2(path.lastIndexOf(u'/') == 0, address.constData());
            QCOMPARE(QByteArray::fromPercentEncoding(path.mid(1).toLatin1()).toStdString(), name);

            model.setPackage(package(name));
            model.openInSileo();
            QCoreApplication::processEvents(); // the answer to "can open"
            QCOMPARE(platform.opened.last(), url);
            model.copyShareLink();
            QCOMPARE(platform.copied.last(), QString::fromLatin1(address));
        }
        QCOMPARE(platform.opened.size(), names.size());
    }

    void depictionOpensOnlyWebAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("opens");
        QTest::newRow("https") << u"https://example.org/p/"_s << true;
        QTest::newRow("http, upper-case scheme") << u"HTTP://example.org/p"_s << true;
        QTest::newRow("local file") << u"file:///etc/passwd"_s << false;
        QTest::newRow("relative") << u"depictions/p.html"_s << false;
        QTest::newRow("no host") << u"https:///p"_s << false;
        QTest::newRow("prose around an address") << u"see https://example.org/p"_s << false;
    }
    void depictionOpensOnlyWebAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, opens);
        FakePlatform platform;
        PackageDetailViewModel model;
        Package p = package("x");
        p.extras.set(Extra::DepictionURL, address.toStdString());
        model.setPackage(p);
        QCOMPARE(model.hasDepiction(), opens);
        // Nothing on the desktop opens web addresses: the screen is told which one failed.
        QSignalSpy failed(&model, &PackageDetailViewModel::openFailed);
        model.openDepiction();
        if (opens)
            QTRY_COMPARE(failed.size(), 1);
        QTest::qWait(10);
        QVERIFY(platform.opened.isEmpty());
        QCOMPARE(failed.size(), opens ? 1 : 0);
        platform.handledSchemes = {u"http"_s, u"https"_s};
        model.openDepiction();
        const QUrl expected(address.replace(u"HTTP"_s, u"http"_s));
        if (opens) {
            QCOMPARE(failed.at(0).at(0).toString(), expected.toString());
            QTRY_COMPARE(platform.opened, QList<QUrl>{expected});
        }
        QTest::qWait(10);
        QCOMPARE(platform.opened, opens ? QList<QUrl>{expected} : QList<QUrl>());
    }

    // An answer that arrives after the screen is gone is dropped.
    void answerAfterTheScreenIsGone()
    {
        FakePlatform platform;
        platform.holdAnswers = true;
        platform.handledSchemes.insert(u"sileo"_s);
        auto gone = std::make_unique<PackageDetailViewModel>();
        gone->setPackage(package("com.example.tool"));
        gone->openInSileo();
        gone.reset();
        platform.answerHeld();
        QCOMPARE(platform.asked.size(), 1);
        QVERIFY(platform.opened.isEmpty());
    }

    void desktopAsksXdgMimeWithoutWaiting()
    {
        PlatformServices *installed = PlatformServices::instance();
        QVERIFY(dynamic_cast<DesktopServices *>(installed));
        QObject context;
        const auto ask = [&context](DesktopServices &desktop, const QUrl &url) {
            std::optional<bool> answer;
            desktop.canOpenUrl(url, &context, [&answer](bool handled) { answer = handled; });
            // Never answered inside the call: the interface goes on meanwhile.
            if (answer)
                return std::optional<bool>();
            (void)QTest::qWaitFor([&answer] { return answer.has_value(); }, 10000);
            return answer;
        };
        {
            FakeXdgMime xdg("[ \"$3\" = x-scheme-handler/sileo ] && echo sileo.desktop\nexit 0\n");
            DesktopServices desktop;
            QCOMPARE(ask(desktop, QUrl(u"sileo://package/x"_s)), std::optional(true));
            QCOMPARE(ask(desktop, QUrl(u"sileo://package/y"_s)), std::optional(true)); // remembered
            QCOMPARE(ask(desktop, QUrl(u"cydia://package/x"_s)), std::optional(false));
            QCOMPARE(ask(desktop, QUrl()), std::optional(false));
        }
        // No xdg-mime at all, or one that fails.
        for (const QByteArray &script : {QByteArray(), QByteArray("echo sileo.desktop\nexit 3\n")}) {
            FakeXdgMime xdg(script);
            DesktopServices desktop;
            QCOMPARE(ask(desktop, QUrl(u"sileo://package/x"_s)), std::optional(false));
        }
        // A slow desktop: the call returns at once; every question asked meanwhile shares the
        // one answer.
        FakeXdgMime slow("/bin/sleep 1\necho sileo.desktop\n");
        DesktopServices desktop;
        QElapsedTimer clock;
        clock.start();
        int answers = 0;
        for (int i = 0; i < 3; ++i)
            desktop.canOpenUrl(QUrl(u"sileo://package/x"_s), &context, [&answers](bool handled) { answers += handled; });
        QVERIFY(clock.elapsed() < 500);
        QCOMPARE(answers, 0);
        QTRY_COMPARE_WITH_TIMEOUT(answers, 3, 10000);
        // The desktop's services return once a stand-in is gone.
        delete new FakePlatform;
        QCOMPARE(PlatformServices::instance(), installed);
    }
};

QTEST_GUILESS_MAIN(TestPackageDetailViewModel)
#include "tst_packagedetailviewmodel.moc"
