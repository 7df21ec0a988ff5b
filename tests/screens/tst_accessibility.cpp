#include "fakeplatform.h"
#include "model/repostore.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "qmlscene.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QQuickStyle>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

using namespace Qt::StringLiterals;

namespace {

// What a user can reach or press: buttons, text fields and whatever takes the Tab key.
bool isInteractive(QQuickItem *item)
{
    return item->isVisible() && item->isEnabled() && item->width() > 0 && item->height() > 0
        && (item->inherits("QQuickAbstractButton") || item->inherits("QQuickTextInput")
            || item->inherits("QQuickTextEdit") || item->activeFocusOnTab());
}

// Every control on screen has a role and a name a reader can say; returns the names.
QStringList checkNamed(QQuickWindow *window)
{
    QStringList names;
    for (QQuickItem *item : itemsWhere(window->contentItem(), isInteractive)) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(item);
        if (!iface || iface->role() == QAccessible::NoRole || iface->role() == QAccessible::Client
            || iface->text(QAccessible::Name).trimmed().isEmpty()) {
            const QString what = QString::fromLatin1(item->metaObject()->className()) + u' ' + item->objectName() + u' ' + text(item);
            QTest::qFail(qPrintable(u"no role or name: "_s + what), __FILE__, __LINE__);
            return {};
        }
        names.append(iface->text(QAccessible::Name));
    }
    return names;
}

// The application's window on a store of two sources served by a local server, refreshed.
struct App : AppWindow
{
    TestServer server;

    bool start()
    {
        server.serve(u"a/Packages"_s, "Package: com.example.one\nVersion: 1.2\nSize: 2048\nArchitecture: iphoneos-arm64\n\n"
                                      "Package: com.example.two\nVersion: 2.0\nArchitecture: iphoneos-arm\n"
                                      "Author: Ann <ann@example.org>\nRatings: 4.5\n\n");
        server.serve(u"b/Packages"_s, "Package: com.example.three\nVersion: 3.0\n\n");
        RepoList list;
        for (const char *name : {"a", "b"}) {
            Repo repo;
            repo.name = name;
            repo.url = server.url(QString::fromLatin1(name) + u'/').toStdString();
            repo.packagesURL = repo.url + "Packages";
            repo.isPinned = list.isEmpty();
            list.append(repo);
        }
        return AppWindow::start(list, [this] { return model->allPackages()->count() == 3; });
    }
    // The focused control, by object name or, for a source row, by its source's name.
    QString focused() const
    {
        QQuickItem *item = window->activeFocusItem();
        return !item ? QString() : item->property(item->property("isSourceRow").toBool() ? "name" : "objectName").toString();
    }
};

QQuickItem *cardOf(QQuickItem *in, int packageRow)
{
    return itemsWhere(in, [packageRow](QQuickItem *i) {
        return i->objectName() == u"packageCard" && i->isVisible() && i->property("packageRow").toInt() == packageRow;
    }).value(0);
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // As the application's entry point sets them.
        QGuiApplication::setLayoutDirection(Qt::RightToLeft);
        QQuickStyle::setStyle(u"Material"_s);
        // Without a reader Qt Quick makes no accessible interfaces; this stands in for one.
        QAccessible::setActive(true);
    }

    // Every screen names its controls for a reader, and the keyboard alone goes everywhere.
    void screensByReaderAndKeyboard()
    {
        FakePlatform platform;
        App app;
        QVERIFY(app.start());
        QVERIFY(!app.model->showAlert());

        // The main screen: the toolbar by what its buttons do, each row as one item.
        const QStringList main = checkNamed(app.window);
        for (const QString &name : {u"إضافة سورس"_s, u"تحديث"_s, u"جميع الحزم"_s, u"المستجدات"_s,
                                    u"ابحث عن السورسات"_s})
            QVERIFY2(main.contains(name), qPrintable(name));
        const QString rowA = QAccessible::queryAccessibleInterface(app.row("a"))->text(QAccessible::Name);
        QVERIFY2(rowA.startsWith(u"a، مثبّت، عدد الحزم: 2، آخر تحديث: "_s), qPrintable(rowA));
        QVERIFY(!rowA.contains(u"جارٍ التحديث"_s));

        // Tab runs through the toolbar from the right (no profile link in a build without its
        // address), the search field and the rows; Shift+Tab goes back.
        QVERIFY(!find(app.root(), u"profileLink"_s)->isVisible());
        QStringList order;
        for (int i = 0; i < 8; ++i) {
            app.key(Qt::Key_Tab);
            order.append(app.focused());
        }
        QCOMPARE(order, (QStringList{u"addButton"_s, u"listMenuButton"_s, u"refreshButton"_s, u"allPackagesButton"_s, u"updatesButton"_s,
                                     u"searchField"_s, u"a"_s, u"b"_s}));
        app.key(Qt::Key_Backtab);
        QCOMPARE(app.focused(), u"a"_s);

        // Ctrl+R refreshes, also from the search field, which does not use it; the keys the
        // field does use stay in it: letters, Space and Return neither refresh nor open a row.
        const int before = app.server.requestCount(u"a/Packages"_s);
        app.key(Qt::Key_R, Qt::ControlModifier);
        QTRY_COMPARE(app.server.requestCount(u"a/Packages"_s), before + 1);
        app.key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(app.focused(), u"searchField"_s);
        for (const int key : {int(Qt::Key_R), int(Qt::Key_Space), int(Qt::Key_Return)})
            app.key(key);
        QCOMPARE(app.model->searchText(), u"r "_s);
        QTest::qWait(200);
        QCOMPARE(app.server.requestCount(u"a/Packages"_s), before + 1);
        QCOMPARE(app.depth(), 1);
        app.key(Qt::Key_R, Qt::ControlModifier);
        QTRY_COMPARE(app.server.requestCount(u"a/Packages"_s), before + 2);
        app.model->setSearchText({});

        // Ctrl+N opens the add sheet, whose clear button is named, Escape closes it; a modal
        // sheet holds the main screen's keys. Ctrl+Shift+A opens all packages, cards named.
        app.key(Qt::Key_N, Qt::ControlModifier);
        QTRY_VERIFY(app.model->showingAddRepo());
        QTRY_COMPARE(app.focused(), u"addressField"_s);
        app.key(Qt::Key_X);
        QTRY_VERIFY(shown(app.root(), u"clearButton"_s));
        QVERIFY(checkNamed(app.window).contains(u"مسح النص"_s));
        app.key(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!app.model->showAllPackages());
        app.key(Qt::Key_Escape);
        QTRY_VERIFY(!app.model->showingAddRepo());
        QTRY_COMPARE(app.focused(), u"searchField"_s);
        app.key(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_VERIFY(app.window->findChild<QObject *>(u"allPackagesSheet"_s)->property("opened").toBool());
        QTRY_VERIFY(cardOf(app.root(), 0));
        QVERIFY(checkNamed(app.window).contains(u"com.example.one، الإصدار: 1.2، حجم الملف: 2.0 ك.ب، البنية: arm64"_s));
        // The first card holds the keys: End reaches the last one.
        QTRY_VERIFY(cardOf(app.root(), 0)->hasActiveFocus());
        app.key(Qt::Key_End);
        QTRY_COMPARE(app.window->activeFocusItem()->property("packageRow").toInt(),
                     app.window->findChild<QObject *>(u"allPackagesSheet"_s)->property("viewModel").value<QObject *>()
                             ->property("packages").value<QAbstractItemModel *>()->rowCount() - 1);
        app.key(Qt::Key_Escape);
        QTRY_VERIFY(!app.model->showAllPackages());
        QTRY_VERIFY(!cardOf(app.root(), 0));
        QTRY_COMPARE(app.focused(), u"searchField"_s); // where the sheet was opened from

        // A source opened with Enter, its segments named: the arrows move between cards and
        // Enter opens the focused one, with the focus ring drawn around it.
        QTRY_VERIFY(app.window->activeFocusItem());
        app.row("a")->forceActiveFocus(Qt::TabFocusReason);
        app.key(Qt::Key_Return);
        QTRY_COMPARE(app.depth(), 2);
        QTRY_VERIFY(!app.stack()->property("busy").toBool());
        const QStringList source = checkNamed(app.window);
        for (const QString &name : {u"رجوع"_s, u"كل البنى"_s, u"arm"_s, u"arm64"_s})
            QVERIFY2(source.contains(name), qPrintable(name));
        // A segment chosen with Space keeps the focus, though the grid's cards change.
        QQuickItem *segment = find(app.root(), u"segment_arm64"_s);
        segment->forceActiveFocus(Qt::TabFocusReason);
        app.key(Qt::Key_Space);
        QTRY_VERIFY(!cardOf(app.root(), 1));
        QTRY_VERIFY(segment->hasActiveFocus());
        find(app.root(), u"segment_All Architectures"_s)->forceActiveFocus(Qt::TabFocusReason);
        app.key(Qt::Key_Space);
        QTRY_VERIFY(cardOf(app.root(), 1));
        cardOf(app.root(), 0)->forceActiveFocus(Qt::TabFocusReason);
        app.key(Qt::Key_Down);
        QQuickItem *second = cardOf(app.root(), 1);
        QVERIFY(second->hasActiveFocus());
        const auto rings = itemsWhere(second, [](QQuickItem *i) { return i->property("cornerRadius").isValid() && i->property("outset").isValid(); });
        QVERIFY(!rings.isEmpty() && rings.first()->isVisible());
        app.key(Qt::Key_Down);
        QVERIFY(second->hasActiveFocus());
        app.key(Qt::Key_Enter);
        QTRY_COMPARE(app.depth(), 3);
        QTRY_COMPARE(app.stack()->property("currentItem").value<QObject *>()->property("title").toString(),
                     u"com.example.two"_s);
        QTRY_VERIFY(!app.stack()->property("busy").toBool());

        // The package screen: its buttons by their texts, the stars as the rating text, and
        // the author's address in its own direction.
        const QStringList package = checkNamed(app.window);
        for (const QString &name : {u"تحميل"_s, u"نسخ رابط التحميل"_s, u"فتح الأداة في Sileo"_s, u"نسخ رابط المشاركة"_s})
            QVERIFY2(package.contains(name), qPrintable(name));
        QCOMPARE(QAccessible::queryAccessibleInterface(shown(app.root(), u"detailRating"_s))->text(QAccessible::Name),
                 u"التقييم: 4.5"_s);
        const auto authorText = itemsWhere(shown(app.root(), u"detailAuthor"_s), [](QQuickItem *i) { return i->inherits("QQuickText"); });
        QCOMPARE(authorText.value(1)->property("text").toString(), u"المطور: \u2068Ann <ann@example.org>\u2069"_s);

        // Escape closes the alert, then goes back screen by screen, the focus back on the card
        // and the row that opened each screen.
        shown(app.root(), u"sileoButton"_s)->forceActiveFocus(Qt::TabFocusReason);
        app.key(Qt::Key_Return);
        QTRY_VERIFY(shown(app.root(), u"alertButton"_s));
        QVERIFY(!checkNamed(app.window).isEmpty());
        app.key(Qt::Key_Escape);
        QTRY_VERIFY(!shown(app.root(), u"alertButton"_s));
        app.key(Qt::Key_Escape);
        QTRY_COMPARE(app.depth(), 2);
        QTRY_VERIFY(!app.stack()->property("busy").toBool());
        QTRY_VERIFY(second->hasActiveFocus());
        app.key(Qt::Key_Escape);
        QTRY_COMPARE(app.depth(), 1);
        QTRY_COMPARE(app.focused(), u"a"_s);

        // Pinned from its menu, a row keeps the focus in its new section.
        app.row("b")->forceActiveFocus(Qt::TabFocusReason);
        app.key(Qt::Key_Menu);
        QTRY_VERIFY(shown(app.root(), u"pinMenuItem"_s));
        QTRY_VERIFY(shown(app.root(), u"pinMenuItem"_s)->property("menu").value<QObject *>()->property("opened").toBool());
        click(shown(app.root(), u"pinMenuItem"_s));
        QTRY_COMPARE(app.model->pinnedCount(), 2);
        QTRY_COMPARE(app.focused(), u"b"_s);
    }

    // Every copy, and a delete, shows its message and a reader hears it.
    void actionsSayWhatTheyDid()
    {
        FakePlatform platform;
        App app;
        QVERIFY(app.start());
        QQuickItem *reader = find(app.root(), u"announcements"_s);
        const auto heard = [reader] { return reader->property("text").toString(); };
        app.model->deleteRepo(app.model->repos().at(1).id.toString());
        QTRY_COMPARE(heard(), u"تم حذف السورس «b»"_s);
        QVERIFY(shown(app.root(), u"undoBar"_s));
        app.key(Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(heard(), u"تمت استعادة السورس «b»"_s);

        app.row("a")->forceActiveFocus(Qt::TabFocusReason);
        app.key(Qt::Key_Return);
        QTRY_VERIFY(cardOf(app.root(), 0));
        cardOf(app.root(), 0)->forceActiveFocus(Qt::TabFocusReason);
        app.key(Qt::Key_Return);
        QTRY_COMPARE(app.depth(), 3);
        QTRY_VERIFY(!app.stack()->property("busy").toBool());
        QQuickItem *toast = find(app.root(), u"toast"_s);
        // Pressed from the keyboard, which brings each button into view first.
        const auto copy = [&](const char *button, const QString &message) {
            if (QString::fromLatin1(button).startsWith(u"alert"_s)) {
                click(shown(app.root(), QString::fromLatin1(button)));
            } else {
                shown(app.root(), QString::fromLatin1(button))->forceActiveFocus(Qt::TabFocusReason);
                app.key(Qt::Key_Return);
            }
            QTRY_COMPARE(heard(), message);
            QVERIFY(toast->isVisible());
            QCOMPARE(toast->property("text").toString(), message);
        };
        copy("copyDownloadLinkButton", u"تم نسخ رابط التحميل"_s);
        copy("copyShareLinkButton", u"تم نسخ رابط المشاركة"_s);
        shown(app.root(), u"sileoButton"_s)->forceActiveFocus(Qt::TabFocusReason);
        app.key(Qt::Key_Return);
        QTRY_VERIFY(shown(app.root(), u"alertSecondaryButton"_s));
        QTest::qWait(300); // the opening transition
        copy("alertSecondaryButton", u"تم نسخ رابط الحزمة"_s);
        QCOMPARE(platform.copied.size(), 3);
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
