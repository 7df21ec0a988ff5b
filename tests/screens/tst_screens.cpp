#include "fakeplatform.h"
#include "imagecache/cachedimageitem.h"
#include "imagecache/localimage.h"
#include "model/packageimage.h"
#include "model/repostore.h"
#include "qmlscene.h"
#include "records.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "screens/sourcedetail/repodetailviewmodel.h"

#include <QAbstractItemModelTester>
#include <QImage>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

using namespace Qt::StringLiterals;

// The source and package screens in a window, driven by real input events. The filters and
// texts behind them are tested on their view models; here what the screens wire and show.
namespace {

Package make(const std::string &name, const char *architecture, std::optional<double> rating = {})
{
    Package p = package(name, "وصف " + name, architecture);
    p.version = "1.0";
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
    for (int i = 0; i < count; ++i) {
        repo.packages.append(make("com.example.tool" + std::to_string(i), architectures[i % 3],
                                  i == 0 ? std::optional<double>(4.0) : std::nullopt));
        repo.packages.last().extras.set(Extra::Section, i % 2 ? "Tweaks" : "Themes");
    }
    return repo;
}

QStringList texts(const QList<QQuickItem *> &items, const char *property = "text")
{
    QStringList result;
    for (QQuickItem *item : items)
        if (item->isVisible())
            result << item->property(property).toString().remove(QChar(0x2068)).remove(QChar(0x2069));
    return result;
}

// The texts of the named items, in that order.
QStringList textsOf(QQuickItem *in, std::initializer_list<const char *> names)
{
    QStringList result;
    for (const char *name : names)
        result << text(find(in, QString::fromLatin1(name)));
    return result;
}

// The cards a grid shows, row by row of the grid from the top (cards of a row share its item).
QList<QList<QQuickItem *>> cardRows(QQuickItem *grid)
{
    QMap<double, QList<QQuickItem *>> rows;
    for (QQuickItem *card : findAll(grid, u"packageCard"_s))
        if (card->isVisible())
            rows[card->parentItem()->mapToScene({}).y()].append(card);
    return rows.values();
}

// Rows 20 apart, measured between their highest cards; every card in the middle of its row.
void checkGridSpacing(QQuickItem *grid)
{
    const QList<QList<QQuickItem *>> rows = cardRows(grid);
    QVERIFY(rows.size() >= 2);
    double previousBottom = -1;
    for (const QList<QQuickItem *> &row : rows) {
        double top = 1e9, bottom = -1e9;
        for (QQuickItem *card : row)
            top = std::min(top, sceneRect(card).top()), bottom = std::max(bottom, sceneRect(card).bottom());
        for (QQuickItem *card : row)
            QVERIFY(std::abs(sceneRect(card).center().y() - (top + bottom) / 2) <= 0.5);
        if (previousBottom >= 0)
            QCOMPARE(qRound(top - previousBottom), 20);
        previousBottom = bottom;
    }
}

void type(QQuickWindow *window, const char *keys)
{
    for (; *keys; ++keys)
        QTest::keyClick(window, *keys);
}

} // namespace

class TestScreens : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void repoScreenCountSegmentsSearchAndCards()
    {
        QmlScene scene(430, 2000);
        QVERIFY(scene.isReady());
        QQuickItem *screen = scene.push(u"RepoDetailView"_s, {{u"repo"_s, QVariant::fromValue(sampleRepo(6))}});
        QVERIFY(screen);
        QCOMPARE(screen->property("title").toString(), u"سورس التجربة"_s);
        const auto count = [screen] { return text(find(screen, u"countLine"_s)); };
        QCOMPARE(count(), u"عدد الملفات: 6"_s);
        for (const QString &segment : {u"All Architectures"_s, u"arm"_s, u"arm64"_s, u"arm64e"_s})
            QVERIFY2(find(screen, u"segment_"_s + segment), qPrintable(segment));
        click(find(screen, u"segment_arm64e"_s));
        QCOMPARE(count(), u"عدد الملفات: 2"_s);
        scene.settle();
        QCOMPARE(find(screen, u"packageGrid"_s)->property("count").toInt(), 2);
        click(find(screen, u"segment_All Architectures"_s));
        scene.settle();
        QQuickItem *firstCard = cardRows(find(screen, u"packageGrid"_s)).first().first();
        find(screen, u"searchField"_s)->forceActiveFocus();
        type(scene.window(), "TOOL1");
        QCOMPARE(count(), u"عدد الملفات: 1"_s);
        // A keystroke makes no card anew: the first one shows the package found.
        scene.settle();
        QCOMPARE(cardRows(find(screen, u"packageGrid"_s)).first(), QList<QQuickItem *>{firstCard});
        QCOMPARE(texts(findAll(screen, u"cardName"_s)), QStringList{u"com.example.tool1"_s});
        QTest::keyClick(scene.window(), Qt::Key_Backspace);
        QCOMPARE(count(), u"عدد الملفات: 6"_s);

        // Each card its texts; a rating row only on the rated one.
        scene.settle();
        QCOMPARE(texts(findAll(screen, u"cardName"_s)).size(), 6);
        QCOMPARE(texts(findAll(screen, u"cardRatingText"_s)), QStringList{u"التقييم: 4.0"_s});
        QCOMPARE(find(screen, u"cardStars"_s)->childItems().size(), 4 + 1); // stars and their repeater
        QVERIFY(texts(findAll(screen, u"cardSize"_s)).contains(u"حجم الملف: 1.5 ك.ب"_s));

        // The section menu narrows the grid together with the segments; back to all sections,
        // the segment still holds.
        QQuickItem *menuButton = find(screen, u"sectionMenuButton"_s);
        QQuickItem *overlay = scene.window()->contentItem();
        const auto choose = [&](const QString &section) { // the choice's text
            click(menuButton);
            QQuickItem *choice = nullptr;
            (void)QTest::qWaitFor([&] { return (choice = shown(overlay, u"sectionChoice_"_s + section)) != nullptr; });
            const QString label = text(choice);
            click(choice);
            return label;
        };
        QCOMPARE(text(menuButton), u"كل الأقسام"_s);
        QCOMPARE(choose(u"Tweaks"_s), u"Tweaks (3)"_s);
        QTRY_COMPARE(count(), u"عدد الملفات: 3"_s);
        QCOMPARE(text(menuButton), u"Tweaks"_s);
        click(find(screen, u"segment_arm"_s)); // the first one: position 0 is a choice too
        QCOMPARE(count(), u"عدد الملفات: 1"_s);
        choose(QString());
        QTRY_COMPARE(count(), u"عدد الملفات: 2"_s);
        QCOMPARE(text(menuButton), u"كل الأقسام"_s);
    }

    // Stale state after a reload: the shown source follows its refresh, keeping the chosen
    // segment and search; deleted while shown, it keeps what it had.
    void repoScreenFollowsItsSourceWhileShown()
    {
        QmlScene scene(430, 1400);
        // The package picture comes from the cache; the only requests go to the local server.
        QVERIFY(QImage::fromData(TestData::picture()).save(imageCacheFilePath(PackageImage::address()), "PNG"));
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
        TestServer server;
        server.setHolding(true);
        server.serve(u"s/Packages"_s, "Package: com.example.new-a\nArchitecture: iphoneos-arm64\n\n"
                                      "Package: com.example.new-b\nArchitecture: iphoneos-arm\n\n"
                                      "Package: com.example.new-c\nArchitecture: iphoneos-arm64\n\n");
        Repo stored = repoOf("متابَع", {make("com.example.old", "iphoneos-arm64")});
        stored.url = server.url(u"s/"_s).toStdString();
        stored.packagesURL = stored.url + "Packages";
        QVERIFY(RepoStore::saveRepos({stored}));

        ContentViewModel model;
        QSignalSpy appeared(&model, &ContentViewModel::appeared);
        model.appear();
        QVERIFY(appeared.wait());
        QVERIFY(server.waitForRequests(1));
        const QString id = stored.id.toString(QUuid::WithoutBraces);
        QQuickItem *screen = scene.push(u"RepoDetailView"_s, {{u"repo"_s, model.repoValue(id)},
                                                             {u"contentModel"_s, QVariant::fromValue(&model)},
                                                             {u"repoId"_s, id}});
        QVERIFY(screen);
        QCOMPARE(text(find(screen, u"countLine"_s)), u"عدد الملفات: 1"_s);
        QVERIFY(!find(screen, u"segment_arm"_s));
        click(find(screen, u"segment_arm64"_s));
        QQuickItem *search = find(screen, u"searchField"_s);
        search->forceActiveFocus();
        QTest::keyClick(scene.window(), 'N');

        server.release();
        QTRY_COMPARE(text(find(screen, u"countLine"_s)), u"عدد الملفات: 2"_s);
        QVERIFY(find(screen, u"segment_arm"_s));
        QCOMPARE(screen->findChild<RepoDetailViewModel *>()->selectedArchitecture(), u"arm64"_s);
        QCOMPARE(text(search), u"N"_s);
        scene.settle();
        QStringList names = texts(findAll(screen, u"cardName"_s));
        names.removeAll(QString());
        names.sort();
        QCOMPARE(names, (QStringList{u"com.example.new-a"_s, u"com.example.new-c"_s}));

        model.deleteRepo(id);
        scene.settle();
        QTest::keyClick(scene.window(), Qt::Key_Backspace);
        QCOMPARE(text(find(screen, u"countLine"_s)), u"عدد الملفات: 2"_s);
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, u"127.0.0.1"_s, 9));
    }

    void cardsAreAsTallAsTheirTextsAndRowsKeepTheirSpacing()
    {
        const std::string latinTwo = "Adds a row of handy toggles to the control centre, with a choice of icons.";
        const std::string latinLong = latinTwo + " " + latinTwo + " " + latinTwo;
        const QList<std::pair<std::string, int>> cases{{"A tweak.", 1}, {latinTwo, 2}, {"أداة صغيرة.", 1},
                                {"تضيف صفًا من المفاتيح السريعة إلى مركز التحكم مع اختيار الأيقونات والألوان.", 2},
                                {"小工具。", 1}, {"在控制中心添加一排快捷开关，可以选择图标和颜色，并且支持自定义排列顺序。", 2},
                                {latinLong, 2}};
        Repo first;
        for (qsizetype i = 0; i < cases.size(); ++i) {
            Package p = make("com.example.card" + std::to_string(i), "iphoneos-arm64");
            p.description = cases.at(i).first;
            first.packages.append(p);
        }
        Repo second = first;
        second.packages.detach(); // its own records, so that a refresh of it is a partial update

        // Two columns, so that rows mix rated and unrated cards.
        QmlScene scene(760, 2400);
        ContentViewModel model;
        model.setRepos({first, second});
        QQuickItem *grid = scene.push(u"PackageGrid"_s, {{u"packages"_s, QVariant::fromValue(model.allPackages())}});
        QVERIFY(grid);
        QAbstractItemModelTester rowsTester(grid->property("model").value<QAbstractItemModel *>());
        QCOMPARE(grid->property("columns").toInt(), 2);
        checkGridSpacing(grid);

        // A refresh of the second source brings rated cards; the first keeps its rows.
        const QList<QList<QQuickItem *>> before = cardRows(grid);
        for (qsizetype i = 0; i < cases.size(); ++i)
            second.packages[i].ratings = i % 2 ? std::optional<double>(4.0) : std::nullopt;
        model.setRepos({first, second});
        scene.settle();
        QCOMPARE(cardRows(grid).first().first(), before.first().first());
        checkGridSpacing(grid);

        for (QQuickItem *card : findAll(grid, u"packageCard"_s)) {
            if (!card->isVisible())
                continue;
            const auto &[shown, lines] = cases.at(text(find(card, u"cardName"_s)).mid(16).toInt());
            QQuickItem *description = nullptr;
            for (QQuickItem *child : find(card, u"cardDescription"_s)->childItems())
                description = child->property("lineCount").isValid() ? child : description;
            // As tall as the lines it shows, no line cut, none left blank.
            QCOMPARE(description->property("lineCount").toInt(), lines);
            QCOMPARE(description->height(), description->property("contentHeight").toReal());
            QCOMPARE(description->property("truncated").toBool(), shown == latinLong);
        }

        // An odd count: the last row holds the last card alone.
        model.setRepos({first});
        scene.settle();
        QCOMPARE(grid->property("model").value<QAbstractItemModel *>()->rowCount(), 4);
    }

    void scrollToTopButtonAndTappingACard()
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

        grid->setProperty("contentY", originY + 3000);
        QTRY_VERIFY(button->isVisible() && button->opacity() == 1.0);
        auto *viewModel = screen->findChild<RepoDetailViewModel *>();
        QSignalSpy spinning(viewModel, &RepoDetailViewModel::isButtonAnimatingChanged);
        click(button);
        QTRY_VERIFY(spinning.size() == 2 && !viewModel->isButtonAnimating()); // the feedback is given, and ends
        // Back to the very top: the picker and the count line above the first card show.
        QTRY_COMPARE_WITH_TIMEOUT(grid->property("contentY").toDouble(), grid->property("originY").toDouble(), 2000);
        QVERIFY(sceneRect(find(screen, u"countLine"_s)).top() >= sceneRect(grid).top());

        // A card that is gone opens nothing (a tapped one opens its package in the sheet's case).
        QMetaObject::invokeMethod(grid, "openPackage", Q_ARG(QVariant, 40));
        scene.settle();
        QCOMPARE(scene.depth(), 1);
    }

    // Page Down, End and Home move the focus through a grid of 620 cards, the view with it;
    // a search typed key by key keeps the filters in view, down to no result at all.
    void longJumpsAndTheHeaderWhileSearching()
    {
        QmlScene scene(430, 900);
        QQuickItem *screen = scene.push(u"RepoDetailView"_s, {{u"repo"_s, QVariant::fromValue(sampleRepo(620))}});
        QQuickItem *grid = find(screen, u"packageGrid"_s);
        const auto focusedRow = [&scene] {
            QQuickItem *item = scene.window()->activeFocusItem();
            return item && item->property("packageRow").isValid() ? item->property("packageRow").toInt() : -1;
        };
        const auto inView = [grid, &scene] {
            const QRectF card = sceneRect(scene.window()->activeFocusItem());
            return card.top() >= sceneRect(grid).top() - 1 && card.bottom() <= sceneRect(grid).bottom() + 1;
        };
        QTRY_VERIFY(!findAll(grid, u"packageCard"_s).isEmpty());
        itemsWhere(grid, [](QQuickItem *i) { return i->objectName() == u"packageCard" && i->property("packageRow").toInt() == 0; })
            .first()
            ->forceActiveFocus(Qt::TabFocusReason);
        QCOMPARE(focusedRow(), 0);
        QTest::keyClick(scene.window(), Qt::Key_PageDown);
        const int page = focusedRow();
        QVERIFY2(page >= 2, qPrintable(QString::number(page)));
        QTRY_VERIFY(inView());
        QTest::keyClick(scene.window(), Qt::Key_PageDown);
        QVERIFY(focusedRow() > page);
        QTest::keyClick(scene.window(), Qt::Key_End);
        QCOMPARE(focusedRow(), 619);
        QTRY_VERIFY(inView());
        QTest::keyClick(scene.window(), Qt::Key_PageUp);
        QVERIFY(focusedRow() < 619 && focusedRow() >= 619 - 2 * page);
        QTest::keyClick(scene.window(), Qt::Key_Home);
        QCOMPARE(focusedRow(), 0);
        QTRY_VERIFY(inView());

        grid->setProperty("contentY", grid->property("originY").toDouble() + 3000);
        click(find(screen, u"searchField"_s));
        QQuickItem *count = find(screen, u"countLine"_s);
        for (const char *key = "tool61x"; *key; ++key) {
            QTest::keyClick(scene.window(), *key);
            QTest::qWait(60);
            QVERIFY2(count->isVisible() && sceneRect(count).top() >= sceneRect(grid).top() - 1, key);
        }
        QTRY_COMPARE(grid->property("contentY").toDouble(), grid->property("originY").toDouble());
        QVERIFY(shown(screen, u"noResults"_s));
        QVERIFY(shown(screen, u"architecturePicker"_s));
    }

    void packageScreenTextsAndActions()
    {
        FakePlatform platform;
        QmlScene scene(430, 1600);
        Package p = make("com.example.a-rather-long-name", "iphoneos-arm64");
        QQuickItem *screen = scene.push(u"PackageDetailView"_s, {{u"record"_s, QVariant::fromValue(p)}});
        QVERIFY(screen);
        QCOMPARE(screen->property("title").toString(), u"com.example.a-rather-long-name"_s);
        QCOMPARE(textsOf(screen, {"detailName", "detailSize", "detailArchitecture"}),
                 (QStringList{u"com.example.a-rather..."_s, u"حجم الملف: 1.5 ك.ب"_s, u"البنية: arm64"_s}));
        for (const char *name : {"detailRating", "detailAuthor", "detailSection", "depictionButton"})
            QVERIFY2(!find(screen, QString::fromLatin1(name))->isVisible(), name);
        QVERIFY(!find(screen, u"detailDisplayName"_s)->parentItem()->isVisible());

        platform.handledSchemes.insert(u"https"_s);
        for (const char *button : {"downloadButton", "copyDownloadLinkButton", "copyShareLinkButton"})
            click(find(screen, QString::fromLatin1(button)));
        QTRY_COMPARE(platform.opened, QList<QUrl>{QUrl(u"https://example.org/debs/com.example.a-rather-long-name.deb"_s)});
        QCOMPARE(platform.copied, (QStringList{u"https://example.org/debs/com.example.a-rather-long-name.deb"_s,
                                               u"sileo://package/com.example.a-rather-long-name"_s}));

        // Without Sileo: the alert once the desktop has answered; a second tap meanwhile adds
        // nothing. Its one button closes it.
        QObject *alert = screen->findChild<QObject *>(u"sileoAlert"_s);
        platform.holdAnswers = true;
        platform.asked.clear();
        click(find(screen, u"sileoButton"_s));
        click(find(screen, u"sileoButton"_s));
        QCOMPARE(platform.asked.size(), 1);
        QVERIFY(!alert->property("visible").toBool());
        platform.answerHeld();
        QTRY_VERIFY(alert->property("opened").toBool());
        QCOMPARE(alert->property("title").toString(), u"Sileo غير مثبت"_s);
        QCOMPARE(text(shown(scene.window()->contentItem(), u"alertButton"_s)), u"حسنًا"_s);
        click(shown(scene.window()->contentItem(), u"alertButton"_s));
        QTRY_VERIFY(!alert->property("visible").toBool());
        // Its second button copies the hand-over address.
        click(find(screen, u"sileoButton"_s));
        platform.answerHeld();
        QTRY_VERIFY(alert->property("opened").toBool());
        QCOMPARE(text(shown(scene.window()->contentItem(), u"alertSecondaryButton"_s)), u"نسخ رابط الحزمة"_s);
        click(shown(scene.window()->contentItem(), u"alertSecondaryButton"_s));
        QTRY_VERIFY(!alert->property("visible").toBool());
        QCOMPARE(platform.copied.last(), u"sileo://package/com.example.a-rather-long-name"_s);

        // A download that nothing on the desktop opens says so.
        platform.holdAnswers = false;
        platform.handledSchemes.remove(u"https"_s);
        click(find(screen, u"downloadButton"_s));
        QObject *failed = screen->findChild<QObject *>(u"openAlert"_s);
        QTRY_VERIFY(failed->property("opened").toBool());
        QVERIFY(failed->property("message").toString().endsWith(u"https://example.org/debs/com.example.a-rather-long-name.deb"_s));
        QTest::keyClick(scene.window(), Qt::Key_Escape);
        QTRY_VERIFY(!failed->property("visible").toBool());

        // With Sileo: handed over, no alert.
        platform.handledSchemes.insert(u"sileo"_s);
        click(find(screen, u"sileoButton"_s));
        QTRY_COMPARE(platform.opened.last(), QUrl(u"sileo://package/com.example.a-rather-long-name"_s));
        scene.settle();
        QVERIFY(!alert->property("visible").toBool());

        // What the index says of a package shows.
        platform.opened.clear();
        p = make("com.example.tool", "iphoneos-arm64", 0.5);
        p.extras.set(Extra::DisplayName, "Example Tool");
        p.extras.set(Extra::Author, "Ann <ann@example.org>");
        p.extras.set(Extra::Section, "Tweaks");
        p.extras.set(Extra::DepictionURL, "https://example.org/depictions/tool.html");
        screen = scene.push(u"PackageDetailView"_s, {{u"record"_s, QVariant::fromValue(p)}});
        QVERIFY(screen);
        QCOMPARE(textsOf(screen, {"detailDisplayName", "detailName", "detailAuthor", "detailSection", "detailRatingText", "depictionButton"}),
                 (QStringList{u"Example Tool"_s, u"com.example.tool"_s, u"المطور: Ann <ann@example.org>"_s, u"القسم: Tweaks"_s,
                              u"التقييم: 0.5"_s, u"صفحة الحزمة"_s}));
        QVERIFY(find(screen, u"detailRating"_s)->isVisible());
        QCOMPARE(find(screen, u"detailStars"_s)->childItems().size(), 0 + 1);
        QQuickItem *page = find(screen, u"depictionButton"_s);
        // After the four buttons.
        QVERIFY(page->y() > find(screen, u"copyShareLinkButton"_s)->y());
        platform.handledSchemes.insert(u"https"_s);
        click(page);
        QTRY_COMPARE(platform.opened, QList<QUrl>{QUrl(u"https://example.org/depictions/tool.html"_s)});
    }

    // A card with an icon address of its own loads that picture; one without, or with an
    // address that is not on the web, shows the one picture of every package.
    void cardsShowTheirOwnIconAndDisplayName()
    {
        TestServer server;
        server.serve(u"icons/a.png"_s, TestData::picture());
        Repo repo = sampleRepo(3);
        repo.packages[0].extras.set(Extra::IconURL, server.url(u"icons/a.png"_s).toStdString());
        repo.packages[0].extras.set(Extra::DisplayName, "أداة ألف");
        repo.packages[1].extras.set(Extra::IconURL, "file:///etc/hostname");
        repo.packages[1].extras.set(Extra::DisplayName, "com.example.tool1"); // the same as its name
        QmlScene scene(430, 2400);
        QQuickItem *screen = scene.push(u"RepoDetailView"_s, {{u"repo"_s, QVariant::fromValue(repo)}});
        QVERIFY(screen);
        QVERIFY(server.waitForRequests(1));
        QTRY_VERIFY(std::ranges::any_of(findAll(screen, u"cardImage"_s), [](QQuickItem *image) {
            const auto *picture = image->findChild<CachedImageItem *>();
            return picture && picture->hasImage();
        }));
        QStringList pictures = texts(findAll(screen, u"cardImage"_s), "url");
        QCOMPARE(pictures.count(server.url(u"icons/a.png"_s)), 1);
        QCOMPARE(pictures.count(PackageImage::address()), 2);
        scene.settle(200);
        QCOMPARE(server.totalRequests(), 1);
        QCOMPARE(texts(findAll(screen, u"cardDisplayName"_s)), QStringList{u"أداة ألف"_s});
    }
};

QTEST_MAIN(TestScreens)
#include "tst_screens.moc"
