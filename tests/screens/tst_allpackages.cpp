#include "screens/allpackages/allpackagesviewmodel.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "screens/packagegrid/packagelistmodel.h"
#include "records.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QStringList names(const PackageListModel *model)
{
    QStringList list;
    for (int row = 0; row < model->rowCount(); ++row)
        list << model->data(model->index(row), PackageListModel::NameRole).toString();
    return list;
}

} // namespace

class TestAllPackages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void allSourcesJoinedAndFilteredByNameOrDescription()
    {
        TempDataDir data;
        ContentViewModel model;
        QAbstractItemModelTester allTester(model.allPackages(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester tester(model.filteredPackages(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        const Repo a = repoOf("a", {package("alpha", "First Tool"), package("beta", "محرر النصوص"), package("gamma")});
        const Repo empty = repoOf("empty", {});
        const Repo b = repoOf("b", {package("Delta", "a tool"), package("alpha", "again")});
        model.setRepos({a, empty, b});
        QCOMPARE(names(model.allPackages()), (QStringList{u"alpha"_s, u"beta"_s, u"gamma"_s, u"Delta"_s, u"alpha"_s}));
        QCOMPARE(names(model.filteredPackages()), names(model.allPackages()));

        // Name or description, any letter case; both sources keep their order.
        model.setSearchText(u"TOOL"_s);
        QTRY_COMPARE(names(model.filteredPackages()), (QStringList{u"alpha"_s, u"Delta"_s}));
        model.setSearchText(u"delta"_s);
        QCOMPARE(names(model.filteredPackages()), QStringList{u"Delta"_s});
        model.setSearchText(u"النصوص"_s);
        QCOMPARE(names(model.filteredPackages()), QStringList{u"beta"_s});
        model.setSearchText(u"nothing"_s);
        QCOMPARE(model.filteredPackages()->count(), 0);

        // A refreshed source replaces its packages; the answer follows once it is indexed.
        model.setSearchText(u"al"_s);
        QCOMPARE(names(model.filteredPackages()), (QStringList{u"alpha"_s, u"alpha"_s}));
        RepoList changed = model.repos();
        changed[2].packages = {package("algol"), package("zeta")};
        model.setRepos(changed);
        QCOMPARE(model.allPackages()->count(), 5);
        QTRY_COMPARE(names(model.filteredPackages()), (QStringList{u"alpha"_s, u"algol"_s}));

        // A deleted source leaves both lists.
        model.deleteRepo(model.repos().at(0).id.toString());
        QCOMPARE(names(model.allPackages()), (QStringList{u"algol"_s, u"zeta"_s}));
        QTRY_COMPARE(names(model.filteredPackages()), QStringList{u"algol"_s});
        model.setSearchText(QString());
        QCOMPARE(names(model.filteredPackages()), (QStringList{u"algol"_s, u"zeta"_s}));
    }

    // A refresh of one source replaces its rows only; the other sources' rows stay, so a view
    // keeps its place. A changed search afterwards is again a change of rows.
    void replacingOneListKeepsTheOtherRows()
    {
        const PackageList a{package("a1"), package("a2")};
        const PackageList b{package("b1"), package("b2"), package("b3")};
        const PackageList c{package("c1")};
        PackageListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setLists({a, b, c});
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

        model.setLists({a, PackageList{package("B1"), package("B2")}, c});
        QCOMPARE(names(&model), (QStringList{u"a1"_s, u"a2"_s, u"B1"_s, u"B2"_s, u"c1"_s}));
        QCOMPARE(reset.size(), 0);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.first().at(1).toInt(), 2);
        QCOMPARE(removed.first().at(2).toInt(), 4);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.first().at(1).toInt(), 2);
        QCOMPARE(inserted.first().at(2).toInt(), 3);

        // Filtered: a source removed and one added at the end.
        const std::vector<std::uint32_t> visible{0, 1};
        model.setLists({a, c, b}, &visible);
        QCOMPARE(names(&model), (QStringList{u"a1"_s, u"a2"_s}));
        QCOMPARE(reset.size(), 0);
        const std::vector<std::uint32_t> some{1, 2, 4};
        model.setLists({a, c, b}, &some);
        QCOMPARE(names(&model), (QStringList{u"a2"_s, u"c1"_s, u"b2"_s}));
        QCOMPARE(model.rowOfPackage(4), 2);
        // Nothing shared: a reset.
        model.setLists({PackageList{package("x")}});
        QCOMPARE(reset.size(), 1);
        QCOMPARE(names(&model), QStringList{u"x"_s});
    }

    // The sheet test drives the shared search and its texts; a search brings the grid to the
    // top only when it shows something.
    void searchScrollsToTheTop()
    {
        TempDataDir data;
        ContentViewModel model;
        model.setRepos({repoOf("a", {package("one"), package("two"), package("three")})});
        AllPackagesViewModel screen;
        QSignalSpy scrolls(&screen, &AllPackagesViewModel::scrollRequested);
        screen.setContentModel(&model);
        screen.setSearchText(u"t"_s);
        QTRY_COMPARE(screen.countText(), u"عدد الحزم: 2"_s);
        QCOMPARE(scrolls.size(), 1);
        QCOMPARE(scrolls.first().first().toInt(), 0);
        model.setSearchText(u"none"_s);
        QTRY_COMPARE(screen.countText(), u"عدد الحزم: 0"_s);
        QCOMPARE(scrolls.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestAllPackages)
#include "tst_allpackages.moc"
