#include "model/repostore.h"
#include "qmlscene.h"
#include "records.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "screens/packagegrid/packagelistmodel.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QPointingDevice>
#include <QtQml/QQmlExtensionPlugin>

#include <memory>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

using namespace Qt::StringLiterals;

namespace {

Repo source(const char *name, bool pinned, bool fixed)
{
    Repo repo;
    repo.name = name;
    repo.url = std::string("https://") + name + ".example/";
    repo.packagesURL = "not an address"; // the refresh fails at once, without a request
    repo.isPinned = pinned;
    repo.isFixed = fixed;
    return repo;
}

bool startOn(AppWindow &app, const RepoList &list)
{
    // Every refresh fails at once, and its alert shows.
    return app.start(list, [&] { return app.model->repos().size() == list.size() && app.model->showAlert(); });
}

QByteArray stored(const AppWindow &app)
{
    app.model->waitForPendingWrites();
    return TestData::readFile(app.data.filePath(u"savedRepos"_s));
}

const Repo *repoNamed(const AppWindow &app, const char *name)
{
    const auto &repos = app.model->repos();
    const auto it = std::find_if(repos.cbegin(), repos.cend(), [name](const Repo &r) { return r.name == name; });
    return it != repos.cend() ? &*it : nullptr;
}

bool isPinned(const AppWindow &app, const char *name)
{
    return repoNamed(app, name) && repoNamed(app, name)->isPinned;
}

// Drags sideways across a row by dx, in steps, with the mouse or a finger; by none, a tap.
void swipe(QQuickWindow *window, QPointingDevice *touch, QPoint from, int dx)
{
    const int steps = dx ? std::max(4, std::abs(dx) / 10) : 0;
    if (touch)
        QTest::touchEvent(window, touch).press(0, from, window);
    else
        QTest::mousePress(window, Qt::LeftButton, {}, from);
    for (int i = 1; i <= steps; ++i) {
        const QPoint at = from + QPoint(dx * i / steps, 0);
        if (touch)
            QTest::touchEvent(window, touch).move(0, at, window);
        else
            QTest::mouseMove(window, at, 5);
        QTest::qWait(5);
    }
    if (touch)
        QTest::touchEvent(window, touch).release(0, from + QPoint(dx, 0), window);
    else
        QTest::mouseRelease(window, Qt::LeftButton, {}, from + QPoint(dx, 0));
}

// The row's offset once its closing or opening movement (200 ms) has ended.
double settledOffset(QQuickItem *row)
{
    QTest::qWait(300);
    const auto offset = [row] { return row->property("offset").toDouble(); };
    return QTest::qWaitFor([&] { return offset() == 0 || std::abs(offset()) == 88; }) ? offset() : -1;
}

// Drags from the point by `by`, in steps, with the mouse button held.
void drag(QQuickWindow *window, QPoint from, QPoint by)
{
    QTest::mousePress(window, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 10; ++step)
        QTest::mouseMove(window, from + by * step / 10, 16);
    QTest::mouseRelease(window, Qt::LeftButton, {}, from + by, 16);
}

} // namespace

class TestContentView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // As the application's entry point sets it.
        QGuiApplication::setLayoutDirection(Qt::RightToLeft);
    }

    void sectionsHeadersAndSearch()
    {
        AppWindow app;
        QVERIFY(startOn(app, {source("fixed", true, true), source("mine", true, false), source("other", false, false)}));
        QQuickItem *pinnedHeader = find(app.root(), u"pinnedHeader"_s);
        QCOMPARE(text(pinnedHeader), u"المثبتة (2)"_s);
        QCOMPARE(text(find(app.root(), u"sourcesHeader"_s)), u"السورسات (1)"_s);
        QCOMPARE(text(find(app.root(), u"principalTitle"_s)), u"Vexlo \uF8FF"_s);

        // Every source failed: the one alert shows the last message; its button closes it.
        auto *alert = app.window->findChild<QObject *>(u"alert"_s);
        QCOMPARE(alert->property("message").toString(), app.model->alertMessage());
        click(find(app.root(), u"alertButton"_s));
        QTRY_VERIFY(!app.model->showAlert());

        // A search typed into the field hides rows but leaves the counts.
        click(find(app.root(), u"searchField"_s));
        for (const char key : {'M', 'I', 'N', 'E'})
            QTest::keyClick(app.window, key);
        QCOMPARE(app.model->searchText(), u"MINE"_s);
        QTRY_COMPARE(itemsWhere(find(app.root(), u"pinnedSection"_s), [](QQuickItem *i) { return i->property("isSourceRow").toBool(); }).size(), 1);
        QVERIFY(!app.row("other"));
        QCOMPARE(text(pinnedHeader), u"المثبتة (2)"_s);

        click(find(app.root(), u"addButton"_s));
        QVERIFY(app.model->showingAddRepo());
    }

    void swipeActions_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::newRow("mouse") << false;
        QTest::newRow("touch") << true;
    }
    void swipeActions()
    {
        QFETCH(bool, touch);
        std::unique_ptr<QPointingDevice> finger(touch ? QTest::createTouchDevice() : nullptr);
        AppWindow app;
        QVERIFY(startOn(app, {source("fixed", true, true), source("mine", true, false), source("other", false, false),
                           source("spare", false, false)}));
        QTest::keyClick(app.window, Qt::Key_Escape);
        QTRY_VERIFY(!app.window->findChild<QObject *>(u"alert"_s)->property("visible").toBool());
        const QByteArray before = stored(app);

        // A fixed pinned source has no actions: it does not move either way.
        QQuickItem *fixed = app.row("fixed");
        for (int dx : {-120, 120, -300}) {
            swipe(app.window, finger.get(), centreOf(fixed), dx);
            QCOMPARE(settledOffset(fixed), 0.0);
        }

        // A short drag acts on nothing: a few points close again, more uncover the buttons.
        QQuickItem *other = app.row("other");
        const QRectF rowRect = sceneRect(other);
        swipe(app.window, finger.get(), centreOf(other), -20);
        QCOMPARE(settledOffset(other), 0.0);
        swipe(app.window, finger.get(), centreOf(other), -50);
        QCOMPARE(settledOffset(other), -88.0);
        // Leading is the right edge: the pin button fills what the content uncovered there.
        QQuickItem *pin = find(other, u"pinAction"_s);
        QVERIFY(pin->isVisible());
        QCOMPARE(text(pin), u"تثبيت"_s);
        QCOMPARE(sceneRect(pin), QRectF(rowRect.right() - 88, rowRect.top(), 88, rowRect.height()));
        QVERIFY(!find(other, u"deleteAction"_s)->isVisible());
        // A tap elsewhere closes it, and only closes it.
        swipe(app.window, finger.get(), centreOf(fixed), 0);
        QCOMPARE(settledOffset(other), 0.0);
        QCOMPARE(stored(app), before);

        // The trailing (left) edge holds delete; swiping back closes the row.
        swipe(app.window, finger.get(), centreOf(other), 120);
        QCOMPARE(settledOffset(other), 88.0);
        QQuickItem *del = find(other, u"deleteAction"_s);
        QCOMPARE(sceneRect(del), QRectF(rowRect.left(), rowRect.top(), 88, rowRect.height()));
        QCOMPARE(text(del), u"حذف"_s);
        swipe(app.window, finger.get(), centreOf(other) + QPoint(88, 0), -80);
        QCOMPARE(settledOffset(other), 0.0);
        QCOMPARE(stored(app), before);
        QVERIFY(repoNamed(app, "other") && !isPinned(app, "other"));

        // A tap on an uncovered button runs it, and writes the list.
        swipe(app.window, finger.get(), centreOf(other), -120);
        QCOMPARE(settledOffset(other), -88.0);
        swipe(app.window, finger.get(), centreOf(find(other, u"pinAction"_s)), 0);
        QTRY_VERIFY(isPinned(app, "other"));
        QVERIFY(stored(app) != before);
        QVERIFY(RepoStore::loadRepos()->at(2).isPinned);

        // A full swipe runs the first action at once: unpin in the pinned section ...
        QTRY_VERIFY(app.row("mine"));
        swipe(app.window, finger.get(), centreOf(app.row("mine")), -int(rowRect.width() * 0.8));
        QTRY_VERIFY(!isPinned(app, "mine"));
        // ... where nothing is uncovered on the trailing side ...
        QTRY_VERIFY(app.row("other"));
        swipe(app.window, finger.get(), centreOf(app.row("other")), 150);
        QCOMPARE(settledOffset(app.row("other")), 0.0);
        // ... and delete in the sources section.
        QTRY_VERIFY(app.row("spare"));
        swipe(app.window, finger.get(), centreOf(app.row("spare")), int(rowRect.width() * 0.8));
        QTRY_VERIFY(!repoNamed(app, "spare"));
        stored(app);
        QCOMPARE(RepoStore::loadRepos()->size(), 3);
        QVERIFY(!RepoStore::loadRepos()->at(1).isPinned);
    }

    // A delete is written at once and can be taken back while its bar shows: "تراجع" or
    // Ctrl+Z put the same record back where it was, and write the list again.
    void deleteCanBeUndone()
    {
        Repo other = source("other", false, false);
        other.packages = {package("com.example.one"), package("com.example.two")};
        AppWindow app;
        QVERIFY(startOn(app, {source("fixed", true, true), source("spare", false, false), other, source("last", false, false)}));
        QTest::keyClick(app.window, Qt::Key_Escape);
        QTRY_VERIFY(!app.model->showAlert());
        QQuickItem *bar = find(app.root(), u"undoBar"_s);
        QVERIFY(!bar->isVisible());
        const auto names = [&app] {
            QStringList list;
            for (const Repo &r : app.model->repos())
                list.append(QString::fromStdString(r.name));
            return list;
        };
        const QStringList all = names();
        const auto storedNames = [&app] {
            stored(app);
            QStringList list;
            for (const Repo &r : RepoStore::loadRepos().value_or(RepoList{}))
                list.append(QString::fromStdString(r.name));
            return list;
        };

        for (const bool byKey : {false, true}) {
            QQuickItem *row = app.row("other");
            swipe(app.window, nullptr, centreOf(row), int(sceneRect(row).width() * 0.8));
            QTRY_VERIFY(!repoNamed(app, "other"));
            QTRY_VERIFY(bar->isVisible());
            QCOMPARE(bar->property("text").toString(), u"تم حذف السورس «other»"_s);
            // Already stored: a process ended now keeps the delete.
            QCOMPARE(storedNames(), (QStringList{u"fixed"_s, u"spare"_s, u"last"_s}));
            if (byKey)
                QTest::keyClick(app.window, Qt::Key_Z, Qt::ControlModifier);
            else
                click(find(bar, u"messageBarAction"_s));
            QTRY_COMPARE(names(), all);
            const Repo &back = app.model->repos().at(2);
            QCOMPARE(back.id, other.id);
            QCOMPARE(back.packages.size(), 2);
            QVERIFY(!bar->isVisible());
            QCOMPARE(storedNames(), all);
            // The restored row has the focus again, whichever way the delete was taken back.
            QTRY_VERIFY(app.row("other") && app.row("other")->hasActiveFocus());
        }

        // Once the bar has gone, the delete stays; the pointer on the bar holds it.
        bar->setProperty("duration", 300);
        app.model->deleteRepo(app.model->repos().at(1).id.toString());
        QTRY_VERIFY(bar->isVisible());
        QTest::mouseMove(app.window, centreOf(bar) + QPoint(-1, 0));
        QTest::mouseMove(app.window, centreOf(bar));
        QTest::qWait(600);
        QVERIFY(bar->isVisible());
        QTest::mouseMove(app.window, QPoint(5, 5));
        QTRY_VERIFY(!bar->isVisible());
        QTest::keyClick(app.window, Qt::Key_Z, Qt::ControlModifier);
        QTest::qWait(50);
        QCOMPARE(names(), (QStringList{u"fixed"_s, u"other"_s, u"last"_s}));
    }

    // The toolbar shows a refresh while any runs, and says so; a source's own screen shows
    // its refresh under the header. The last end, a failure included, stops it.
    void refreshShowsWhileItRuns()
    {
        QAccessible::setActive(true); // as a reader would
        TestServer server;
        server.serve(u"a/Packages"_s, "Package: com.example.one\n\n");
        server.serve(u"b/Packages"_s, "gone", 404);
        server.setHolding(true);
        RepoList list;
        for (const char *name : {"a", "b"}) {
            Repo repo = source(name, false, false);
            repo.url = server.url(QString::fromLatin1(name) + u'/').toStdString();
            repo.packagesURL = repo.url + "Packages";
            list.append(repo);
        }
        AppWindow app;
        QVERIFY(app.start(list, [&] { return app.model->repos().size() == 2 && server.heldCount() == 2; }));
        QQuickItem *button = find(app.root(), u"refreshButton"_s);
        const auto busy = [button] { return button->property("busy").toBool(); };
        QVERIFY(busy());
        QCOMPARE(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name), u"تحديث، جارٍ التحديث"_s);
        // The row's bar has no size to go by yet.
        QVERIFY(find(app.row("a"), u"updateProgressBar"_s)->property("indeterminate").toBool());

        click(app.row("a"));
        QTRY_COMPARE(app.depth(), 2);
        QTRY_VERIFY(shown(app.root(), u"sourceRefreshBar"_s));
        // A second press starts a second refresh beside the first.
        app.key(Qt::Key_Escape);
        QTRY_COMPARE(app.depth(), 1);
        QTRY_VERIFY(!app.stack()->property("busy").toBool());
        click(button);
        QTRY_COMPARE(server.heldCount(), 4);
        server.releaseOne(u"a/Packages"_s);
        QTRY_COMPARE(app.model->repos().at(0).packages.size(), 1);
        QVERIFY(busy());
        // Its error page sends the fetch on to the compressed names, which fail too.
        server.setHolding(false);
        server.release();
        QTRY_VERIFY(!busy());
        QCOMPARE(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name), u"تحديث"_s);
        QVERIFY(app.model->showAlert());
    }

    void contextMenuAndKeyboard()
    {
        AppWindow app;
        QVERIFY(startOn(app, {source("fixed", true, true), source("mine", true, false), source("other", false, false),
                           source("spare", false, false), source("unpinned fixed", false, true)}));
        // Enter closes the alert.
        QTest::keyClick(app.window, Qt::Key_Return);
        QTRY_VERIFY(!app.window->findChild<QObject *>(u"alert"_s)->property("visible").toBool());
        const auto menuItems = [&app] { return shownMenuItems(app.root()); };

        // A right click offers the actions of every row, then the row's swipe actions; a fixed
        // source shows those disabled, and says why.
        const QStringList always{u"تحديث هذا السورس"_s, u"نسخ العنوان"_s};
        QTest::mouseClick(app.window, Qt::RightButton, {}, centreOf(app.row("fixed")));
        QTRY_COMPARE(menuItems(), (always + QStringList{u"سورس ثابت"_s, u"إلغاء التثبيت"_s, u"حذف"_s}));
        QVERIFY(!find(app.root(), u"deleteMenuItem"_s)->isEnabled());
        QTest::qWait(400); // the opening transition
        click(find(app.root(), u"deleteMenuItem"_s));
        QTest::keyClick(app.window, Qt::Key_Escape);
        QTRY_VERIFY(menuItems().isEmpty());
        QVERIFY(repoNamed(app, "fixed"));
        QTest::mouseClick(app.window, Qt::RightButton, {}, centreOf(app.row("mine")));
        QTRY_COMPARE(menuItems(), always + QStringList{u"إلغاء التثبيت"_s});
        QTest::keyClick(app.window, Qt::Key_Escape);
        QTRY_VERIFY(menuItems().isEmpty());
        QTest::mouseClick(app.window, Qt::RightButton, {}, centreOf(app.row("spare")));
        QTRY_COMPARE(menuItems(), (always + QStringList{u"تثبيت"_s, u"حذف"_s}));
        QTest::qWait(400); // the opening transition
        click(find(app.root(), u"deleteMenuItem"_s));
        QTRY_VERIFY(!repoNamed(app, "spare"));
        // Out of the pinned section, a fixed source may be pinned again.
        QTest::mouseClick(app.window, Qt::RightButton, {}, centreOf(app.row("unpinned fixed")));
        QTRY_VERIFY(menuItems().contains(u"تثبيت"_s));
        QTest::keyClick(app.window, Qt::Key_Escape);
        QTRY_VERIFY(menuItems().isEmpty());

        // A long press does the same on a touch screen.
        std::unique_ptr<QPointingDevice> finger(QTest::createTouchDevice());
        const QPoint at = centreOf(app.row("other"));
        QTest::touchEvent(app.window, finger.get()).press(0, at, app.window);
        QTest::qWait(1200);
        QTest::touchEvent(app.window, finger.get()).release(0, at, app.window);
        QTRY_COMPARE(menuItems(), (always + QStringList{u"تثبيت"_s, u"حذف"_s}));
        QTest::qWait(400); // the opening transition
        click(find(app.root(), u"pinMenuItem"_s));
        QTRY_VERIFY(isPinned(app, "other"));
        QTRY_VERIFY(menuItems().isEmpty());

        // The keyboard (Tab and Enter are driven in the accessibility test): arrows move between
        // the rows, the Menu key opens the menu.
        app.row("mine")->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(app.window, Qt::Key_Down);
        QVERIFY(app.row("other")->hasActiveFocus());
        QTest::keyClick(app.window, Qt::Key_Up);
        QVERIFY(app.row("mine")->hasActiveFocus());
        QTest::keyClick(app.window, Qt::Key_Menu);
        QTRY_COMPARE(menuItems(), always + QStringList{u"إلغاء التثبيت"_s});
        QTest::keyClick(app.window, Qt::Key_Escape);
        QTRY_VERIFY(menuItems().isEmpty());
        // Opened from the keyboard, the menu starts on its first item: two steps down is the pin.
        QTest::keyClick(app.window, Qt::Key_Menu);
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return})
            QTest::keyClick(app.window, key);
        QTRY_VERIFY(!isPinned(app, "mine"));
        QTRY_VERIFY(app.row("mine")->hasActiveFocus());
    }

    // A long alert keeps its button on screen; the magnifier and separators sit right to left.
    void placement()
    {
        AppWindow app;
        QVERIFY(startOn(app, {source("mine", true, false), source("other", true, false)}));
        QTest::keyClick(app.window, Qt::Key_Escape);
        QTRY_VERIFY(!app.window->findChild<QObject *>(u"alert"_s)->property("visible").toBool());
        QStringList lines;
        for (int i = 0; i < 40; ++i)
            lines.append(u"فشل في جلب البيانات: http://127.0.0.1:8801/nothere/"_s + QString::number(i));
        app.model->setAlertMessage(lines.join(u'\n'));
        app.model->setShowAlert(true);
        QQuickItem *button = find(app.root(), u"alertButton"_s);
        QTRY_VERIFY(button && button->isVisible());
        QTest::qWait(300); // the opening transition
        QVERIFY2(QRectF(0, 0, app.window->width(), app.window->height()).contains(sceneRect(button)), "the button is off screen");
        QQuickItem *area = find(app.root(), u"alertMessageArea"_s);
        QVERIFY(area->property("contentHeight").toDouble() > area->height());
        // As wide as the window leaves, up to 560.
        QCOMPARE(sceneRect(area->parentItem()).width(), std::min(560.0, app.window->width() - 48.0));
        // The keyboard reads it to its last line and back.
        const auto top = [area] { return area->property("contentY").toDouble(); };
        const double bottom = area->property("contentHeight").toDouble() - area->height();
        QTest::keyClick(app.window, Qt::Key_End);
        QCOMPARE(top(), bottom);
        QTest::keyClick(app.window, Qt::Key_Down);
        QCOMPARE(top(), bottom);
        QTest::keyClick(app.window, Qt::Key_Home);
        QCOMPARE(top(), 0.0);
        QTest::keyClick(app.window, Qt::Key_PageDown);
        QVERIFY(top() > 0);
        QTest::keyClick(app.window, Qt::Key_Up);
        QTest::keyClick(app.window, Qt::Key_PageUp);
        QCOMPARE(top(), 0.0);
        // Its text copies, all of it when nothing is selected.
        QTest::keyClick(app.window, Qt::Key_C, Qt::ControlModifier);
        QVERIFY2(QGuiApplication::clipboard()->text().contains(lines.last()), qPrintable(QGuiApplication::clipboard()->text()));
        // The keypad's Enter closes it too (Return, Escape and a click elsewhere).
        QTest::keyClick(app.window, Qt::Key_Enter);
        QTRY_VERIFY(!app.model->showAlert());

        // The magnifier at the right end of the search field (the sheets share the control).
        QQuickItem *field = find(app.root(), u"searchField"_s);
        const QRectF magnifier = sceneRect(find(field, u"searchMagnifier"_s));
        QVERIFY(magnifier.left() > sceneRect(field).center().x() && magnifier.right() < sceneRect(field).right());
        QVERIFY(field->property("rightPadding").toDouble() > field->property("leftPadding").toDouble());

        // A separator starts beside the text: inset on the right, where the icon is.
        QQuickItem *second = app.row("other");
        QQuickItem *separator = find(second, u"rowSeparator"_s);
        QVERIFY(separator->isVisible());
        const QRectF rowRect = sceneRect(second);
        const QRectF line = sceneRect(separator);
        QCOMPARE(line.left(), rowRect.left());
        QCOMPARE(line.right(), rowRect.right() - 74);
        QVERIFY(!find(app.row("mine"), u"rowSeparator"_s)->isVisible());
    }
    // Started with a link, the window opens the add sheet filled with its address.
    void startedWithALinkOpensTheAddSheet()
    {
        AppWindow app;
        app.engine.setInitialProperties({{u"launchArguments"_s, QStringList{u"vexlo://add?url=https://a.example/"_s}}});
        QVERIFY(app.start({}, [&app] { return app.model->showingAddRepo(); }));
        QTRY_COMPARE(text(find(app.root(), u"addressField"_s)), u"https://a.example/"_s);
    }

    void addSheetControlsFollowTheTextAndTheBatch()
    {
        AppWindow app;
        QVERIFY(app.start({}, [&app] { return app.model->hasUpdatedRepos(); }));
        TestServer server;
        server.serve(u"a/Packages"_s, "Package: one\n\n");
        server.setHolding(true);
        QObject *sheet = app.window->findChild<QObject *>(u"addRepoSheet"_s);
        app.model->setShowingAddRepo(true);
        QTRY_VERIFY(sheet->property("opened").toBool());
        QQuickItem *content = sheet->property("contentItem").value<QQuickItem *>();
        QQuickItem *save = find(content, u"saveButton"_s);
        QQuickItem *clear = find(content, u"clearButton"_s);
        QQuickItem *busy = find(content, u"busyIndicator"_s);
        QQuickItem *field = find(content, u"addressField"_s);
        QCOMPARE(text(find(content, u"sheetTitle"_s)), u"إضافة سورس جديد"_s);
        const auto controls = [&] { return QList<bool>{save->isEnabled(), clear->isVisible(), busy->isVisible()}; };
        QCOMPARE(controls(), (QList<bool>{false, false, false}));
        QTest::keyClick(app.window, 'x');
        QCOMPARE(text(field), u"x"_s);
        QCOMPARE(controls(), (QList<bool>{true, true, false}));
        QTest::keyClick(app.window, Qt::Key_Tab);
        QVERIFY(clear->hasActiveFocus());
        QTest::keyClick(app.window, Qt::Key_Return);
        QCOMPARE(text(field), QString());
        QCOMPARE(controls(), (QList<bool>{false, false, false}));
        QVERIFY(field->hasActiveFocus());

        // A pasted text keeps its line breaks.
        field->setProperty("text", QString(server.url(u"a"_s) + u"\n"_s));
        click(save);
        QCOMPARE(controls(), (QList<bool>{false, true, true}));
        QVERIFY(server.waitForRequests(1));
        server.release();
        QTRY_VERIFY(!sheet->property("visible").toBool());
        QVERIFY(!app.model->showingAddRepo());
        QCOMPARE(app.model->repos().size(), 1);
        QCOMPARE(app.model->alertMessage(), u"تم إضافة السورسات بنجاح"_s);

        // The alert that tells the outcome has the keys, not the control the sheet returns to.
        app.key(Qt::Key_Escape);
        QTRY_VERIFY(!app.model->showAlert());
        // Opened again: empty.
        app.model->setShowingAddRepo(true);
        QTRY_VERIFY(sheet->property("opened").toBool());
        QCOMPARE(text(field), QString());
    }

    void allPackagesSheetSharesTheSearch()
    {
        AppWindow app;
        QVERIFY(app.start({}, [&app] { return app.model->hasUpdatedRepos(); }));
        app.model->setRepos({repoOf("a", {package("alpha"), package("alps"), package("beta")}),
                             repoOf("b", {package("gamma"), package("delta")})});
        QObject *sheet = app.window->findChild<QObject *>(u"allPackagesSheet"_s);
        app.model->setShowAllPackages(true);
        QTRY_VERIFY(sheet->property("opened").toBool());
        QQuickItem *content = sheet->property("contentItem").value<QQuickItem *>();
        QQuickItem *title = find(content, u"sheetTitle"_s);
        QQuickItem *search = find(content, u"searchField"_s);
        const auto texts = [&] { return QStringList{text(title), text(find(content, u"countLine"_s))}; };
        QTRY_COMPARE(texts(), (QStringList{u"جميع الحزم (5)"_s, u"عدد الحزم: 5"_s}));
        QCOMPARE(search->property("placeholderText").toString(), u"ابحث عن الحزم"_s);

        search->forceActiveFocus();
        for (const char key : {'A', 'L', 'P'})
            QTest::keyClick(app.window, key);
        QCOMPARE(app.model->searchText(), u"ALP"_s);
        QTRY_COMPARE(texts(), (QStringList{u"جميع الحزم (2)"_s, u"عدد الحزم: 2"_s}));
        app.model->setSearchText(u"a"_s); // typed on the main screen
        QCOMPARE(text(search), u"a"_s);
        QTRY_COMPARE(text(title), u"جميع الحزم (5)"_s);

        // A card opens its package inside the sheet; back returns to the same search.
        QObject *stack = sheet->property("stackView").value<QObject *>();
        const QList<QQuickItem *> names = findAll(content, u"cardName"_s);
        const auto alpha = std::find_if(names.begin(), names.end(), [](QQuickItem *i) { return text(i) == u"alpha"_s; });
        QVERIFY(alpha != names.end());
        click(*alpha);
        QTRY_COMPARE(stack->property("depth").toInt(), 2);
        QTRY_COMPARE(text(title), u"alpha"_s);
        QTRY_VERIFY(!stack->property("busy").toBool());
        click(find(content, u"backButton"_s));
        QTRY_COMPARE(stack->property("depth").toInt(), 1);
        QTRY_COMPARE(text(title), u"جميع الحزم (5)"_s);
        QTRY_VERIFY(!stack->property("busy").toBool()); // the way back has ended

        // Dragging the grid up scrolls it; the sheet stays.
        QQuickItem *grid = find(content, u"packageGrid"_s);
        drag(app.window, grid->mapToScene(QPointF(grid->width() / 2, grid->height() * 0.8)).toPoint(), {0, -400});
        QTRY_VERIFY(grid->property("contentY").toDouble() > grid->property("originY").toDouble() + 100);
        QVERIFY(sheet->property("opened").toBool());
        // Dragged down by its top: closed, and the main screen keeps the search.
        drag(app.window, find(app.root(), u"grabStrip"_s)->mapToScene(QPointF(100, 20)).toPoint(), {0, 400});
        QTRY_VERIFY(!app.model->showAllPackages());
        QCOMPARE(app.model->searchText(), u"a"_s);
    }

    // After a refresh that brings news, the row counts them; Ctrl+U lists them under "اليوم"
    // and Enter opens one. The source screen's order menu puts them first, marked, and the
    // choice stays for the next source screen of the run.
    void whatIsNewOnScreen()
    {
        TestServer server;
        server.serve(u"s/Packages"_s, "Package: a\nVersion: 1\n\nPackage: b\nVersion: 1\n");
        Repo repo = source("s", false, false);
        repo.url = server.url(u"s/"_s).toStdString();
        repo.packagesURL = repo.url + "Packages";
        AppWindow app;
        QVERIFY(app.start({repo}, [&app] { return repoNamed(app, "s") && repoNamed(app, "s")->packages.size() == 2; }));
        server.serve(u"s/Packages"_s, "Package: a\nVersion: 1\n\nPackage: b\nVersion: 1.1-8\nArchitecture: iphoneos-arm64\n\nPackage: c\nVersion: 1\n");
        app.key(Qt::Key_R, Qt::ControlModifier);
        QTRY_COMPARE(repoNamed(app, "s")->packages.size(), 3);
        QTRY_COMPARE(text(shown(app.row("s"), u"newCountLabel"_s)), u"جديد: 2"_s);

        app.key(Qt::Key_U, Qt::ControlModifier);
        QTRY_COMPARE(app.depth(), 2);
        QTRY_COMPARE(findAll(app.root(), u"updateEntry"_s).size(), 2);
        QCOMPARE(text(find(app.root(), u"dayHeader"_s)), u"اليوم"_s);
        const QString fsi(QChar(0x2068)), pdi(QChar(0x2069));
        QStringList details;
        for (QQuickItem *detail : findAll(app.root(), u"entryDetail"_s))
            details << detail->property("text").toString();
        details.sort();
        QCOMPARE(details, (QStringList{u"الإصدار: "_s + fsi + u"1.1-8"_s + pdi + u" · "_s + fsi + u"arm64"_s + pdi + u" · "_s + fsi + u"s"_s + pdi,
                                       u"الإصدار: "_s + fsi + u"1"_s + pdi + u" · "_s + fsi + u"arm"_s + pdi + u" · "_s + fsi + u"s"_s + pdi}));
        app.key(Qt::Key_Return);
        QTRY_COMPARE(app.depth(), 3);
        QCOMPARE(app.stack()->property("currentItem").value<QObject *>()->property("title").toString(), u"b"_s);
        app.key(Qt::Key_Escape);
        QTRY_COMPARE(app.depth(), 2);
        app.key(Qt::Key_Escape);
        QTRY_COMPARE(app.depth(), 1);

        const auto openSource = [&app] {
            QTRY_VERIFY(!app.stack()->property("busy").toBool());
            click(app.row("s"));
            QTRY_COMPARE(app.depth(), 2);
            QTRY_VERIFY(!app.stack()->property("busy").toBool());
        };
        openSource();
        // From the keyboard the menu starts on the chosen order; the next one is a step down.
        shown(app.root(), u"orderMenuButton"_s)->forceActiveFocus(Qt::TabFocusReason);
        for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Down, Qt::Key_Return})
            app.key(key);
        const auto cards = [&app] {
            const auto *packages = shown(app.root(), u"packageGrid"_s)->property("packages").value<PackageListModel *>();
            QStringList names;
            for (int row = 0; row < packages->rowCount(); ++row)
                names << packages->index(row).data(PackageListModel::NameRole).toString() + u' '
                        + packages->index(row).data(PackageListModel::MarkRole).toString();
            return names;
        };
        QTRY_COMPARE(cards(), (QStringList{u"b مُحدَّث"_s, u"c جديد"_s, u"a "_s}));
        const auto shownMarks = [&app] {
            QStringList marks;
            for (QQuickItem *mark : findAll(app.root(), u"cardMark"_s))
                if (mark->isVisible())
                    marks << text(mark);
            marks.sort();
            return marks;
        };
        QTRY_COMPARE(shownMarks(), (QStringList{u"جديد"_s, u"مُحدَّث"_s}));
        // Opened again, the menu starts on that order: Return keeps it.
        app.key(Qt::Key_Space);
        QTRY_VERIFY(shown(app.root(), u"orderChoice_1"_s)->hasActiveFocus());
        app.key(Qt::Key_Return);
        QTRY_VERIFY(!shown(app.root(), u"orderChoice_1"_s));
        QCOMPARE(text(shown(app.root(), u"orderMenuButton"_s)), u"الأحدث أولًا"_s);
        app.key(Qt::Key_Escape);
        QTRY_COMPARE(app.depth(), 1);
        openSource();
        QCOMPARE(text(shown(app.root(), u"orderMenuButton"_s)), u"الأحدث أولًا"_s);
        QCOMPARE(cards().constFirst(), u"b مُحدَّث"_s);
    }
};

QTEST_MAIN(TestContentView)
#include "tst_contentview.moc"
