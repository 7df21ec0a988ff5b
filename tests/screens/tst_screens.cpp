#include "fakeplatform.h"
#include "qmlscene.h"
#include "screens/repodetailviewmodel.h"

#include <QQuickItem>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

using namespace Qt::StringLiterals;

namespace {

Package make(const std::string &name, const char *architecture, std::optional<double> rating = {})
{
    Package p;
    p.name = name;
    p.description = "وصف " + name;
    p.version = "1.0";
    p.architecture = architecture;
    p.downloadURL = "https://example.org/debs/" + name + ".deb";
    p.fileSize = 1536;
    p.ratings = rating;
    return p;
}

Repo sampleRepo(int count)
{
    Repo repo;
    repo.name = "سورس التجربة";
    const char *architectures[] = {"iphoneos-arm64", "iphoneos-arm", "arm64e"};
    for (int i = 0; i < count; ++i)
        repo.packages.append(make("com.example.tool" + std::to_string(i), architectures[i % 3],
                                  i == 0 ? std::optional<double>(4.0) : std::nullopt));
    return repo;
}

// Items by object name through the visual tree, where views put the items they create.
void collect(QQuickItem *item, const QString &name, QList<QQuickItem *> &found)
{
    if (item->objectName() == name)
        found.append(item);
    for (QQuickItem *child : item->childItems())
        collect(child, name, found);
}

QList<QQuickItem *> findAll(QQuickItem *in, const QString &name)
{
    QList<QQuickItem *> found;
    collect(in, name, found);
    return found;
}

QQuickItem *find(QQuickItem *in, const QString &name)
{
    const QList<QQuickItem *> found = findAll(in, name);
    return found.isEmpty() ? nullptr : found.first();
}

void click(QQuickItem *item)
{
    QVERIFY(item);
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(item->window(), Qt::LeftButton, {}, centre.toPoint());
}

} // namespace

class TestScreens : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void repoScreenShowsCountSegmentsAndCards()
    {
        QmlScene scene(430, 900);
        QVERIFY(scene.isReady());
        QQuickItem *screen = scene.push(u"RepoDetailView"_s, {{u"repo"_s, QVariant::fromValue(sampleRepo(6))}});
        QVERIFY(screen);
        QCOMPARE(screen->property("title").toString(), u"سورس التجربة"_s);
        QCOMPARE(find(screen, u"countLine"_s)->property("text").toString(), u"عدد الملفات: 6"_s);
        for (const QString &segment : {u"All Architectures"_s, u"arm"_s, u"arm64"_s, u"arm64e"_s})
            QVERIFY2(find(screen, u"segment_"_s + segment), qPrintable(segment));

        click(find(screen, u"segment_arm64e"_s));
        QCOMPARE(find(screen, u"countLine"_s)->property("text").toString(), u"عدد الملفات: 2"_s);
        scene.settle();
        QCOMPARE(find(screen, u"packageGrid"_s)->property("count").toInt(), 2);
        click(find(screen, u"segment_All Architectures"_s));

        // Typing goes through the search field into the filter.
        QQuickItem *search = find(screen, u"searchField"_s);
        search->forceActiveFocus();
        for (const char key : {'T', 'O', 'O', 'L', '1'})
            QTest::keyClick(scene.window(), key);
        QCOMPARE(find(screen, u"countLine"_s)->property("text").toString(), u"عدد الملفات: 1"_s);
        QTest::keyClick(scene.window(), Qt::Key_Backspace);
        QCOMPARE(find(screen, u"countLine"_s)->property("text").toString(), u"عدد الملفات: 6"_s);

        // The same search field as the main screen's: the magnifier at the leading, right end.
        const QRectF field = search->mapRectToScene(QRectF(0, 0, search->width(), search->height()));
        QQuickItem *magnifier = find(search, u"searchMagnifier"_s);
        QVERIFY(magnifier->mapToScene(QPointF(0, 0)).x() > field.center().x());

    }

    void cardsShowTheirTextsAndARatingRowOnlyWithARating()
    {
        QmlScene scene(430, 2000);
        QQuickItem *screen = scene.push(u"RepoDetailView"_s, {{u"repo"_s, QVariant::fromValue(sampleRepo(2))}});
        scene.settle();
        QList<QQuickItem *> names = findAll(screen, u"cardName"_s);
        QList<QQuickItem *> ratings = findAll(screen, u"cardRating"_s);
        names.removeIf([](QQuickItem *i) { return i->property("text").toString().isEmpty(); });
        QCOMPARE(names.size(), 2);
        int rated = 0;
        for (QQuickItem *row : ratings) {
            QObject *card = row->parent()->parent();
            const QString name = card->property("name").toString();
            if (name.isEmpty())
                continue; // the grid's measuring card
            QCOMPARE(row->isVisible(), name == u"com.example.tool0"_s);
            if (row->isVisible()) {
                ++rated;
                QCOMPARE(find(row, u"cardRatingText"_s)->property("text").toString(), u"التقييم: 4.0"_s);
                QCOMPARE(find(row, u"cardStars"_s)->childItems().size(), 4 + 1); // stars and their repeater
            }
        }
        QCOMPARE(rated, 1);
        const QList<QQuickItem *> sizes = findAll(screen, u"cardSize"_s);
        QVERIFY(std::any_of(sizes.begin(), sizes.end(),
                            [](QQuickItem *s) { return s->property("text").toString() == u"حجم الملف: 1.5 ك.ب"_s; }));
    }

    void scrollToTopButtonAppearsBelowMinus100AndScrollsBack()
    {
        QmlScene scene(430, 900);
        QQuickItem *screen = scene.push(u"RepoDetailView"_s, {{u"repo"_s, QVariant::fromValue(sampleRepo(40))}});
        QQuickItem *grid = find(screen, u"packageGrid"_s);
        QQuickItem *button = find(screen, u"scrollToTopButton"_s);
        const double originY = grid->property("originY").toDouble();
        grid->setProperty("contentY", originY + 100);
        QVERIFY(!button->property("shown").toBool());
        grid->setProperty("contentY", originY + 101);
        QVERIFY(button->property("shown").toBool());
        grid->setProperty("contentY", originY + 100);
        QVERIFY(!button->property("shown").toBool());

        grid->setProperty("contentY", originY + 3000);
        QTRY_VERIFY(button->isVisible() && button->opacity() == 1.0);
        click(button);
        QVERIFY(screen->findChild<RepoDetailViewModel *>()->isButtonAnimating());
        // The first card comes to the top: the picker and count line above it stay out of view.
        QTRY_COMPARE_WITH_TIMEOUT(grid->property("contentY").toDouble(), 0.0, 2000);
    }

    void tappingACardPushesThePackage()
    {
        QmlScene scene(430, 900);
        scene.push(u"RepoDetailView"_s, {{u"repo"_s, QVariant::fromValue(sampleRepo(3))}});
        QList<QQuickItem *> names = findAll(scene.currentScreen(), u"cardName"_s);
        const auto first = std::find_if(names.begin(), names.end(), [](QQuickItem *i) {
            return i->property("text").toString() == u"com.example.tool0"_s;
        });
        QVERIFY(first != names.end());
        click(*first);
        QTRY_COMPARE(scene.depth(), 2);
        QTRY_COMPARE(scene.currentScreen()->property("title").toString(), u"com.example.tool0"_s);
    }

    void packageScreenTextsAndActions()
    {
        FakePlatform platform;
        QmlScene scene(430, 1200);
        Package p = make("com.example.a-rather-long-name", "iphoneos-arm64");
        QQuickItem *screen = scene.push(u"PackageDetailView"_s, {{u"record"_s, QVariant::fromValue(p)}});
        QVERIFY(screen);
        QCOMPARE(screen->property("title").toString(), u"com.example.a-rather-long-name"_s);
        QCOMPARE(find(screen, u"detailName"_s)->property("text").toString(), u"com.example.a-rather..."_s);
        QCOMPARE(find(screen, u"detailSize"_s)->property("text").toString(), u"حجم الملف: 1.5 ك.ب"_s);
        QCOMPARE(find(screen, u"detailArchitecture"_s)->property("text").toString(), u"البنية: arm64"_s);
        QVERIFY(!find(screen, u"detailRating"_s)->isVisible());

        click(find(screen, u"downloadButton"_s));
        click(find(screen, u"copyDownloadLinkButton"_s));
        click(find(screen, u"copyShareLinkButton"_s));
        QCOMPARE(platform.opened, QList<QUrl>{QUrl(u"https://example.org/debs/com.example.a-rather-long-name.deb"_s)});
        QCOMPARE(platform.copied, (QStringList{u"https://example.org/debs/com.example.a-rather-long-name.deb"_s,
                                               u"sileo://package/com.example.a-rather-long-name"_s}));

        // Without Sileo: the alert once the desktop has answered; a second tap meanwhile adds
        // nothing. Its one button, Escape and Enter each close it.
        QObject *alert = screen->findChild<QObject *>(u"sileoAlert"_s);
        QVERIFY(alert);
        platform.holdAnswers = true;
        click(find(screen, u"sileoButton"_s));
        click(find(screen, u"sileoButton"_s));
        QCOMPARE(platform.asked.size(), 1);
        QVERIFY(!alert->property("visible").toBool());
        platform.answerHeld();
        QTRY_VERIFY(alert->property("opened").toBool());
        QCOMPARE(alert->property("title").toString(), u"Sileo غير مثبت"_s);
        QQuickItem *ok = find(scene.window()->contentItem(), u"alertButton"_s);
        QVERIFY(ok);
        QCOMPARE(ok->property("text").toString(), u"حسنًا"_s);
        click(ok);
        QTRY_VERIFY(!alert->property("visible").toBool());
        platform.holdAnswers = false;
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Enter}) {
            click(find(screen, u"sileoButton"_s));
            QTRY_VERIFY(alert->property("opened").toBool());
            QTest::keyClick(scene.window(), key);
            QTRY_VERIFY(!alert->property("visible").toBool());
        }

        // With Sileo: handed over, no alert.
        platform.handledSchemes.insert(u"sileo"_s);
        click(find(screen, u"sileoButton"_s));
        QTRY_COMPARE(platform.opened.last(), QUrl(u"sileo://package/com.example.a-rather-long-name"_s));
        scene.settle();
        QVERIFY(!alert->property("visible").toBool());
    }

    void packageScreenWithRating()
    {
        QmlScene scene(430, 1200);
        QQuickItem *screen = scene.push(u"PackageDetailView"_s,
                                        {{u"record"_s, QVariant::fromValue(make("x", "arm", 0.5))}});
        QVERIFY(find(screen, u"detailRating"_s)->isVisible());
        QCOMPARE(find(screen, u"detailRatingText"_s)->property("text").toString(), u"التقييم: 0.5"_s);
        QCOMPARE(find(screen, u"detailStars"_s)->childItems().size(), 0 + 1);
    }
};

QTEST_MAIN(TestScreens)
#include "tst_screens.moc"
