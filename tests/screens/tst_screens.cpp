#include "fakeplatform.h"
#include "imagecache/cachedimageitem.h"
#include "imagecache/localimage.h"
#include "model/packageimage.h"
#include "model/repostore.h"
#include "qmlscene.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "screens/packagedetail/packagedetailviewmodel.h"
#include "screens/sourcedetail/repodetailviewmodel.h"
#include "sources/packagesparser.h"

#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QImage>
#include <QNetworkProxy>
#include <QQuickItem>
#include <QSignalSpy>
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

QString text(QQuickItem *item)
{
    return item ? item->property("text").toString() : QString();
}

// The cards a grid shows, as they stand in the window, row by row of the grid.
QList<QList<QQuickItem *>> cardRows(QQuickItem *grid)
{
    QList<QQuickItem *> cards = findAll(grid, u"packageCard"_s);
    cards.removeIf([](QQuickItem *card) { return !card->isVisible(); });
    std::sort(cards.begin(), cards.end(), [](QQuickItem *a, QQuickItem *b) {
        return a->mapToScene({}).y() < b->mapToScene({}).y();
    });
    QList<QList<QQuickItem *>> rows;
    for (QQuickItem *card : cards) {
        // Cards of one grid row share their row item.
        if (rows.isEmpty() || rows.last().first()->parentItem() != card->parentItem())
            rows.append(QList<QQuickItem *>());
        rows.last().append(card);
    }
    return rows;
}

QRectF sceneRect(QQuickItem *item)
{
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

// Rows 20 apart, measured between their highest cards; every card in the middle of its row.
void checkGridSpacing(QQuickItem *grid)
{
    const QList<QList<QQuickItem *>> rows = cardRows(grid);
    QVERIFY(rows.size() >= 2);
    double previousBottom = -1;
    for (const QList<QQuickItem *> &row : rows) {
        double top = 1e9, bottom = -1e9;
        for (QQuickItem *card : row) {
            top = std::min(top, sceneRect(card).top());
            bottom = std::max(bottom, sceneRect(card).bottom());
        }
        for (QQuickItem *card : row)
            QVERIFY(std::abs(sceneRect(card).center().y() - (top + bottom) / 2) <= 0.5);
        if (previousBottom >= 0)
            QCOMPARE(qRound(top - previousBottom), 20);
        previousBottom = bottom;
    }
}

// The description of a card: its text and how many lines it shows.
QQuickItem *descriptionText(QQuickItem *card)
{
    for (QQuickItem *child : find(card, u"cardDescription"_s)->childItems()) {
        if (child->property("lineCount").isValid())
            return child;
    }
    return nullptr;
}

QByteArray png()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QStringList texts(const QList<QQuickItem *> &items, const char *property = "text")
{
    QStringList result;
    for (QQuickItem *item : items)
        result << item->property(property).toString();
    return result;
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

    void repoScreenFollowsItsSourceWhileShown()
    {
        QmlScene scene(430, 1400);
        // The package picture comes from the cache; the only requests go to the local server.
        QImage picture(8, 8, QImage::Format_ARGB32);
        picture.fill(Qt::gray);
        QVERIFY(picture.save(imageCacheFilePath(PackageImage::address()), "PNG"));
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
        TestServer server;
        server.setHolding(true);
        server.serve(u"s/Packages"_s, "Package: com.example.new-a\nArchitecture: iphoneos-arm64\n\n"
                                      "Package: com.example.new-b\nArchitecture: iphoneos-arm\n\n"
                                      "Package: com.example.new-c\nArchitecture: iphoneos-arm64\n\n");
        Repo stored;
        stored.name = "متابَع";
        stored.url = server.url(u"s/"_s).toStdString();
        stored.packagesURL = stored.url + "Packages";
        stored.packages = {make("com.example.old", "iphoneos-arm64")};
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
        auto *viewModel = screen->findChild<RepoDetailViewModel *>();
        QCOMPARE(viewModel->selectedArchitecture(), u"arm64"_s);
        QCOMPARE(text(search), u"N"_s);
        scene.settle();
        QStringList names;
        for (QQuickItem *name : findAll(screen, u"cardName"_s))
            names.append(text(name));
        names.sort();
        QCOMPARE(names, (QStringList{u"com.example.new-a"_s, u"com.example.new-c"_s}));

        // Deleted while shown: the screen keeps what it had, and stays usable.
        model.deleteRepo(id);
        scene.settle();
        QCOMPARE(text(find(screen, u"countLine"_s)), u"عدد الملفات: 2"_s);
        QTest::keyClick(scene.window(), Qt::Key_Backspace);
        QCOMPARE(text(find(screen, u"countLine"_s)), u"عدد الملفات: 2"_s);
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, u"127.0.0.1"_s, 9));
    }

    void cardsAreAsTallAsTheirTextsAndRowsKeepTheirSpacing()
    {
        const std::string latinShort = "A tweak.";
        const std::string latinTwo = "Adds a row of handy toggles to the control centre, with a choice of icons.";
        const std::string latinLong = latinTwo + " " + latinTwo + " " + latinTwo;
        const std::string arabicShort = "أداة صغيرة.";
        const std::string arabicTwo = "تضيف صفًا من المفاتيح السريعة إلى مركز التحكم مع اختيار الأيقونات والألوان.";
        const std::string chineseShort = "小工具。";
        const std::string chineseTwo = "在控制中心添加一排快捷开关，可以选择图标和颜色，并且支持自定义排列顺序。";
        struct Case
        {
            std::string description;
            int lines;
            bool rated;
        };
        const QList<Case> cases{{latinShort, 1, true},  {latinTwo, 2, false},    {arabicShort, 1, false},
                                {arabicTwo, 2, true},   {chineseShort, 1, true}, {chineseTwo, 2, false},
                                {latinLong, 2, false}};
        PackageList unrated;
        PackageList rated;
        for (qsizetype i = 0; i < cases.size(); ++i) {
            Package p = make("com.example.card" + std::to_string(i), "iphoneos-arm64");
            p.description = cases.at(i).description;
            unrated.append(p);
            p.ratings = 3.5;
            rated.append(p);
        }
        Repo first;
        first.packages = unrated;
        Repo second;
        second.packages = unrated;
        second.packages.detach(); // its own records, so that a refresh of it is a partial update

        // Two columns, so that rows mix rated and unrated cards.
        QmlScene scene(760, 2400);
        TempDataDir data;
        ContentViewModel model;
        model.setRepos({first, second});
        QQuickItem *grid = scene.push(u"PackageGrid"_s, {{u"packages"_s, QVariant::fromValue(model.allPackages())}});
        QVERIFY(grid);
        QAbstractItemModelTester rowsTester(grid->property("model").value<QAbstractItemModel *>());
        QCOMPARE(grid->property("columns").toInt(), 2);
        checkGridSpacing(grid);

        // A refresh of the second source brings the first rated cards; the first keeps its rows.
        const QList<QList<QQuickItem *>> before = cardRows(grid);
        second.packages = rated;
        for (qsizetype i = 0; i < cases.size(); ++i)
            second.packages[i].ratings = i % 2 ? std::optional<double>(4.0) : std::nullopt;
        model.setRepos({first, second});
        scene.settle();
        QCOMPARE(cardRows(grid).first().first(), before.first().first());
        checkGridSpacing(grid);

        for (QQuickItem *card : findAll(grid, u"packageCard"_s)) {
            if (!card->isVisible())
                continue;
            const int i = text(find(card, u"cardName"_s)).mid(16).toInt();
            QQuickItem *description = descriptionText(card);
            QVERIFY(description);
            // As tall as the lines it shows, no line cut, none left blank.
            QCOMPARE(description->property("lineCount").toInt(), cases.at(i).lines);
            QCOMPARE(description->height(), description->property("contentHeight").toReal());
            QCOMPARE(description->property("truncated").toBool(), cases.at(i).description == latinLong);
        }
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
        auto *viewModel = screen->findChild<RepoDetailViewModel *>();
        QSignalSpy spinning(viewModel, &RepoDetailViewModel::isButtonAnimatingChanged);
        click(button);
        // The feedback may already have ended on a busy machine; it was given.
        QVERIFY(!spinning.isEmpty());
        // The first card comes to the top: the picker and count line above it stay out of view.
        const auto firstCardTop = [&] {
            for (QQuickItem *name : findAll(grid, u"cardName"_s)) {
                if (text(name) == u"com.example.tool0"_s)
                    return qRound(sceneRect(name->parentItem()->parentItem()).top() - sceneRect(grid).top());
            }
            return -1;
        };
        QTRY_COMPARE_WITH_TIMEOUT(firstCardTop(), 0, 2000);
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
        // A card that is gone opens nothing.
        QMetaObject::invokeMethod(find(scene.currentScreen(), u"packageGrid"_s), "openPackage", Q_ARG(QVariant, 3));
        scene.settle();
        QCOMPARE(scene.depth(), 1);

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

    // A card with an icon address of its own loads that picture; one without, or with an
    // address that is not on the web, shows the one picture of every package.
    void cardsShowTheirOwnIconAndDisplayName()
    {
        TestServer server;
        server.serve(u"icons/a.png"_s, png());
        Repo repo = sampleRepo(3);
        repo.packages[0].extras.set(Extra::IconURL, server.url(u"icons/a.png"_s).toStdString());
        repo.packages[0].extras.set(Extra::DisplayName, "أداة ألف");
        repo.packages[1].extras.set(Extra::IconURL, "file:///etc/hostname");
        repo.packages[1].extras.set(Extra::DisplayName, "com.example.tool1"); // the same as its name
        QmlScene scene(430, 2400);
        QQuickItem *screen = scene.push(u"RepoDetailView"_s, {{u"repo"_s, QVariant::fromValue(repo)}});
        QVERIFY(screen);
        QVERIFY(server.waitForRequests(1));
        const auto anyPicture = [screen] {
            const QList<QQuickItem *> images = findAll(screen, u"cardImage"_s);
            return std::any_of(images.cbegin(), images.cend(), [](QQuickItem *image) {
                const auto *picture = image->findChild<CachedImageItem *>();
                return picture && picture->hasImage();
            });
        };
        QTRY_VERIFY(anyPicture());
        QStringList pictures = texts(findAll(screen, u"cardImage"_s), "url");
        pictures.removeAll(QString());
        QCOMPARE(pictures.count(server.url(u"icons/a.png"_s)), 1);
        QCOMPARE(pictures.count(PackageImage::address()), 2);
        scene.settle(200);
        QCOMPARE(server.totalRequests(), 1);

        QList<QQuickItem *> displayNames = findAll(screen, u"cardDisplayName"_s);
        displayNames.removeIf([](QQuickItem *i) { return !i->isVisible(); });
        QCOMPARE(texts(displayNames), QStringList{u"أداة ألف"_s});
    }

    // A real source: the section menu narrows the grid together with the architecture
    // segments and the search, and the count line counts what is shown.
    void sectionMenuWithArchitectureAndSearch()
    {
        REQUIRE_CORPUS(dir);
        const QByteArray text = TestData::readFile(dir + u"/Lessica__lessica.github.io/Packages"_s);
        Repo repo;
        repo.name = "Lessica";
        repo.packages = parsePackages({text.constData(), std::size_t(text.size())}, "");
        const auto expected = [&repo](std::string_view arch, const char *search) {
            return std::count_if(repo.packages.cbegin(), repo.packages.cend(), [&](const Package &p) {
                return p.section() == "Tweaks" && (arch.empty() || p.simplifiedArchitecture() == arch)
                    && QString::fromStdString(p.name).contains(QLatin1StringView(search), Qt::CaseInsensitive);
            });
        };
        QmlScene scene(430, 900);
        QQuickItem *screen = scene.push(u"RepoDetailView"_s, {{u"repo"_s, QVariant::fromValue(repo)}});
        QVERIFY(screen);
        const auto count = [screen] { return find(screen, u"countLine"_s)->property("text").toString(); };
        QCOMPARE(count(), u"عدد الملفات: 620"_s);

        QQuickItem *menuButton = find(screen, u"sectionMenuButton"_s);
        QVERIFY(menuButton);
        QCOMPARE(menuButton->property("text").toString(), u"كل الأقسام"_s);
        click(menuButton);
        QQuickItem *overlay = scene.window()->contentItem();
        QTRY_VERIFY(find(overlay, u"sectionChoice_Tweaks"_s) && find(overlay, u"sectionChoice_Tweaks"_s)->isVisible());
        QCOMPARE(find(overlay, u"sectionChoice_Tweaks"_s)->property("text").toString(), u"Tweaks (442)"_s);
        click(find(overlay, u"sectionChoice_Tweaks"_s));
        QTRY_COMPARE(count(), u"عدد الملفات: 442"_s);
        QCOMPARE(menuButton->property("text").toString(), u"Tweaks"_s);

        click(find(screen, u"segment_arm64e"_s));
        QCOMPARE(count(), u"عدد الملفات: "_s + QString::number(expected("arm64e", "")));
        find(screen, u"searchField"_s)->forceActiveFocus();
        for (const char key : {'T', 'R', 'O', 'L', 'L'})
            QTest::keyClick(scene.window(), key);
        const qsizetype found = expected("arm64e", "troll");
        QVERIFY(found > 0 && found < expected("arm64e", ""));
        QCOMPARE(count(), u"عدد الملفات: "_s + QString::number(found));

        // Back to all sections: the other two filters still hold.
        click(menuButton);
        QTRY_VERIFY(find(overlay, u"sectionChoice_"_s) && find(overlay, u"sectionChoice_"_s)->isVisible());
        click(find(overlay, u"sectionChoice_"_s));
        QTRY_VERIFY(count() != u"عدد الملفات: "_s + QString::number(found));
        QCOMPARE(menuButton->property("text").toString(), u"كل الأقسام"_s);
    }

    void packageScreenShowsWhatTheIndexSays()
    {
        FakePlatform platform;
        QmlScene scene(430, 1600);
        Package p = make("com.example.tool", "iphoneos-arm64");
        p.extras.set(Extra::DisplayName, "Example Tool");
        p.extras.set(Extra::Author, "Ann <ann@example.org>");
        p.extras.set(Extra::Section, "Tweaks");
        p.extras.set(Extra::DepictionURL, "https://example.org/depictions/tool.html");
        QQuickItem *screen = scene.push(u"PackageDetailView"_s, {{u"record"_s, QVariant::fromValue(p)}});
        QVERIFY(screen);
        QCOMPARE(find(screen, u"detailDisplayName"_s)->property("text").toString(), u"Example Tool"_s);
        QCOMPARE(find(screen, u"detailName"_s)->property("text").toString(), u"com.example.tool"_s);
        QCOMPARE(find(screen, u"detailAuthor"_s)->property("text").toString(), u"المطور: Ann <ann@example.org>"_s);
        QCOMPARE(find(screen, u"detailSection"_s)->property("text").toString(), u"القسم: Tweaks"_s);
        QQuickItem *page = find(screen, u"depictionButton"_s);
        QCOMPARE(page->property("text").toString(), u"صفحة الحزمة"_s);
        // After the four buttons.
        QVERIFY(page->y() > find(screen, u"copyShareLinkButton"_s)->y());
        click(page);
        QCOMPARE(platform.opened, QList<QUrl>{QUrl(u"https://example.org/depictions/tool.html"_s)});

        // Without the extras the screen is the one of the eight fields.
        QQuickItem *plain = scene.push(u"PackageDetailView"_s,
                                       {{u"record"_s, QVariant::fromValue(make("com.example.tool", "arm"))}});
        for (const char *name : {"detailAuthor", "detailSection", "depictionButton"})
            QVERIFY2(!find(plain, QString::fromLatin1(name))->isVisible(), name);
        QVERIFY(!find(plain, u"detailDisplayName"_s)->parentItem()->isVisible());
    }

    void depictionButtonOpensOnlyWebAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("opens");
        QTest::newRow("https") << u"https://example.org/p/"_s << true;
        QTest::newRow("http, upper-case scheme") << u"HTTP://example.org/p"_s << true;
        QTest::newRow("local file") << u"file:///etc/passwd"_s << false;
        QTest::newRow("other application") << u"sileo://package/x"_s << false;
        QTest::newRow("script") << u"javascript:alert(1)"_s << false;
        QTest::newRow("relative") << u"depictions/p.html"_s << false;
        QTest::newRow("no host") << u"https:///p"_s << false;
        QTest::newRow("prose around an address") << u"see https://example.org/p"_s << false;
        QTest::newRow("empty") << QString() << false;
    }
    void depictionButtonOpensOnlyWebAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, opens);
        FakePlatform platform;
        QmlScene scene(430, 1600);
        Package p = make("x", "arm");
        p.extras.set(Extra::DepictionURL, address.toStdString());
        QQuickItem *screen = scene.push(u"PackageDetailView"_s, {{u"record"_s, QVariant::fromValue(p)}});
        QQuickItem *button = find(screen, u"depictionButton"_s);
        QCOMPARE(button->isVisible(), opens);
        if (opens)
            click(button);
        else
            screen->findChild<PackageDetailViewModel *>()->openDepiction();
        QCOMPARE(platform.opened.size(), opens ? 1 : 0);
        if (opens)
            QCOMPARE(platform.opened.first().toString(), address.replace(u"HTTP"_s, u"http"_s));
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
