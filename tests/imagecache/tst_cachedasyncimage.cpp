#include "imagecache/cachedimageitem.h"
#include "imagecache/imageloader.h"
#include "imagecache/localimage.h"
#include "model/packageimage.h"

#include "testsupport.h"

#include <QFile>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickView>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

#include <memory>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

using namespace Qt::StringLiterals;

class TestCachedAsyncImage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
        item.setVisible(false);
        item.setVisible(true);
        QVERIFY(server.waitForRequests(3));
        QTRY_VERIFY(QFile::exists(imageCacheFilePath(url)));
    }

    void viewGoneBeforeDownloadEndsStillWritesTheFile()
    {
        TempDataDir data;
        TestServer server;
        server.serve(u"late.png"_s, TestData::picture("png", {8, 8}, Qt::green));
        server.setHolding(true);
        const QString url = server.url(u"late.png"_s);

        auto item = std::make_unique<CachedImageItem>();
        item->setUrl(url);
        QVERIFY(server.waitForRequests(1));
        item.reset();
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

QTEST_MAIN(TestCachedAsyncImage)
#include "tst_cachedasyncimage.moc"
