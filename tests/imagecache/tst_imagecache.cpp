#include "imagecache/cachedimageitem.h"
#include "imagecache/imageloader.h"
#include "imagecache/localimage.h"
#include "model/packageimage.h"

#include "testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickView>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

using namespace Qt::StringLiterals;

namespace {

bool isPngFile(const QString &path)
{
    return TestData::readFile(path).startsWith("\x89PNG\r\n\x1a\n");
}

// Starts the download and waits for its end; the picture it brought, if any.
QImage fetchAndWait(ImageLoader &loader, const QString &url)
{
    QSignalSpy spy(&loader, &ImageLoader::fetched);
    if (!loader.fetch(url) || !spy.wait(10'000))
        return {};
    return spy.constLast().at(1).value<QImage>();
}

QByteArray captureStdout(const std::function<void()> &call)
{
    QTemporaryFile sink;
    if (!sink.open())
        return {};
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    dup2(sink.handle(), STDOUT_FILENO);
    call();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    sink.seek(0);
    return sink.readAll();
}

} // namespace

class TestImageCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void downloadIsStoredAsPngAndFetchedAgainOnlyWhenTheFileIsBad_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("query");
        QTest::newRow("png") << QByteArray("png") << u"repo/CydiaIcon.png"_s << QString();
        QTest::newRow("jpeg under .png") << QByteArray("jpeg") << u"CydiaIcon.png"_s << QString();
        QTest::newRow("webp, query and %2F kept") << QByteArray("webp") << u"r/a%2Fb.png"_s << u"?f=webp&s=x/y"_s;
    }
    void downloadIsStoredAsPngAndFetchedAgainOnlyWhenTheFileIsBad()
    {
        QFETCH(QByteArray, format);
        QFETCH(QString, path);
        QFETCH(QString, query);
        const QByteArray body = TestData::picture(format.constData());
        QVERIFY2(!body.isEmpty(), "no encoder for the format");
        TempDataDir data;
        TestServer server;
        server.serve(path, body);
        server.serve(QUrl::fromPercentEncoding(path.toUtf8()), body); // the server may decode it
        const QString url = server.url(path) + query;

        ImageLoader loader;
        QVERIFY(loader.cached(url).isNull());
        QCOMPARE(fetchAndWait(loader, url).size(), QSize(40, 20));
        // A second appearance finds the picture, whether or not its file is written yet.
        QCOMPARE(loader.cached(url).size(), QSize(40, 20));
        loader.waitForSaves();
        QString name = url;
        QVERIFY2(isPngFile(data.filePath(name.replace(u'/', u'_'))), qPrintable(name));

        // So does one after a restart, from the file.
        QCOMPARE(loader.cached(url).size(), QSize(40, 20));
        ImageLoader restarted;
        QCOMPARE(restarted.cached(url).size(), QSize(40, 20));
        QCOMPARE(server.totalRequests(), 1);

        // A file that no longer holds a picture is no hit: the picture is downloaded again. Of
        // the picture's size, so that only the file's time tells that it changed.
        QFile file(data.filePath(name));
        QByteArray page = "<html>not a picture</html>";
        page.resize(file.size(), ' ');
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(page) == page.size() && file.flush());
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(restarted.cached(url).isNull());
        QVERIFY(!fetchAndWait(restarted, url).isNull());
        restarted.waitForSaves();
        QVERIFY(isPngFile(file.fileName()));
        QCOMPARE(server.totalRequests(), 2);
    }

    void onlyAPictureIsShownAndCached_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("maxBytes"); // 0: the default limit
        QTest::addColumn<bool>("shown");
        const QByteArray png = TestData::picture("png", {300, 300});
        QTest::newRow("error page") << 404 << QByteArray("<html>Not Found</html>") << 0 << false;
        QTest::newRow("picture served as 404") << 404 << png << 0 << true;
        QTest::newRow("at the size limit") << 200 << png << int(png.size()) << true;
        QTest::newRow("one byte over") << 200 << png << int(png.size() - 1) << false;
    }
    void onlyAPictureIsShownAndCached()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, maxBytes);
        QFETCH(bool, shown);
        TempDataDir data;
        TestServer server;
        server.serve(u"p.png"_s, {status, body, "text/html"});
        const QString url = server.url(u"p.png"_s);
        ImageLoader loader;
        if (maxBytes > 0)
            loader.setMaxBytes(maxBytes);
        QCOMPARE(!fetchAndWait(loader, url).isNull(), shown);
        loader.waitForSaves();
        QCOMPARE(QFile::exists(imageCacheFilePath(url)), shown);
        QVERIFY(!loader.isFetching(url));
    }

    // A picture whose connection ends before all of it arrived is none, though its start decodes.
    void pictureCutShortIsNeitherShownNorCached()
    {
        TempDataDir data;
        const QByteArray jpeg = TestData::picture("jpeg", {64, 64});
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        connect(&server, &QTcpServer::newConnection, &server, [&server, &jpeg] {
            QTcpSocket *socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [socket, &jpeg] {
                if (!socket->readAll().contains("\r\n\r\n"))
                    return;
                socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(jpeg.size()) + "\r\n\r\n"
                              + jpeg.chopped(40));
                socket->disconnectFromHost();
            });
        });
        const QString url = u"http://127.0.0.1:%1/cut.jpg"_s.arg(server.serverPort());
        ImageLoader loader;
        QVERIFY(fetchAndWait(loader, url).isNull());
        loader.waitForSaves();
        QVERIFY(!QFile::exists(imageCacheFilePath(url)));
    }

    void oneDownloadPerAddressAndNoneWithoutAValidOne()
    {
        TempDataDir data;
        TestServer server;
        server.serve(u"shared.png"_s, TestData::picture());
        server.setHolding(true);
        const QString url = server.url(u"shared.png"_s);
        ImageLoader loader;
        for (const QString &text : {QString(), u"CydiaIcon.png"_s, u"http://exa mple.com/x.png"_s})
            QVERIFY2(!loader.fetch(text), qPrintable(text));

        QSignalSpy spy(&loader, &ImageLoader::fetched);
        for (int i = 0; i < 5; ++i)
            QVERIFY(loader.fetch(url));
        QVERIFY(server.waitForRequests(1));
        QTest::qWait(50);
        QCOMPARE(server.totalRequests(), 1);
        server.release();
        QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 1, 10'000);
        loader.waitForSaves();
        QVERIFY(isPngFile(imageCacheFilePath(url)));
    }

    void backgroundSavesKeepTheirOrder()
    {
        TempDataDir data;
        const QString url = u"http://img.example/icon.png"_s;
        ImageLoader loader;
        // The large picture takes longest to encode; the file still ends with the later one.
        loader.save(QImage::fromData(TestData::picture("png", {640, 640})), url);
        loader.save(QImage::fromData(TestData::picture("png", {8, 8})), url);
        QCOMPARE(loader.cached(url).size(), QSize(8, 8));
        loader.waitForSaves();
        QCOMPARE(loadImageLocally(url).size(), QSize(8, 8));
        QCOMPARE(loader.cached(url).size(), QSize(8, 8));
    }

    // A picture that cannot be written prints one line, leaves no file and is downloaded
    // again on its next appearance.
    void failedSavePrintsOneLineAndIsDownloadedAgain()
    {
        TempDataDir data;
        TestServer server;
        const QString path = QString(300, u'x') + u".png"_s;
        server.serve(path, TestData::picture());
        const QString url = server.url(path);
        ImageLoader loader;
        const QString line = QString::fromUtf8(captureStdout([&] {
            QVERIFY(!fetchAndWait(loader, url).isNull());
            loader.waitForSaves();
        }));
        QVERIFY2(line.startsWith(u"فشل في حفظ الصورة: "_s) && line.count(u'\n') == 1 && line.endsWith(u'\n'), qPrintable(line));
        QCOMPARE(QDir(data.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        QVERIFY(loader.cached(url).isNull());
        captureStdout([&] {
            QVERIFY(!fetchAndWait(loader, url).isNull());
            loader.waitForSaves();
        });
        QCOMPARE(server.requestCount(path), 2);
    }

    // The picture item of the screens, on the shared loader.
    void everyAppearanceReadsTheFileElseDownloads()
    {
        TempDataDir data;
        TestServer server;
        server.serve(u"icon.png"_s, TestData::picture("png", {8, 8}, Qt::blue));
        const QString url = server.url(u"icon.png"_s);

        CachedImageItem item;
        item.setUrl(url);
        // Another picture waiting at the same time gets only its own answer.
        CachedImageItem waiting;
        waiting.setUrl(server.url(u"missing.png"_s));
        QTRY_VERIFY_WITH_TIMEOUT(item.hasImage() && waiting.failed(), 10'000);
        QVERIFY(!waiting.hasImage());
        item.setVisible(false);
        item.setVisible(true);
        CachedImageItem another;
        another.setUrl(url);
        QVERIFY(another.hasImage());
        QCOMPARE(server.totalRequests(), 2);

        ImageLoader::instance()->waitForSaves();
        QVERIFY(QFile::remove(imageCacheFilePath(url)));
        // Gone before its download ends: the file is still written.
        server.setHolding(true);
        auto gone = std::make_unique<CachedImageItem>();
        gone->setUrl(url);
        QVERIFY(server.waitForRequests(3));
        gone.reset();
        server.release();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(imageCacheFilePath(url)), 10'000);
    }

    // Served: the busy indicator, then the picture. No picture (not one, no valid address):
    // the placeholder, which stays while the next appearance tries again.
    void showsIndicatorThenPictureOrPlaceholder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("downloads");
        QTest::newRow("served") << u"wide.png"_s << true;
        QTest::newRow("not a picture") << u"page.html"_s << true;
        QTest::newRow("empty address") << QString() << false;
        QTest::newRow("relative address") << u"icons/a.png"_s << false;
    }
    void showsIndicatorThenPictureOrPlaceholder()
    {
        QFETCH(QString, path);
        QFETCH(bool, downloads);
        TempDataDir data;
        TestServer server;
        server.serve(u"wide.png"_s, TestData::picture("png", {40, 20}, Qt::red));
        server.serve(u"page.html"_s, "<html>Not found</html>", 404);
        server.setHolding(true);

        QQuickView view;
        // Qt 6.4 does not look for modules in the resources' root by itself.
        view.engine()->addImportPath(u"qrc:/"_s);
        view.setColor(Qt::white);
        view.resize(100, 100);
        QQmlComponent component(view.engine());
        component.setData("import Vexlo\nCachedAsyncImage { width: 100; height: 100 }", QUrl(u"qrc:/t/Scene.qml"_s));
        QVERIFY2(component.isReady(), qPrintable(component.errorString()));
        const QString url = downloads ? server.url(path) : path;
        std::unique_ptr<QObject> root(component.createWithInitialProperties({{u"url"_s, url}}));
        auto *rootItem = qobject_cast<QQuickItem *>(root.get());
        rootItem->setParentItem(view.contentItem());
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        auto *picture = root->findChild<CachedImageItem *>();
        auto *placeholder = root->findChild<QQuickItem *>(u"picturePlaceholder"_s);
        QQuickItem *indicator = nullptr;
        for (QQuickItem *child : root->findChildren<QQuickItem *>())
            indicator = child->inherits("QQuickBusyIndicator") ? child : indicator;
        QVERIFY(picture && indicator && placeholder);
        QVERIFY(!picture->hasImage());
        if (!downloads) {
            // Nothing to wait for: the placeholder at once, and no request.
            QVERIFY(placeholder->isVisible() && !indicator->isVisible());
            QTest::qWait(100);
            QCOMPARE(server.totalRequests(), 0);
            return;
        }
        QVERIFY(indicator->isVisible() && !placeholder->isVisible());
        QVERIFY(server.waitForRequests(1));
        server.release();

        if (path == u"page.html") {
            QTRY_VERIFY_WITH_TIMEOUT(placeholder->isVisible(), 10'000);
            QVERIFY(!indicator->isVisible() && !picture->hasImage());
            QVERIFY(!QFile::exists(imageCacheFilePath(url)));
            // The next appearance tries again; the placeholder stands until a picture comes.
            server.setHolding(false);
            server.serve(path, TestData::picture("png", {8, 8}, Qt::blue));
            rootItem->setVisible(false);
            rootItem->setVisible(true);
            QVERIFY(placeholder->isVisible() && !indicator->isVisible());
            QTRY_VERIFY_WITH_TIMEOUT(picture->hasImage(), 10'000);
            QCOMPARE(server.requestCount(path), 2);
            QVERIFY(!placeholder->isVisible() && !indicator->isVisible());
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(picture->hasImage(), 10'000);
        QVERIFY(!indicator->isVisible() && !placeholder->isVisible());

        // Scaled to fit with its aspect kept: a full-width band across the middle.
        QCOMPARE(picture->pictureRect(), QRectF(0, 25, 100, 50));
        QImage shot;
        QTRY_COMPARE((shot = view.grabWindow()).pixelColor(50, 50), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(2, 30), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(50, 20), QColor(Qt::white));
    }

    // The package picture is the bundled icon: it shows with no network at all and is cached
    // like any downloaded picture.
    void bundledPackagePictureNeedsNoNetwork()
    {
        TempDataDir data;
        CachedImageItem item;
        item.setUrl(PackageImage::address());
        QTRY_VERIFY_WITH_TIMEOUT(item.hasImage(), 10'000);
        QVERIFY(!item.failed());
        QVERIFY(item.image().width() >= 150 && item.image().width() == item.image().height());
        ImageLoader::instance()->waitForSaves();
        QVERIFY(!loadImageLocally(PackageImage::address()).isNull());
    }
};

QTEST_MAIN(TestImageCache)
#include "tst_imagecache.moc"
