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
    // Whatever its format, a picture is stored as PNG under its whole address, and read from
    // there after a restart until the file no longer holds a picture.
    void downloadIsStoredAsPngAndFetchedAgainOnlyWhenTheFileIsBad()
    {
        const QByteArray body = TestData::picture("webp");
        QVERIFY2(!body.isEmpty(), "no encoder for the format");
        TempDataDir data;
        TestServer server;
        server.serve(u"r/a%2Fb.png"_s, body);
        server.serve(u"r/a/b.png"_s, body); // the server may decode it
        const QString url = server.url(u"r/a%2Fb.png"_s) + u"?f=webp&s=x/y"_s;

        ImageLoader loader;
        QVERIFY(loader.cached(url).isNull());
        QCOMPARE(fetchAndWait(loader, url).size(), QSize(40, 20));
        QCOMPARE(loader.cached(url).size(), QSize(40, 20)); // whether or not its file is written yet
        loader.waitForSaves();
        const QString name = QString(url).replace(u'/', u'_');
        QVERIFY2(TestData::readFile(data.filePath(name)).startsWith("\x89PNG\r\n\x1a\n"), qPrintable(name));
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
        QVERIFY(TestData::readFile(file.fileName()).startsWith("\x89PNG\r\n\x1a\n"));
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
        // Its start decodes, but the connection ends before all of it arrived.
        QTest::newRow("cut short") << 0 << TestData::picture("jpeg", {64, 64}) << 0 << false;
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
        QString url = server.url(u"p.png"_s);
        QTcpServer cutting;
        if (status == 0) {
            QVERIFY(cutting.listen(QHostAddress::LocalHost));
            connect(&cutting, &QTcpServer::newConnection, &cutting, [&cutting, &body] {
                QTcpSocket *socket = cutting.nextPendingConnection();
                connect(socket, &QTcpSocket::readyRead, socket, [socket, &body] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n"
                                  + body.chopped(40));
                    socket->disconnectFromHost();
                });
            });
            url = u"http://127.0.0.1:%1/cut.jpg"_s.arg(cutting.serverPort());
        }
        ImageLoader loader;
        if (maxBytes > 0)
            loader.setMaxBytes(maxBytes);
        QCOMPARE(!fetchAndWait(loader, url).isNull(), shown);
        loader.waitForSaves();
        QCOMPARE(QFile::exists(imageCacheFilePath(url)), shown);
        QVERIFY(!loader.isFetching(url));
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
    }

    // Saves run in the background, in order: the large picture takes longest to encode, and
    // the file still ends with the later one. One that cannot be written prints one line,
    // leaves no file and is no hit, so its next appearance downloads it again.
    void backgroundSaves()
    {
        TempDataDir data;
        const QString url = u"http://img.example/icon.png"_s;
        ImageLoader loader;
        loader.save(QImage::fromData(TestData::picture("png", {640, 640})), url);
        loader.save(QImage::fromData(TestData::picture("png", {8, 8})), url);
        QCOMPARE(loader.cached(url).size(), QSize(8, 8));
        loader.waitForSaves();
        QCOMPARE(loadImageLocally(url).size(), QSize(8, 8));
        QCOMPARE(loader.cached(url).size(), QSize(8, 8));

        const QString unwritable = url + QString(300, u'x');
        const QString line = QString::fromUtf8(captureStdout([&] {
            loader.save(QImage::fromData(TestData::picture()), unwritable);
            loader.waitForSaves();
        }));
        QVERIFY2(line.startsWith(u"فشل في حفظ الصورة: "_s) && line.count(u'\n') == 1 && line.endsWith(u'\n'), qPrintable(line));
        QCOMPARE(QDir(data.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);
        QVERIFY(loader.cached(unwritable).isNull());
    }

    // The picture frame of the screens, on the shared loader: the busy indicator, then the
    // picture scaled to fit or, when none came (not one, no valid address), the placeholder,
    // which stays while the next appearance tries again. Each frame takes only its own answer.
    void framesShowIndicatorThenPictureOrPlaceholder()
    {
        TempDataDir data;
        TestServer server;
        server.serve(u"wide.png"_s, TestData::picture("png", {40, 20}, Qt::red));
        server.serve(u"page.html"_s, "<html>Not found</html>", 404);
        server.setHolding(true);
        const QString wide = server.url(u"wide.png"_s), page = server.url(u"page.html"_s);

        QQuickView view;
        view.engine()->addImportPath(u"qrc:/"_s); // Qt 6.4 does not look there by itself
        view.setColor(Qt::white);
        view.resize(400, 100);
        QQmlComponent component(view.engine());
        QByteArray qml = "import Vexlo\nimport QtQuick\nItem {\n";
        for (int i = 0; const QString &url : {wide, page, u"icons/a.png"_s, PackageImage::address()})
            qml += "CachedAsyncImage { x: " + QByteArray::number(100 * i++) + "; width: 100; height: 100; url: \"" + url.toUtf8() + "\" }\n";
        component.setData(qml + '}', QUrl(u"qrc:/t/Scene.qml"_s));
        std::unique_ptr<QObject> root(component.create());
        QVERIFY2(root, qPrintable(component.errorString()));
        qobject_cast<QQuickItem *>(root.get())->setParentItem(view.contentItem());
        const QList<QQuickItem *> frames = qobject_cast<QQuickItem *>(root.get())->childItems();
        const auto shown = [&frames] {
            QStringList states;
            for (QQuickItem *frame : frames) {
                QStringList parts(frame->findChild<CachedImageItem *>()->hasImage() ? 1 : 0, u"picture"_s);
                for (QQuickItem *child : frame->findChildren<QQuickItem *>()) {
                    if (child->isVisible() && child->inherits("QQuickBusyIndicator"))
                        parts << u"indicator"_s;
                    if (child->isVisible() && child->objectName() == u"picturePlaceholder")
                        parts << u"placeholder"_s;
                }
                states << parts.join(u' ');
            }
            return states;
        };
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(shown().mid(0, 3), (QStringList{u"indicator"_s, u"indicator"_s, u"placeholder"_s}));
        QVERIFY(server.waitForRequests(2));
        server.release();
        // The package picture is bundled: it needs no network.
        QTRY_COMPARE_WITH_TIMEOUT(shown(), (QStringList{u"picture"_s, u"placeholder"_s, u"placeholder"_s, u"picture"_s}), 10'000);
        QCOMPARE(server.totalRequests(), 2);
        ImageLoader::instance()->waitForSaves();
        QVERIFY(!QFile::exists(imageCacheFilePath(page)) && QFile::exists(imageCacheFilePath(PackageImage::address())));

        // Scaled to fit with its aspect kept: a full-width band across the middle.
        QCOMPARE(frames[0]->findChild<CachedImageItem *>()->pictureRect(), QRectF(0, 25, 100, 50));
        QImage shot;
        QTRY_COMPARE((shot = view.grabWindow()).pixelColor(50, 50), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(2, 30), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(50, 20), QColor(Qt::white));

        // The next appearance tries again; the placeholder stands until a picture comes. One
        // that has its picture reads it again, from memory or the file.
        server.setHolding(false);
        server.serve(u"page.html"_s, TestData::picture("png", {8, 8}, Qt::blue));
        for (QQuickItem *frame : frames) {
            frame->setVisible(false);
            frame->setVisible(true);
        }
        QCOMPARE(shown()[1], u"placeholder"_s);
        QTRY_COMPARE_WITH_TIMEOUT(shown()[1], u"picture"_s, 10'000);
        CachedImageItem another;
        another.setUrl(wide);
        QVERIFY(another.hasImage());
        QCOMPARE(server.totalRequests(), 3);

        // Gone before its download ends: the file is still written.
        ImageLoader::instance()->waitForSaves();
        QVERIFY(QFile::remove(imageCacheFilePath(wide)));
        server.setHolding(true);
        auto gone = std::make_unique<CachedImageItem>();
        gone->setUrl(wide);
        QVERIFY(server.waitForRequests(4));
        gone.reset();
        server.release();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(imageCacheFilePath(wide)), 10'000);
    }
};

QTEST_MAIN(TestImageCache)
#include "tst_imagecache.moc"
