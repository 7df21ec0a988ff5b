#include "imagecache/cachedimageitem.h"
#include "imagecache/imageloader.h"
#include "imagecache/localimage.h"

#include "testsupport.h"

#include <QBuffer>
#include <QFile>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickView>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

#include <memory>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

using namespace Qt::StringLiterals;

namespace {

QByteArray png(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class TestCachedAsyncImage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyAppearanceReadsTheFileElseDownloads()
    {
        TempDataDir data;
        TestServer server;
        server.serve(u"icon.png"_s, png({8, 8}, Qt::blue));
        const QString url = server.url(u"icon.png"_s);

        CachedImageItem item;
        item.setUrl(url);
        QTRY_VERIFY_WITH_TIMEOUT(item.hasImage(), 10'000);
        item.setVisible(false);
        item.setVisible(true);
        CachedImageItem another;
        another.setUrl(url);
        QVERIFY(another.hasImage());
        QCOMPARE(server.totalRequests(), 1);

        ImageLoader::instance()->waitForSaves();
        QVERIFY(QFile::remove(imageCacheFilePath(url)));
        item.setVisible(false);
        item.setVisible(true);
        QVERIFY(server.waitForRequests(2));
        QTRY_VERIFY(QFile::exists(imageCacheFilePath(url)));
    }

    void viewGoneBeforeDownloadEndsStillWritesTheFile()
    {
        TempDataDir data;
        TestServer server;
        server.serve(u"late.png"_s, png({8, 8}, Qt::green));
        server.setHolding(true);
        const QString url = server.url(u"late.png"_s);

        auto item = std::make_unique<CachedImageItem>();
        item->setUrl(url);
        QVERIFY(server.waitForRequests(1));
        item.reset();
        server.release();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(imageCacheFilePath(url)), 10'000);
    }

    void showsIndicatorUntilThePictureThenFitsIt_data()
    {
        QTest::addColumn<bool>("emptyAddress");
        QTest::newRow("served") << false;
        QTest::newRow("empty address") << true;
    }
    void showsIndicatorUntilThePictureThenFitsIt()
    {
        QFETCH(bool, emptyAddress);
        TempDataDir data;
        TestServer server;
        server.serve(u"wide.png"_s, png({40, 20}, Qt::red));
        server.setHolding(true);

        QQuickView view;
        // Qt 6.4 does not look for modules in the resources' root by itself.
        view.engine()->addImportPath(u"qrc:/"_s);
        view.setColor(Qt::white);
        view.resize(100, 100);
        QQmlComponent component(view.engine());
        component.setData("import Vexlo\nCachedAsyncImage { width: 100; height: 100 }", QUrl(u"qrc:/t/Scene.qml"_s));
        QVERIFY2(component.isReady(), qPrintable(component.errorString()));
        const QString url = emptyAddress ? QString() : server.url(u"wide.png"_s);
        std::unique_ptr<QObject> root(component.createWithInitialProperties({{u"url"_s, url}}));
        qobject_cast<QQuickItem *>(root.get())->setParentItem(view.contentItem());
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        auto *picture = root->findChild<CachedImageItem *>();
        QQuickItem *indicator = nullptr;
        for (QQuickItem *child : root->findChildren<QQuickItem *>())
            indicator = child->inherits("QQuickBusyIndicator") ? child : indicator;
        QVERIFY(picture && indicator);
        QVERIFY(indicator->isVisible() && !picture->hasImage());
        if (emptyAddress) {
            QTest::qWait(100);
            QCOMPARE(server.totalRequests(), 0);
            QVERIFY(indicator->isVisible());
            return;
        }
        QVERIFY(server.waitForRequests(1));
        server.release();
        QTRY_VERIFY_WITH_TIMEOUT(picture->hasImage(), 10'000);
        QVERIFY(!indicator->isVisible());

        // Scaled to fit with its aspect kept: a full-width band across the middle.
        QCOMPARE(picture->pictureRect(), QRectF(0, 25, 100, 50));
        QImage shot;
        QTRY_COMPARE((shot = view.grabWindow()).pixelColor(50, 50), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(2, 30), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(50, 20), QColor(Qt::white));
    }
};

QTEST_MAIN(TestCachedAsyncImage)
#include "tst_cachedasyncimage.moc"
