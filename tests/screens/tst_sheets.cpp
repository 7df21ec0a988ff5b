#include "qmlscene.h"
#include "screens/mainscreen/contentviewmodel.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(VexloPlugin)

using namespace Qt::StringLiterals;

namespace {

// The two sheets over an empty window, as the main screen declares them.
const char sceneQml[] = R"(
import QtQuick
import QtQuick.Controls
import Vexlo

ApplicationWindow {
    width: 430
    height: 900
    visible: true
    required property ContentViewModel model
    property alias addSheet: addSheet
    property alias allSheet: allSheet
    LayoutMirroring.enabled: true
    LayoutMirroring.childrenInherit: true
    Item {
        anchors.fill: parent
        AddRepoView { id: addSheet; contentModel: model }
        AllPackagesView { id: allSheet; contentModel: model }
    }
}
)";

Package make(const std::string &name)
{
    Package p;
    p.name = name;
    p.description = "وصف " + name;
    p.version = "1.0";
    return p;
}

} // namespace

class TestSheets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_data = std::make_unique<TempDataDir>();
        m_model = std::make_unique<ContentViewModel>();
        m_model->setRepos({});
        m_engine = std::make_unique<QQmlEngine>();
        m_engine->addImportPath(u"qrc:/"_s);
        QQmlComponent component(m_engine.get());
        component.setData(sceneQml, QUrl(u"qrc:/sheets.qml"_s));
        QVERIFY2(component.isReady(), qPrintable(component.errorString()));
        m_window.reset(qobject_cast<QQuickWindow *>(
            component.createWithInitialProperties({{u"model"_s, QVariant::fromValue(m_model.get())}})));
        QVERIFY2(m_window, qPrintable(component.errorString()));
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        m_engine.reset();
        m_model.reset();
        m_data.reset();
    }

    void addSheetControlsFollowTheTextAndTheBatch()
    {
        TestServer server;
        server.serve(u"a/Packages"_s, "Package: one\n\n");
        server.setHolding(true);
        QObject *sheet = m_window->property("addSheet").value<QObject *>();
        m_model->setShowingAddRepo(true);
        QTRY_VERIFY(sheet->property("opened").toBool());
        QQuickItem *save = find(m_window->contentItem(), u"saveButton"_s);
        QQuickItem *clear = find(m_window->contentItem(), u"clearButton"_s);
        QQuickItem *busy = find(m_window->contentItem(), u"busyIndicator"_s);
        QQuickItem *field = find(m_window->contentItem(), u"addressField"_s);
        QCOMPARE(find(m_window->contentItem(), u"sheetTitle"_s)->property("text").toString(), u"إضافة سورس جديد"_s);
        QVERIFY(!save->isEnabled());
        QVERIFY(!clear->isVisible());
        QVERIFY(!busy->isVisible());

        QTest::keyClick(m_window.get(), 'x');
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

        // Opened again: empty. Escape closes it and the main screen hears of it.
        m_model->setShowingAddRepo(true);
        QTRY_VERIFY(sheet->property("opened").toBool());
        QCOMPARE(field->property("text").toString(), QString());
        QTest::keyClick(m_window.get(), Qt::Key_Escape);
        QTRY_VERIFY(!m_model->showingAddRepo());
    }

    void allPackagesSheetSharesTheSearch()
    {
        Repo a;
        a.name = "a";
        a.packages = {make("alpha"), make("alps"), make("beta")};
        Repo b;
        b.name = "b";
        b.packages = {make("gamma"), make("delta")};
        m_model->setRepos({a, b});
        QObject *sheet = m_window->property("allSheet").value<QObject *>();
        m_model->setShowAllPackages(true);
        QTRY_VERIFY(sheet->property("opened").toBool());
        QQuickItem *title = find(m_window->contentItem(), u"sheetTitle"_s);
        QQuickItem *search = find(m_window->contentItem(), u"searchField"_s);
        QTRY_COMPARE(title->property("text").toString(), u"جميع الحزم (5)"_s);
        QCOMPARE(find(m_window->contentItem(), u"countLine"_s)->property("text").toString(), u"عدد الحزم: 5"_s);
        QCOMPARE(search->property("placeholderText").toString(), u"ابحث عن الحزم"_s);

        search->forceActiveFocus();
        for (const char key : {'A', 'L', 'P'})
            QTest::keyClick(m_window.get(), key);
        QCOMPARE(m_model->searchText(), u"ALP"_s);
        QTRY_COMPARE(title->property("text").toString(), u"جميع الحزم (2)"_s);
        QCOMPARE(find(m_window->contentItem(), u"countLine"_s)->property("text").toString(), u"عدد الحزم: 2"_s);
        m_model->setSearchText(u"a"_s); // typed on the main screen
        QCOMPARE(search->property("text").toString(), u"a"_s);
        QTRY_COMPARE(title->property("text").toString(), u"جميع الحزم (5)"_s);

        // A card opens its package inside the sheet; back returns to the same search.
        QObject *stack = sheet->property("stackView").value<QObject *>();
        const QList<QQuickItem *> names = findAll(m_window->contentItem(), u"cardName"_s);
        const auto alpha = std::find_if(names.begin(), names.end(),
                                        [](QQuickItem *i) { return i->property("text").toString() == u"alpha"_s; });
        QVERIFY(alpha != names.end());
        click(*alpha);
        QTRY_COMPARE(stack->property("depth").toInt(), 2);
        QTRY_COMPARE(title->property("text").toString(), u"alpha"_s);
        QTRY_VERIFY(!stack->property("busy").toBool());
        click(find(m_window->contentItem(), u"backButton"_s));
        QTRY_COMPARE(stack->property("depth").toInt(), 1);
        QTRY_COMPARE(title->property("text").toString(), u"جميع الحزم (5)"_s);
        QTRY_VERIFY(!stack->property("busy").toBool()); // the way back has ended

        // Dragging the grid up scrolls it; the sheet stays.
        QQuickItem *grid = find(m_window->contentItem(), u"packageGrid"_s);
        const QPoint from = grid->mapToScene(QPointF(grid->width() / 2, grid->height() * 0.8)).toPoint();
        QTest::mousePress(m_window.get(), Qt::LeftButton, {}, from);
        for (int step = 1; step <= 10; ++step)
            QTest::mouseMove(m_window.get(), from - QPoint(0, 40 * step), 16);
        QTest::mouseRelease(m_window.get(), Qt::LeftButton, {}, from - QPoint(0, 400), 16);
        QTRY_VERIFY(grid->property("contentY").toDouble() > grid->property("originY").toDouble() + 100);
        QVERIFY(sheet->property("opened").toBool());

        // Dragged down by its top: closed, and the main screen keeps the search.
        const QPoint top = find(m_window->contentItem(), u"grabStrip"_s)->mapToScene(QPointF(100, 20)).toPoint();
        QTest::mousePress(m_window.get(), Qt::LeftButton, {}, top);
        for (int step = 1; step <= 10; ++step)
            QTest::mouseMove(m_window.get(), top + QPoint(0, 40 * step), 16);
        QTest::mouseRelease(m_window.get(), Qt::LeftButton, {}, top + QPoint(0, 400), 16);
        QTRY_VERIFY(!m_model->showAllPackages());
        QCOMPARE(m_model->searchText(), u"a"_s);
    }

private:
    std::unique_ptr<TempDataDir> m_data;
    std::unique_ptr<ContentViewModel> m_model;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_window;
};

QTEST_MAIN(TestSheets)
#include "tst_sheets.moc"
