#include "imagecache/imageloader.h"
#include "imagecache/localimage.h"

#include "testsupport.h"

#include <QDir>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QTest>

#include <cstdio>
#include <functional>
#include <unistd.h>

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
    void fileNameAndContent()
    {
        TempDataDir data;
        const QString url = u"http://img.example/r?u=http%3A%2F%2Fx%2Fy.jpg&p=a/b"_s;
        QCOMPARE(imageCacheFilePath(url), data.filePath(u"http:__img.example_r?u=http%3A%2F%2Fx%2Fy.jpg&p=a_b"_s));
        QVERIFY(loadImageLocally(url).isNull());
        QVERIFY(!saveImageLocally(QImage::fromData(TestData::picture("jpeg")), url).isEmpty());
        QVERIFY(isPngFile(imageCacheFilePath(url)));
        QCOMPARE(loadImageLocally(url).size(), QSize(40, 20));
        QVERIFY(loadImageLocally(QString()).isNull());
    }

    void downloadIsStoredAsPngAndNeverFetchedAgain_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("query");
        QTest::newRow("png") << QByteArray("png") << u"repo/CydiaIcon.png"_s << QString();
        QTest::newRow("jpeg under .jpg") << QByteArray("jpeg") << u"photo.jpg"_s << QString();
        QTest::newRow("webp, query and %2F kept") << QByteArray("webp") << u"r/a%2Fb.png"_s << u"?f=webp&s=x/y"_s;
    }
    void downloadIsStoredAsPngAndNeverFetchedAgain()
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
    }

    void realSourceIconsAreShownAndStored()
    {
        REQUIRE_CORPUS(repos);
        TempDataDir data;
        TestServer server;
        ImageLoader loader;
        // Many are JPEG under the name CydiaIcon.png.
        for (const QString &dir : QDir(repos).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QString path = dir + u"/CydiaIcon.png"_s;
            if (!server.serveFile(path, QDir(repos).filePath(path)))
                continue;
            QVERIFY2(!fetchAndWait(loader, server.url(path)).isNull(), qPrintable(dir));
            loader.waitForSaves();
            QVERIFY2(isPngFile(imageCacheFilePath(server.url(path))), qPrintable(dir));
        }
    }

    void corruptOrDeletedFileIsDownloadedAgain()
    {
        TempDataDir data;
        TestServer server;
        server.serve(u"icon.png"_s, TestData::picture());
        const QString url = server.url(u"icon.png"_s);
        ImageLoader loader;
        QVERIFY(!fetchAndWait(loader, url).isNull());
        loader.waitForSaves();
        QVERIFY(!loader.cached(url).isNull());

        // Of the picture's size: only the file's time tells that it changed.
        QFile file(imageCacheFilePath(url));
        QByteArray page = "<html>not a picture</html>";
        page.resize(file.size(), ' ');
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(page);
        QVERIFY(file.flush());
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(loader.cached(url).isNull());
        QVERIFY(!fetchAndWait(loader, url).isNull());
        loader.waitForSaves();

        QVERIFY(QFile::remove(file.fileName()));
        QVERIFY(loader.cached(url).isNull());
        QVERIFY(!fetchAndWait(loader, url).isNull());
        loader.waitForSaves();
        QVERIFY(isPngFile(file.fileName()));
        QCOMPARE(server.requestCount(u"icon.png"_s), 3);
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
        QImage first(640, 640, QImage::Format_RGB32);
        first.fill(Qt::red);
        QImage second(8, 8, QImage::Format_RGB32);
        second.fill(Qt::blue);
        // The large picture takes longest to encode; the file still ends with the later one.
        loader.save(first, url);
        loader.save(second, url);
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
};

QTEST_GUILESS_MAIN(TestImageCache)
#include "tst_imagecache.moc"
