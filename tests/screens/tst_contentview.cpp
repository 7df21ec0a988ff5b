#include "model/repostore.h"
#include "screens/contentviewmodel.h"
#include "testsupport.h"

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

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

void collectRows(QQuickItem *item, QList<QQuickItem *> &rows)
{
    if (item->property("repoId").isValid() && item->property("hasPinAction").isValid()) {
        rows.append(item);
        return;
    }
    const auto children = item->childItems();
    for (QQuickItem *child : children)
        collectRows(child, rows);
}

QList<QQuickItem *> rowsOf(QQuickItem *section)
{
    QList<QQuickItem *> rows;
    collectRows(section, rows);
    std::sort(rows.begin(), rows.end(), [](QQuickItem *a, QQuickItem *b) { return a->y() < b->y(); });
    return rows;
}

} // namespace

class TestContentView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsSectionsSwipeActionsAndTheAlert()
    {
        TempDataDir data;
        QVERIFY(RepoStore::saveRepos({source("fixed", true, true), source("mine", true, false),
                                      source("other", false, false)}));
        QQmlApplicationEngine engine;
        engine.addImportPath(u"qrc:/"_s);
        engine.load(QUrl(u"qrc:/Vexlo/app/MyApp.qml"_s));
        QVERIFY(!engine.rootObjects().isEmpty());
        auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
        auto *model = window->findChild<ContentViewModel *>(u"contentModel"_s);
        QVERIFY(model);
        QTRY_COMPARE(model->repos().size(), 3);

        auto *pinnedHeader = window->findChild<QQuickItem *>(u"pinnedHeader"_s);
        auto *sourcesHeader = window->findChild<QQuickItem *>(u"sourcesHeader"_s);
        QCOMPARE(pinnedHeader->property("text").toString(), u"المثبتة (2)"_s);
        QCOMPARE(sourcesHeader->property("text").toString(), u"السورسات (1)"_s);

        // Fixed pinned sources offer no swipe action; the sources section adds delete.
        const auto pinned = rowsOf(window->findChild<QQuickItem *>(u"pinnedSection"_s));
        const auto others = rowsOf(window->findChild<QQuickItem *>(u"sourcesSection"_s));
        QCOMPARE(pinned.size(), 2);
        QCOMPARE(others.size(), 1);
        QCOMPARE(pinned.at(0)->property("name").toString(), u"fixed"_s);
        QCOMPARE(pinned.at(0)->property("hasPinAction").toBool(), false);
        QCOMPARE(pinned.at(0)->property("hasDeleteAction").toBool(), false);
        QCOMPARE(pinned.at(1)->property("hasPinAction").toBool(), true);
        QCOMPARE(pinned.at(1)->property("hasDeleteAction").toBool(), false);
        QCOMPARE(others.at(0)->property("hasPinAction").toBool(), true);
        QCOMPARE(others.at(0)->property("hasDeleteAction").toBool(), true);

        // Every source failed: the one alert shows the last message, and its button closes it.
        auto *alert = window->findChild<QObject *>(u"alert"_s);
        QTRY_VERIFY(alert->property("visible").toBool());
        auto *message = window->findChild<QQuickItem *>(u"alertMessage"_s);
        QCOMPARE(message->property("text").toString(), model->alertMessage());
        QVERIFY(model->alertMessage().startsWith(u"فشل في جلب الحزم من السورس: "_s));
        QVERIFY(QMetaObject::invokeMethod(window->findChild<QObject *>(u"alertButton"_s), "clicked"));
        QTRY_VERIFY(!model->showAlert());

        // Pinning from the sources section moves the row and updates both headers.
        QVERIFY(QMetaObject::invokeMethod(others.at(0), "pinToggled"));
        QCOMPARE(pinnedHeader->property("text").toString(), u"المثبتة (3)"_s);
        QCOMPARE(sourcesHeader->property("text").toString(), u"السورسات (0)"_s);
        QTRY_COMPARE(rowsOf(window->findChild<QQuickItem *>(u"pinnedSection"_s)).size(), 3);

        // A search hides rows but leaves the counts.
        model->setSearchText(u"MINE"_s);
        QTRY_COMPARE(rowsOf(window->findChild<QQuickItem *>(u"pinnedSection"_s)).size(), 1);
        QCOMPARE(pinnedHeader->property("text").toString(), u"المثبتة (3)"_s);

        // The add button asks for the add-source sheet.
        QVERIFY(QMetaObject::invokeMethod(window->findChild<QObject *>(u"addButton"_s), "clicked"));
        QVERIFY(model->showingAddRepo());
        model->waitForPendingWrites();
    }
};

QTEST_MAIN(TestContentView)
#include "tst_contentview.moc"
