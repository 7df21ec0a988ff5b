#include "imagecache/cachebound.h"
#include "imagecache/cachedimageitem.h"
#include "imagecache/imageloader.h"
#include "imagecache/localimage.h"
#include "model/packageimage.h"
#include "sources/indexfetcher.h"

#include "testsupport.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickView>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QtEndian>
#include <QtQml/QQmlExtensionPlugin>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

using namespace Qt::StringLiterals;

namespace {

// Asks for the picture at `box` and waits for the answer; the picture, or a null image.
QImage load(ImageLoader &loader, const QString &url, QSize box = {100, 100})
{
    QImage image;
    QSignalSpy ready(&loader, &ImageLoader::ready);
    QSignalSpy failed(&loader, &ImageLoader::failed);
    if (loader.request(url, box, &image) != ImageLoader::State::Loading)
        return image;
    if (!QTest::qWaitFor([&] { return !ready.isEmpty() || !failed.isEmpty(); }, 10'000) || ready.isEmpty())
        return {};
    return ready.constLast().at(2).value<QImage>();
}

quint32 crc32(QByteArrayView bytes)
{
    quint32 crc = 0xffffffff;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

QByteArray bigEndian(quint32 value)
{
    QByteArray out(4, '\0');
    qToBigEndian(value, out.data());
    return out;
}

// A grey PNG whose header announces `size`: made row by row, not from a picture of that size.
QByteArray largePng(QSize size)
{
    const auto chunk = [](const char *type, const QByteArray &data) -> QByteArray {
        const QByteArray body = type + data;
        return bigEndian(quint32(data.size())) + body + bigEndian(crc32(body));
    };
    QByteArray header = bigEndian(quint32(size.width())) + bigEndian(quint32(size.height()));
    header += QByteArray("\x08\0\0\0\0", 5); // 8 bits of grey, no interlace
    const QByteArray rows(qsizetype(size.height()) * (size.width() + 1), '\0');
    return "\x89PNG\r\n\x1a\n"_ba + chunk("IHDR", header) + chunk("IDAT", qCompress(rows).mid(4)) + chunk("IEND", {});
}

// The gzip form of `bytes`, as .svgz files are.
QByteArray gzip(const QByteArray &bytes)
{
    const QByteArray deflated = qCompress(bytes).mid(4 + 2).chopped(4); // without zlib's frame
    QByteArray out("\x1f\x8b\x08\0\0\0\0\0\0\x03", 10);
    out += deflated;
    for (const quint32 value : {crc32(bytes), quint32(bytes.size())})
        out += QByteArray(reinterpret_cast<const char *>(&value), 4); // little endian
    return out;
}

qint64 residentBytes()
{
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

// A window with one picture frame per address, `side` points square, in rows of `perRow`.
struct Frames
{
    QQuickView view;
    std::unique_ptr<QObject> root;
    QList<QQuickItem *> frames;

    Frames(const QStringList &urls, int side = 100, int perRow = 4)
    {
        view.engine()->addImportPath(u"qrc:/"_s); // Qt 6.4 does not look there by itself
        view.setColor(Qt::white);
        view.resize(side * perRow, side * int((urls.size() + perRow - 1) / perRow));
        QQmlComponent component(view.engine());
        QByteArray qml = "import Vexlo\nimport QtQuick\nItem {\n";
        for (int i = 0; const QString &url : urls) {
            qml += "CachedAsyncImage { x: " + QByteArray::number(side * (i % perRow)) + "; y: " + QByteArray::number(side * (i / perRow))
                + "; width: " + QByteArray::number(side) + "; height: " + QByteArray::number(side) + "; url: \"" + url.toUtf8() + "\" }\n";
            ++i;
        }
        component.setData(qml + '}', QUrl(u"qrc:/t/Scene.qml"_s));
        root.reset(component.create());
        if (auto *item = qobject_cast<QQuickItem *>(root.get())) {
            item->setParentItem(view.contentItem());
            frames = item->childItems();
        }
        view.show();
    }
    [[nodiscard]] CachedImageItem *picture(int i) const { return frames.at(i)->findChild<CachedImageItem *>(); }
    // "picture", "indicator" or "placeholder" for each frame.
    [[nodiscard]] QStringList shown() const
    {
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
    }
};

qint64 folderBytes(const QString &path)
{
    qint64 total = 0;
    for (const QFileInfo &file : QDir(path).entryInfoList(QDir::Files))
        total += file.size();
    return total;
}

} // namespace

class TestImageCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A picture is kept as it came, under its whole address, in the cache folder (never the data
    // folder), and read from there after a restart until the file no longer holds a picture.
    void downloadIsKeptAndFetchedAgainOnlyWhenTheFileIsBad()
    {
        const QByteArray body = TestData::picture("webp");
        QVERIFY2(!body.isEmpty(), "no encoder for the format");
        TempDataDir data;
        TestServer server;
        server.serve(u"r/a%2Fb.png"_s, body);
        server.serve(u"r/a/b.png"_s, body); // the server may decode it
        const QString url = server.url(u"r/a%2Fb.png"_s) + u"?f=webp&s=x/y"_s;

        ImageLoader loader;
        QCOMPARE(load(loader, url).size(), QSize(40, 20));
        QImage known;
        QCOMPARE(loader.request(url, {100, 100}, &known), ImageLoader::State::Ready);
        loader.waitForSaves();
        const QString name = QString(url).replace(u'/', u'_');
        QCOMPARE(imageCacheFilePath(url), QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + u"/pictures/"_s + name);
        QVERIFY(imageCacheFilePath(url).startsWith(qEnvironmentVariable("XDG_CACHE_HOME") + u'/'));
        QCOMPARE(TestData::readFile(imageCacheFilePath(url)), body);
        QVERIFY(QDir(data.path()).isEmpty());
        ImageLoader restarted;
        QCOMPARE(load(restarted, url, {20, 20}).size(), QSize(20, 10));
        QCOMPARE(server.totalRequests(), 1);

        // A file that no longer holds a picture is no hit: the picture is downloaded again.
        QFile file(imageCacheFilePath(url));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("<html>not a picture</html>") > 0);
        file.close();
        ImageLoader again;
        QVERIFY(!load(again, url).isNull());
        again.waitForSaves();
        QCOMPARE(TestData::readFile(file.fileName()), body);
        QCOMPARE(server.totalRequests(), 2);
    }

    // Only raster pictures of a bounded size are shown and kept; whatever else a server sends
    // fails at once, is remembered as failed, and is asked again only after forgetFailures.
    void onlyBoundedRasterPicturesAreShownAndCached_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("maxBytes"); // 0: the default limit
        QTest::addColumn<QSize>("shownAs");
        const QByteArray png = TestData::picture("png", {300, 300});
        const QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' width='64' height='64'><rect width='64' height='64'/></svg>";
        QTest::newRow("error page") << 404 << QByteArray("<html>Not Found</html>") << 0 << QSize();
        QTest::newRow("picture served as 404") << 404 << png << 0 << QSize(100, 100);
        QTest::newRow("at the size limit") << 200 << png << int(png.size()) << QSize(100, 100);
        QTest::newRow("one byte over") << 200 << png << int(png.size() - 1) << QSize();
        // Its start decodes, but the connection ends before all of it arrived.
        QTest::newRow("cut short") << 0 << TestData::picture("jpeg", {64, 64}) << 0 << QSize();
        QTest::newRow("svg") << 200 << svg << 0 << QSize();
        QTest::newRow("svgz") << 200 << gzip(svg) << 0 << QSize();
        QTest::newRow("svg behind a bitmap's mark") << 200 << "BM" + svg << 0 << QSize();
        QTest::newRow("gif, small") << 200 << QByteArray("GIF89a\x01\0\x01\0\x80\0\0\xff\xff\xff\0\0\0!\xf9\x04\0\0\0\0\0"
                                                         ",\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0;", 43)
                                     << 0 << QSize(1, 1);
        QTest::newRow("bmp, wide") << 200 << TestData::picture("bmp", {400, 100}) << 0 << QSize(100, 25);
        QTest::newRow("16 megapixels") << 200 << largePng({4096, 4096}) << 0 << QSize(100, 100);
        QTest::newRow("one row more") << 200 << largePng({4096, 4097}) << 0 << QSize();
    }
    void onlyBoundedRasterPicturesAreShownAndCached()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, maxBytes);
        QFETCH(QSize, shownAs);
        TempDataDir data;
        TestServer server;
        server.serve(u"p.png"_s, {status, body, "image/png"});
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
        const QImage shown = load(loader, url);
        QCOMPARE(shown.isNull() ? QSize() : shown.size(), shownAs);
        loader.waitForSaves();
        QCOMPARE(QFile::exists(imageCacheFilePath(url)), shownAs.isValid());
        QVERIFY(!loader.isFetching(url));

        QImage image;
        const int requests = server.totalRequests();
        QCOMPARE(loader.request(url, {50, 50}, &image), shownAs.isValid() ? ImageLoader::State::Loading : ImageLoader::State::Failed);
        loader.forgetFailures();
        QCOMPARE(loader.request(url, {100, 100}, &image), shownAs.isValid() ? ImageLoader::State::Ready : ImageLoader::State::Loading);
        QTRY_COMPARE(server.totalRequests(), requests + (shownAs.isValid() || status == 0 ? 0 : 1));
    }

    void oneDownloadPerAddressAndNoneWithoutAValidOne()
    {
        TempDataDir data;
        TestServer server;
        server.serve(u"shared.png"_s, TestData::picture("png", {80, 80}));
        server.setHolding(true);
        const QString url = server.url(u"shared.png"_s);
        ImageLoader loader;
        QImage image;
        for (const QString &text : {QString(), u"CydiaIcon.png"_s, u"http://exa mple.com/x.png"_s})
            QCOMPARE(loader.request(text, {10, 10}, &image), ImageLoader::State::Failed);

        QSignalSpy ready(&loader, &ImageLoader::ready);
        for (int side : {10, 20, 10, 30, 40})
            QCOMPARE(loader.request(url, {side, side}, &image), ImageLoader::State::Loading);
        QVERIFY(server.waitForRequests(1));
        QTest::qWait(50);
        QCOMPARE(server.totalRequests(), 1);
        server.release();
        QTRY_COMPARE_WITH_TIMEOUT(ready.size(), 4, 10'000);
        for (const QList<QVariant> &answer : ready)
            QCOMPARE(answer.at(2).value<QImage>().size(), answer.at(1).toSize());
    }

    // Writes run in the background, in order: the file ends with the later picture. One that
    // cannot be written prints one line and leaves no file. The folder keeps within its bound,
    // the least recently used out first, at start as after writes; the cache files that earlier
    // versions kept in the data folder are removed.
    void writesAndTheBoundOfTheCacheFolder()
    {
        TempDataDir data;
        const QString url = u"http://img.example/icon.png"_s;
        QCOMPARE(saveImageLocally(TestData::picture("png", {8, 8}), url), imageCacheFilePath(url));
        QCOMPARE(loadImageLocally(url, {4, 4}).size(), QSize(4, 4));
        const QString line = QString::fromUtf8(captureStdout([&] {
            QVERIFY(saveImageLocally(TestData::picture(), url + QString(300, u'x')).isEmpty());
        }));
        QVERIFY2(line.startsWith(u"فشل في حفظ الصورة: "_s) && line.count(u'\n') == 1, qPrintable(line));
        QCOMPARE(QDir(imageCacheFolder()).entryList(QDir::Files).size(), 1);

        for (const QString &name : {u"https:__old.example_a.png"_s, u"qrc:_Vexlo_icons_vexlo.svg"_s, u"savedRepos"_s}) {
            QFile old(data.filePath(name));
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("x") == 1);
        }
        // 300 pictures of about 1.6 KiB, in a folder bounded to 100 KiB.
        TestServer server;
        for (int i = 0; i < 300; ++i)
            server.serve(u"p%1.bmp"_s.arg(i), TestData::picture("bmp", {20, 20}, QColor::fromHsv(i, 255, 255)));
        ImageLoader loader;
        loader.setDiskBytes(100 << 10);
        loader.waitForSaves();
        QCOMPARE(QDir(data.path()).entryList(QDir::Files), QStringList{u"savedRepos"_s});
        QImage image;
        for (int i = 0; i < 300; ++i)
            loader.request(server.url(u"p%1.bmp"_s.arg(i)), {20, 20}, &image);
        const auto fetching = [&] {
            for (int i = 0; i < 300; ++i)
                if (loader.isFetching(server.url(u"p%1.bmp"_s.arg(i))))
                    return true;
            return false;
        };
        QTRY_COMPARE_WITH_TIMEOUT(server.totalRequests(), 300, 30'000);
        QTRY_VERIFY_WITH_TIMEOUT(!fetching(), 30'000);
        loader.waitForSaves();
        const QString folder = imageCacheFolder();
        QVERIFY2(folderBytes(folder) <= 100 << 10, qPrintable(QString::number(folderBytes(folder))));
        QVERIFY(folderBytes(folder) > 80 << 10);

        // The oldest file, read once more, outlives the next-oldest.
        QFileInfoList files = QDir(folder).entryInfoList(QDir::Files);
        for (qsizetype i = 0; i < files.size(); ++i) {
            QFile file(files.at(i).filePath());
            QVERIFY(file.open(QIODevice::ReadOnly)
                    && file.setFileTime(QDateTime::currentDateTime().addSecs(-3600 + i), QFileDevice::FileModificationTime));
        }
        QVERIFY(!readImageFile(files.at(0).filePath(), {}).isNull());
        loader.setDiskBytes(folderBytes(folder)); // full: the next write removes the oldest
        loader.waitForSaves();
        for (int i = 0; i < 3; ++i)
            server.serve(u"q%1.bmp"_s.arg(i), TestData::picture("bmp", {20, 20}, Qt::blue));
        for (int i = 0; i < 3; ++i)
            QVERIFY(!load(loader, server.url(u"q%1.bmp"_s.arg(i)), {20, 20}).isNull());
        loader.waitForSaves();
        QVERIFY(QFile::exists(files.at(0).filePath()));
        QVERIFY(!QFile::exists(files.at(1).filePath()));

        // Trimmed at start to a smaller bound.
        loader.setDiskBytes(10 << 10);
        loader.waitForSaves();
        QVERIFY(folderBytes(folder) <= 10 << 10);

        // Behind a slow picture, the newest of those asked for is decoded first.
        loader.setDiskBytes(64 << 20);
        const QString slow = u"http://img.example/slow.png"_s;
        QVERIFY(!saveImageLocally(TestData::picture("png", {3000, 3000}), slow).isEmpty());
        for (int i = 0; i < 10; ++i)
            QVERIFY(!saveImageLocally(TestData::picture("bmp", {8, 8}), u"http://img.example/%1.bmp"_s.arg(i)).isEmpty());
        QSignalSpy ready(&loader, &ImageLoader::ready);
        QCOMPARE(loader.request(slow, {20, 20}, &image), ImageLoader::State::Loading);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(loader.request(u"http://img.example/%1.bmp"_s.arg(i), {8, 8}, &image), ImageLoader::State::Loading);
        QTRY_COMPARE(ready.size(), 11);
        QStringList order;
        for (const QList<QVariant> &signal : std::as_const(ready))
            order.append(signal.at(0).toString());
        QVERIFY2(order.indexOf(u"http://img.example/9.bmp"_s) < order.indexOf(u"http://img.example/0.bmp"_s), qPrintable(order.join(u' ')));
    }

    // Hostile pictures on 24 cards: one of 5600 × 5600 pixels never grows the process by much,
    // SVGs (plain, compressed, drawing a local FIFO) give the placeholder within a second and
    // leave the pool that decodes indexes free; a large allowed one is held at the frame's size.
    void hostilePicturesStayCheapAndBlockNothing()
    {
        TempDataDir data;
        TestServer server;
        const QByteArray huge = largePng({5600, 5600});
        server.serve(u"huge.png"_s, {200, huge, "image/png"});
        server.serve(u"large.png"_s, {200, largePng({3000, 2000}), "image/png"});
        const QString fifo = data.filePath(u"fifo"_s);
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
                               "width='4000' height='4000'><image width='4000' height='4000' xlink:href='file://"
            + QFile::encodeName(fifo) + "'/></svg>";
        server.serve(u"plain.svg"_s, {200, QByteArray(2 << 20, ' ').prepend(svg.left(svg.indexOf("<image"))) + "</svg>", "image/svg+xml"});
        server.serve(u"packed.svgz"_s, {200, gzip(svg + QByteArray(2 << 20, ' ')), "image/svg+xml"});
        for (int i = 0; i < 4; ++i)
            server.serve(u"fifo%1.svg"_s.arg(i), {200, svg, "image/svg+xml"});
        server.serve(u"Packages"_s, "Package: com.example.free\n");

        QStringList urls(24 - 7, server.url(u"huge.png"_s));
        urls << server.url(u"plain.svg"_s) << server.url(u"packed.svgz"_s) << server.url(u"large.png"_s);
        for (int i = 0; i < 4; ++i)
            urls << server.url(u"fifo%1.svg"_s.arg(i));
        // Measured from the scene shown while the server holds its answers back.
        server.setHolding(true);
        Frames scene(urls, 120, 6);
        QVERIFY(QTest::qWaitForWindowExposed(&scene.view));
        QVERIFY(server.waitForRequests(6)); // as many as the client sends to one server at once
        (void)scene.view.grabWindow();
        const qint64 before = residentBytes();
        QElapsedTimer clock;
        clock.start();
        server.setHolding(false);
        server.release();
        QStringList expected(24, u"placeholder"_s);
        expected[24 - 5] = u"picture"_s;
        QTRY_COMPARE_WITH_TIMEOUT(scene.shown(), expected, 5'000);
        QVERIFY2(clock.elapsed() < 3'000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(scene.picture(24 - 5)->image().size(), QSize(120, 80) * scene.view.effectiveDevicePixelRatio());
        (void)scene.view.grabWindow();
        QVERIFY2(residentBytes() - before < 100 << 20, qPrintable(QString::number((residentBytes() - before) >> 20)));

        QObject context;
        std::optional<IndexResult> index;
        parsePackages(server.url(u"Packages"_s), "https://r.example/", &context, [&index](IndexResult r) { index = std::move(r); });
        QTRY_VERIFY_WITH_TIMEOUT(index, 5'000);
        QVERIFY(index->ok());
        QFile::remove(fifo);
    }

    // The picture frame of the screens, on the shared loader: the busy indicator, then the
    // picture scaled to fit or, when none came (not one, no valid address), the placeholder,
    // which stays until failures are forgotten. Each frame takes only its own answer.
    void framesShowIndicatorThenPictureOrPlaceholder()
    {
        TempDataDir data;
        TestServer server;
        server.serve(u"wide.png"_s, TestData::picture("png", {40, 20}, Qt::red));
        server.serve(u"page.html"_s, "<html>Not found</html>", 404);
        server.setHolding(true);
        const QString wide = server.url(u"wide.png"_s), page = server.url(u"page.html"_s);
        Frames scene({wide, page, u"icons/a.png"_s, PackageImage::address()});
        QVERIFY(QTest::qWaitForWindowExposed(&scene.view));
        QCOMPARE(scene.shown().mid(0, 3), (QStringList{u"indicator"_s, u"indicator"_s, u"placeholder"_s}));
        QVERIFY(server.waitForRequests(2));
        server.release();
        // The package picture is bundled: it needs no network and no cache file.
        QTRY_COMPARE_WITH_TIMEOUT(scene.shown(), (QStringList{u"picture"_s, u"placeholder"_s, u"placeholder"_s, u"picture"_s}), 10'000);
        QCOMPARE(server.totalRequests(), 2);
        ImageLoader::instance()->waitForSaves();
        QVERIFY(!QFile::exists(imageCacheFilePath(page)) && !QFile::exists(imageCacheFilePath(PackageImage::address())));
        QCOMPARE(scene.picture(3)->image().size(), QSize(100, 100) * scene.view.effectiveDevicePixelRatio());

        // Scaled to fit with its aspect kept: a full-width band across the middle.
        QCOMPARE(scene.picture(0)->pictureRect(), QRectF(0, 25, 100, 50));
        QImage shot;
        QTRY_COMPARE((shot = scene.view.grabWindow()).pixelColor(50, 50), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(2, 30), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(50, 20), QColor(Qt::white));

        // A failed picture is not asked for again on the next appearance, but once failures
        // are forgotten (after a refresh); one that has its picture takes it from memory.
        server.setHolding(false);
        server.serve(u"page.html"_s, TestData::picture("png", {8, 8}, Qt::blue));
        const auto reappear = [&scene] {
            for (QQuickItem *frame : std::as_const(scene.frames)) {
                frame->setVisible(false);
                frame->setVisible(true);
            }
        };
        reappear();
        QTest::qWait(100);
        QCOMPARE(scene.shown()[1], u"placeholder"_s);
        QCOMPARE(server.totalRequests(), 2);
        ImageLoader::instance()->forgetFailures();
        reappear();
        QTRY_COMPARE_WITH_TIMEOUT(scene.shown()[1], u"picture"_s, 10'000);
        CachedImageItem another;
        another.setSize({100, 100});
        another.setUrl(wide);
        QVERIFY(another.hasImage());
        QCOMPARE(server.totalRequests(), 3);

        // Gone before its download ends: the file is still written.
        ImageLoader::instance()->waitForSaves();
        const QString fresh = server.url(u"wide.png"_s) + u"?again"_s;
        server.setHolding(true);
        auto gone = std::make_unique<CachedImageItem>();
        gone->setSize({100, 100});
        gone->setUrl(fresh);
        QVERIFY(server.waitForRequests(4));
        gone.reset();
        server.release();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(imageCacheFilePath(fresh)), 10'000);
    }
};

QTEST_MAIN(TestImageCache)
#include "tst_imagecache.moc"
