#include "qmlscene.h"
#include "records.h"
#include "screens/mainscreen/contentviewmodel.h"

#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

using namespace Qt::StringLiterals;

class TestSheets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_app = std::make_unique<AppWindow>();
        QVERIFY(m_app->start({}, [this] { return m_app->model->hasUpdatedRepos(); }));
        m_model = m_app->model;
        m_window = m_app->window;
    }
    void cleanup() { m_app.reset(); }

    void addSheetControlsFollowTheTextAndTheBatch()
    {
        TestServer server;
        server.serve(u"a/Packages"_s, "Package: one\n\n");
        server.setHolding(true);
        QObject *sheet = m_window->findChild<QObject *>(u"addRepoSheet"_s);
        m_model->setShowingAddRepo(true);
        QTRY_VERIFY(sheet->property("opened").toBool());
        QQuickItem *content = sheet->property("contentItem").value<QQuickItem *>();
        QQuickItem *save = find(content, u"saveButton"_s);
        QQuickItem *clear = find(content, u"clearButton"_s);
        QQuickItem *busy = find(content, u"busyIndicator"_s);
        QQuickItem *field = find(content, u"addressField"_s);
        QCOMPARE(find(content, u"sheetTitle"_s)->property("text").toString(), u"إضافة سورس جديد"_s);
        QVERIFY(!save->isEnabled());
        QVERIFY(!clear->isVisible());
        QVERIFY(!busy->isVisible());

        QTest::keyClick(m_window, 'x');
        QCOMPARE(field->property("text").toString(), u"x"_s);
        QVERIFY(clear->isVisible());
        QVERIFY(save->isEnabled());
        click(clear);
        QCOMPARE(field->property("text").toString(), QString());
        QVERIFY(!clear->isVisible());
        QVERIFY(!save->isEnabled());

        // A pasted text keeps its line breaks.
        field->setProperty("text", QString(server.url(u"a"_s) + u"\n"_s));
        click(save);
        QVERIFY(busy->isVisible());
        QVERIFY(!save->isEnabled());
        QVERIFY(server.waitForRequests(1));
        server.release();
        QTRY_VERIFY(!sheet->property("visible").toBool());
        QVERIFY(!m_model->showingAddRepo());
        QCOMPARE(m_model->repos().size(), 1);
        QCOMPARE(m_model->alertMessage(), u"تم إضافة السورسات بنجاح"_s);

        // Opened again (the alert closed): empty. Escape closes it and the main screen hears of it.
        m_model->setShowAlert(false);
        m_model->setShowingAddRepo(true);
        QTRY_VERIFY(sheet->property("opened").toBool());
        QCOMPARE(field->property("text").toString(), QString());
        QTest::keyClick(m_window, Qt::Key_Escape);
        QTRY_VERIFY(!m_model->showingAddRepo());
    }

    void allPackagesSheetSharesTheSearch()
    {
        m_model->setRepos({repoOf("a", {package("alpha"), package("alps"), package("beta")}),
                           repoOf("b", {package("gamma"), package("delta")})});
        QObject *sheet = m_window->findChild<QObject *>(u"allPackagesSheet"_s);
        m_model->setShowAllPackages(true);
        QTRY_VERIFY(sheet->property("opened").toBool());
        QQuickItem *content = sheet->property("contentItem").value<QQuickItem *>();
        QQuickItem *title = find(content, u"sheetTitle"_s);
        QQuickItem *search = find(content, u"searchField"_s);
        QTRY_COMPARE(title->property("text").toString(), u"جميع الحزم (5)"_s);
        QCOMPARE(find(content, u"countLine"_s)->property("text").toString(), u"عدد الحزم: 5"_s);
        QCOMPARE(search->property("placeholderText").toString(), u"ابحث عن الحزم"_s);

        search->forceActiveFocus();
        for (const char key : {'A', 'L', 'P'})
            QTest::keyClick(m_window, key);
        QCOMPARE(m_model->searchText(), u"ALP"_s);
        QTRY_COMPARE(title->property("text").toString(), u"جميع الحزم (2)"_s);
        QCOMPARE(find(content, u"countLine"_s)->property("text").toString(), u"عدد الحزم: 2"_s);
        m_model->setSearchText(u"a"_s); // typed on the main screen
        QCOMPARE(search->property("text").toString(), u"a"_s);
        QTRY_COMPARE(title->property("text").toString(), u"جميع الحزم (5)"_s);

        // A card opens its package inside the sheet; back returns to the same search.
        QObject *stack = sheet->property("stackView").value<QObject *>();
        const QList<QQuickItem *> names = findAll(content, u"cardName"_s);
        const auto alpha = std::find_if(names.begin(), names.end(),
                                        [](QQuickItem *i) { return i->property("text").toString() == u"alpha"_s; });
        QVERIFY(alpha != names.end());
        click(*alpha);
        QTRY_COMPARE(stack->property("depth").toInt(), 2);
        QTRY_COMPARE(title->property("text").toString(), u"alpha"_s);
        QTRY_VERIFY(!stack->property("busy").toBool());
        click(find(content, u"backButton"_s));
        QTRY_COMPARE(stack->property("depth").toInt(), 1);
        QTRY_COMPARE(title->property("text").toString(), u"جميع الحزم (5)"_s);
        QTRY_VERIFY(!stack->property("busy").toBool()); // the way back has ended

        // Dragging the grid up scrolls it; the sheet stays.
        QQuickItem *grid = find(content, u"packageGrid"_s);
        const QPoint from = grid->mapToScene(QPointF(grid->width() / 2, grid->height() * 0.8)).toPoint();
        QTest::mousePress(m_window, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 10; ++step)
            QTest::mouseMove(m_window, from - QPoint(0, 40 * step), 16);
        QTest::mouseRelease(m_window, Qt::LeftButton, {}, from - QPoint(0, 400), 16);
        QTRY_VERIFY(grid->property("contentY").toDouble() > grid->property("originY").toDouble() + 100);
        QVERIFY(sheet->property("opened").toBool());

        // Dragged down by its top: closed, and the main screen keeps the search.
        const QPoint top = find(m_window->contentItem(), u"grabStrip"_s)->mapToScene(QPointF(100, 20)).toPoint();
        QTest::mousePress(m_window, Qt::LeftButton, {}, top);
        for (int step = 1; step <= 10; ++step)
            QTest::mouseMove(m_window, top + QPoint(0, 40 * step), 16);
        QTest::mouseRelease(m_window, Qt::LeftButton, {}, top + QPoint(0, 400), 16);
        QTRY_VERIFY(!m_model->showAllPackages());
        QCOMPARE(m_model->searchText(), u"a"_s);
    }

private:
    std::unique_ptr<AppWindow> m_app;
    ContentViewModel *m_model = nullptr;
    QQuickWindow *m_window = nullptr;
};

QTEST_MAIN(TestSheets)
#include "tst_sheets.moc"
