#include "model/repostore.h"
#include "qmlscene.h"
#include "screens/mainscreen/contentviewmodel.h"

#include <QGuiApplication>
#include <QPointingDevice>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
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
    repo.imageURL = ""; // no picture download
    repo.packagesURL = "not an address"; // the refresh fails at once, without a request
    repo.isPinned = pinned;
    repo.isFixed = fixed;
    return repo;
}

// The rows of a section, top to bottom.
QList<QQuickItem *> rowsOf(QQuickItem *section)
{
    QList<QQuickItem *> rows = itemsWhere(section, [](QQuickItem *i) { return i->property("isSourceRow").toBool(); });
    std::sort(rows.begin(), rows.end(), [](QQuickItem *a, QQuickItem *b) { return a->y() < b->y(); });
    return rows;
}

// The application's own window on a store holding the given sources, its refresh alert closed.
struct App
{
    TempDataDir data;
    QQmlApplicationEngine engine;
    QQuickWindow *window = nullptr;
    ContentViewModel *model = nullptr;

    bool start(const RepoList &list)
    {
        if (!RepoStore::saveRepos(list))
            return false;
        engine.addImportPath(u"qrc:/"_s);
        engine.load(QUrl(u"qrc:/Vexlo/app/MyApp.qml"_s));
        if (engine.rootObjects().isEmpty())
            return false;
        window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
        model = window->findChild<ContentViewModel *>(u"contentModel"_s);
        return model && QTest::qWaitForWindowExposed(window)
            && QTest::qWaitFor([this, &list] { return model->repos().size() == list.size() && model->showAlert(); });
    }
    ~App()
    {
        if (model)
            model->waitForPendingWrites();
    }
    QQuickItem *root() const { return window->contentItem(); }
    QQuickItem *row(const char *name) const
    {
        for (const char *section : {"pinnedSection", "sourcesSection"})
            for (QQuickItem *r : rowsOf(find(root(), QString::fromLatin1(section))))
                if (r->property("name").toString() == QLatin1String(name))
                    return r;
        return nullptr;
    }
    QByteArray stored() const
    {
        model->waitForPendingWrites();
        return TestData::readFile(data.filePath(u"savedRepos"_s));
    }
    bool isPinned(const char *name) const
    {
        for (const Repo &r : model->repos())
            if (r.name == name)
                return r.isPinned;
        return false;
    }
    bool has(const char *name) const
    {
        return std::any_of(model->repos().cbegin(), model->repos().cend(), [name](const Repo &r) { return r.name == name; });
    }
};

// Drags sideways across a row by dx, in steps, with the mouse or a finger.
void swipe(QQuickWindow *window, QPointingDevice *touch, QPoint from, int dx)
{
    const int steps = std::max(4, std::abs(dx) / 10);
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

void tap(QQuickWindow *window, QPointingDevice *touch, QPoint at)
{
    if (touch) {
        QTest::touchEvent(window, touch).press(0, at, window);
        QTest::touchEvent(window, touch).release(0, at, window);
    } else {
        QTest::mouseClick(window, Qt::LeftButton, {}, at);
    }
}

// Lets the row's closing or opening movement (200 ms) end.
bool settled(QQuickItem *row)
{
    QTest::qWait(300);
    return QTest::qWaitFor([row] {
        const double offset = row->property("offset").toDouble();
        return offset == 0 || std::abs(offset) == 88;
    });
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
        App app;
        QVERIFY(app.start({source("fixed", true, true), source("mine", true, false), source("other", false, false)}));
        auto *pinnedHeader = find(app.root(), u"pinnedHeader"_s);
        auto *sourcesHeader = find(app.root(), u"sourcesHeader"_s);
        QCOMPARE(pinnedHeader->property("text").toString(), u"المثبتة (2)"_s);
        QCOMPARE(sourcesHeader->property("text").toString(), u"السورسات (1)"_s);
        QCOMPARE(find(app.root(), u"principalTitle"_s)->property("text").toString(), u"Vexlo \uF8FF"_s);

        // Every source failed: the one alert shows the last message; its button closes it.
        auto *alert = app.window->findChild<QObject *>(u"alert"_s);
        QCOMPARE(alert->property("message").toString(), app.model->alertMessage());
        QVERIFY(app.model->alertMessage().startsWith(u"فشل في جلب الحزم من السورس: "_s));
        click(find(app.root(), u"alertButton"_s));
        QTRY_VERIFY(!app.model->showAlert());

        // A search typed into the field hides rows but leaves the counts.
        click(find(app.root(), u"searchField"_s));
        for (const char key : {'M', 'I', 'N', 'E'})
            QTest::keyClick(app.window, key);
        QCOMPARE(app.model->searchText(), u"MINE"_s);
        QTRY_COMPARE(rowsOf(find(app.root(), u"pinnedSection"_s)).size(), 1);
        QVERIFY(!app.row("other"));
        QCOMPARE(pinnedHeader->property("text").toString(), u"المثبتة (2)"_s);

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
        App app;
        QVERIFY(app.start({source("fixed", true, true), source("mine", true, false), source("other", false, false),
                           source("spare", false, false)}));
        QTest::keyClick(app.window, Qt::Key_Escape);
        QTRY_VERIFY(!app.window->findChild<QObject *>(u"alert"_s)->property("visible").toBool());
        const QByteArray before = app.stored();

        // A fixed pinned source has no actions: it does not move either way.
        QQuickItem *fixed = app.row("fixed");
        for (int dx : {-120, 120, -300}) {
            swipe(app.window, finger.get(), centreOf(fixed), dx);
            QVERIFY(settled(fixed));
            QCOMPARE(fixed->property("offset").toDouble(), 0.0);
        }

        // A short drag acts on nothing: a few points close again, more uncover the buttons.
        QQuickItem *other = app.row("other");
        const QRectF rowRect = sceneRect(other);
        swipe(app.window, finger.get(), centreOf(other), -20);
        QVERIFY(settled(other));
        QCOMPARE(other->property("offset").toDouble(), 0.0);
        swipe(app.window, finger.get(), centreOf(other), -50);
        QVERIFY(settled(other));
        QCOMPARE(other->property("offset").toDouble(), -88.0);
        // Leading is the right edge: the pin button fills what the content uncovered there.
        QQuickItem *pin = find(other, u"pinAction"_s);
        QVERIFY(pin->isVisible());
        QCOMPARE(pin->property("text").toString(), u"تثبيت"_s);
        QCOMPARE(sceneRect(pin), QRectF(rowRect.right() - 88, rowRect.top(), 88, rowRect.height()));
        QVERIFY(!find(other, u"deleteAction"_s)->isVisible());
        // A tap elsewhere closes it, and only closes it.
        tap(app.window, finger.get(), centreOf(fixed));
        QVERIFY(settled(other));
        QCOMPARE(other->property("offset").toDouble(), 0.0);
        QCOMPARE(app.stored(), before);

        // The trailing (left) edge holds delete; swiping back closes the row.
        swipe(app.window, finger.get(), centreOf(other), 120);
        QVERIFY(settled(other));
        QQuickItem *del = find(other, u"deleteAction"_s);
        QCOMPARE(sceneRect(del), QRectF(rowRect.left(), rowRect.top(), 88, rowRect.height()));
        QCOMPARE(del->property("text").toString(), u"حذف"_s);
        swipe(app.window, finger.get(), centreOf(other) + QPoint(88, 0), -80);
        QVERIFY(settled(other));
        QCOMPARE(other->property("offset").toDouble(), 0.0);
        QCOMPARE(app.stored(), before);
        QVERIFY(app.has("other") && !app.isPinned("other"));

        // A tap on an uncovered button runs it, and writes the list.
        swipe(app.window, finger.get(), centreOf(other), -120);
        QVERIFY(settled(other));
        tap(app.window, finger.get(), centreOf(find(other, u"pinAction"_s)));
        QTRY_VERIFY(app.isPinned("other"));
        QVERIFY(app.stored() != before);
        QVERIFY(RepoStore::loadRepos()->at(2).isPinned);

        // A full swipe runs the first action at once: unpin in the pinned section ...
        QTRY_VERIFY(app.row("mine"));
        swipe(app.window, finger.get(), centreOf(app.row("mine")), -int(rowRect.width() * 0.8));
        QTRY_VERIFY(!app.isPinned("mine"));
        // ... where nothing is uncovered on the trailing side ...
        QTRY_VERIFY(app.row("other"));
        swipe(app.window, finger.get(), centreOf(app.row("other")), 150);
        QVERIFY(settled(app.row("other")));
        QCOMPARE(app.row("other")->property("offset").toDouble(), 0.0);
        // ... and delete in the sources section.
        QTRY_VERIFY(app.row("spare"));
        swipe(app.window, finger.get(), centreOf(app.row("spare")), int(rowRect.width() * 0.8));
        QTRY_VERIFY(!app.has("spare"));
        app.stored();
        const auto stored = RepoStore::loadRepos();
        QCOMPARE(stored->size(), 3);
        QVERIFY(!stored->at(1).isPinned);
    }

    void contextMenuAndKeyboard()
    {
        App app;
        QVERIFY(app.start({source("fixed", true, true), source("mine", true, false), source("other", false, false),
                           source("spare", false, false), source("unpinned fixed", false, true)}));
        // Enter closes the alert.
        QTest::keyClick(app.window, Qt::Key_Return);
        QTRY_VERIFY(!app.window->findChild<QObject *>(u"alert"_s)->property("visible").toBool());
        const auto menuItems = [&app] {
            QStringList texts;
            for (QQuickItem *i : itemsWhere(app.root(), [](QQuickItem *i) { return i->inherits("QQuickMenuItem") && i->isVisible() && i->height() > 0; }))
                texts.append(i->property("text").toString());
            return texts;
        };

        // A right click offers exactly the row's swipe actions; a fixed source has none.
        QTest::mouseClick(app.window, Qt::RightButton, {}, centreOf(app.row("fixed")));
        QTest::qWait(100);
        QVERIFY(menuItems().isEmpty());
        QTest::mouseClick(app.window, Qt::RightButton, {}, centreOf(app.row("mine")));
        QTRY_COMPARE(menuItems(), QStringList{u"إلغاء التثبيت"_s});
        QTest::keyClick(app.window, Qt::Key_Escape);
        QTRY_VERIFY(menuItems().isEmpty());
        QTest::mouseClick(app.window, Qt::RightButton, {}, centreOf(app.row("spare")));
        QTRY_COMPARE(menuItems(), (QStringList{u"تثبيت"_s, u"حذف"_s}));
        QTest::qWait(400); // the opening transition
        click(find(app.root(), u"deleteMenuItem"_s));
        QTRY_VERIFY(!app.has("spare"));
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
        QTRY_COMPARE(menuItems(), (QStringList{u"تثبيت"_s, u"حذف"_s}));
        QTest::qWait(400); // the opening transition
        click(find(app.root(), u"pinMenuItem"_s));
        QTRY_VERIFY(app.isPinned("other"));
        QTRY_VERIFY(menuItems().isEmpty());

        // The keyboard: Tab reaches the rows, arrows move between them, the Menu key opens the
        // menu and Enter opens the source.
        app.row("fixed")->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(app.window, Qt::Key_Tab);
        QTRY_VERIFY(app.row("mine")->hasActiveFocus());
        QTest::keyClick(app.window, Qt::Key_Down);
        QVERIFY(app.row("other")->hasActiveFocus());
        QTest::keyClick(app.window, Qt::Key_Up);
        QVERIFY(app.row("mine")->hasActiveFocus());
        QTest::keyClick(app.window, Qt::Key_Menu);
        QTRY_COMPARE(menuItems(), QStringList{u"إلغاء التثبيت"_s});
        QTest::keyClick(app.window, Qt::Key_Escape);
        QTRY_VERIFY(menuItems().isEmpty());
        app.row("mine")->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(app.window, Qt::Key_Return);
        QObject *stack = app.window->findChild<QObject *>(u"contentView"_s)->parent();
        QTRY_COMPARE(stack->property("depth").toInt(), 2);
        QTRY_COMPARE(stack->property("currentItem").value<QObject *>()->property("title").toString(), u"mine"_s);
    }

    void longAlertKeepsItsButtonOnScreen()
    {
        App app;
        QVERIFY(app.start({source("fixed", true, true)}));
        QStringList lines;
        for (int i = 0; i < 40; ++i)
            lines.append(u"فشل في جلب البيانات: http://127.0.0.1:8801/nothere/"_s + QString::number(i));
        app.model->setAlertMessage(lines.join(u'\n'));
        const QRectF window(0, 0, app.window->width(), app.window->height());
        for (const int close : {0, int(Qt::Key_Escape), int(Qt::Key_Enter), int(Qt::Key_Return)}) {
            app.model->setShowAlert(true);
            QQuickItem *button = find(app.root(), u"alertButton"_s);
            QTRY_VERIFY(button && button->isVisible());
            QTest::qWait(300); // the opening transition
            QVERIFY2(window.contains(sceneRect(button)), "the button is off screen");
            QQuickItem *area = find(app.root(), u"alertMessageArea"_s);
            QVERIFY(area->property("contentHeight").toDouble() > area->height());
            if (close)
                QTest::keyClick(app.window, Qt::Key(close));
            else
                click(button);
            QTRY_VERIFY(!app.model->showAlert());
        }
    }

    void rightToLeftPlacement()
    {
        App app;
        QVERIFY(app.start({source("mine", true, false), source("other", true, false)}));
        QTest::keyClick(app.window, Qt::Key_Escape);
        QTRY_VERIFY(!app.window->findChild<QObject *>(u"alert"_s)->property("visible").toBool());

        // The magnifier at the right end of the search field, here and in the all-packages sheet.
        const auto magnifierAtRight = [](QQuickItem *field) {
            const QRectF f = sceneRect(field);
            const QRectF m = sceneRect(find(field, u"searchMagnifier"_s));
            return m.left() > f.center().x() && m.right() < f.right()
                && field->property("rightPadding").toDouble() > field->property("leftPadding").toDouble();
        };
        QVERIFY(magnifierAtRight(find(app.root(), u"searchField"_s)));
        app.model->setShowAllPackages(true);
        QObject *sheet = app.window->findChild<QObject *>(u"allPackagesSheet"_s);
        QTRY_VERIFY(sheet->property("opened").toBool());
        QVERIFY(magnifierAtRight(find(sheet->property("contentItem").value<QQuickItem *>(), u"searchField"_s)));
        app.model->setShowAllPackages(false);

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
};

QTEST_MAIN(TestContentView)
#include "tst_contentview.moc"
