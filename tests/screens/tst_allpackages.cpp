#include "screens/allpackagesviewmodel.h"
#include "screens/catalogsearch.h"
#include "screens/contentviewmodel.h"
#include "screens/findsubstring.h"
#include "screens/packagelistmodel.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

Package make(const std::string &name, const std::string &description)
{
    Package p;
    p.name = name;
    p.description = description;
    return p;
}

Repo repoOf(const std::string &name, PackageList packages)
{
    Repo repo;
    repo.name = name;
    repo.url = "https://" + name + ".example/";
    repo.packagesURL = repo.url + "Packages";
    repo.packages = std::move(packages);
    return repo;
}

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
        const Repo a = repoOf("a", {make("alpha", "First Tool"), make("beta", "محرر النصوص"), make("gamma", "")});
        const Repo empty = repoOf("empty", {});
        const Repo b = repoOf("b", {make("Delta", "a tool"), make("alpha", "again")});
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
        changed[2].packages = {make("algol", ""), make("zeta", "")};
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
        const PackageList a{make("a1", ""), make("a2", "")};
        const PackageList b{make("b1", ""), make("b2", ""), make("b3", "")};
        const PackageList c{make("c1", "")};
        PackageListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setLists({a, b, c});
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

        model.setLists({a, PackageList{make("B1", ""), make("B2", "")}, c});
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
        model.setLists({PackageList{make("x", "")}});
        QCOMPARE(reset.size(), 1);
        QCOMPARE(names(&model), QStringList{u"x"_s});
    }

    // Typing on and deleting back, across lists of every size, gives what a plain
    // case-insensitive test of every package gives.
    void catalogSearchAgreesWithPlainContains()
    {
        QRandomGenerator random(7);
        const std::string_view letters[] = {"a", "b", "c", "A", "B", " ", "é"};
        auto word = [&](int length) {
            std::string s;
            for (int i = 0; i < length; ++i)
                s += letters[random.bounded(int(std::size(letters)))];
            return s;
        };
        QList<PackageList> lists;
        for (const int size : {0, 1, 300, 0, 57}) {
            PackageList list;
            for (int i = 0; i < size; ++i)
                list.append(make(word(1 + int(random.bounded(8))), word(int(random.bounded(20)))));
            lists.append(list);
        }
        CatalogSearch search(PackageSearchIndex::Name | PackageSearchIndex::Description);
        search.setLists(lists);
        QTRY_VERIFY(search.isReady());

        PackageList joined;
        for (const PackageList &list : lists)
            joined += list;
        for (const QString &query : {u"a"_s, u"ab"_s, u"abC"_s, u"ab"_s, u"a"_s, u""_s, u"É"_s, u"é a"_s, u" "_s,
                                    u"ba"_s, u"bab"_s, u"babA"_s}) {
            std::vector<std::uint32_t> expected;
            for (qsizetype i = 0; i < joined.size(); ++i) {
                const Package &p = joined.at(i);
                if (QString::fromStdString(p.name).contains(query, Qt::CaseInsensitive)
                    || QString::fromStdString(p.description).contains(query, Qt::CaseInsensitive))
                    expected.push_back(std::uint32_t(i));
            }
            QVERIFY2(search.matches(query) == expected, qPrintable(query));
        }
    }

    // Every length around the sixteen-byte blocks, needles at both ends and past them.
    void substringSearchAgreesWithFind()
    {
        QRandomGenerator random(11);
        for (int size = 0; size < 70; ++size) {
            std::string text(std::size_t(size), 'a');
            for (char &c : text)
                c = "ab\xd8"[random.bounded(3)];
            for (int length = 0; length <= std::min(size + 1, 20); ++length) {
                for (int trial = 0; trial < 8; ++trial) {
                    std::string needle;
                    if (trial < 4 && length <= size)
                        needle = text.substr(random.bounded(size - length + 1), std::size_t(length));
                    else
                        for (int i = 0; i < length; ++i)
                            needle += "ab\xd8"[random.bounded(3)];
                    const std::size_t expected = std::string_view(text).find(needle);
                    const char *found = findSubstring(text.data(), text.size(), needle);
                    QCOMPARE(found ? std::size_t(found - text.data()) : std::string_view::npos, expected);
                }
            }
        }
    }

    void unchangedListsKeepTheirIndex()
    {
        const PackageList kept{make("kept", "")};
        CatalogSearch search(PackageSearchIndex::Name);
        QSignalSpy ready(&search, &CatalogSearch::ready);
        search.setLists({kept});
        QVERIFY(!search.isReady());
        QVERIFY(ready.wait());
        // The same records again, and an empty list: nothing to build.
        search.setLists({PackageList(kept), PackageList()});
        QVERIFY(search.isReady());
        QCOMPARE(search.matches(u"KEP"_s), std::vector<std::uint32_t>{0});
        // An equal list with records of its own is indexed anew.
        search.setLists({PackageList{make("kept", "")}, kept});
        QVERIFY(!search.isReady());
        QVERIFY(ready.wait());
        QCOMPARE(search.matches(u"kept"_s), (std::vector<std::uint32_t>{0, 1}));
        // An answer remembered for earlier lists is not given for later ones.
        PackageList eight;
        for (const char *name : {"kept", "a", "b", "c", "d", "e", "f", "g"})
            eight.append(make(name, ""));
        search.setLists({eight});
        QVERIFY(ready.wait());
        QCOMPARE(search.matches(u"kept"_s), std::vector<std::uint32_t>{0});
        search.setLists({PackageList{make("x", "")}, eight});
        QVERIFY(ready.wait());
        QCOMPARE(search.matches(u"kept"_s), std::vector<std::uint32_t>{1});
    }

    void screenStateFollowsTheSharedSearch()
    {
        TempDataDir data;
        ContentViewModel model;
        model.setRepos({repoOf("a", {make("one", ""), make("two", "")}), repoOf("b", {make("three", "")})});
        AllPackagesViewModel screen;
        QSignalSpy scrolls(&screen, &AllPackagesViewModel::scrollRequested);
        screen.setContentModel(&model);
        QCOMPARE(screen.title(), u"جميع الحزم (3)"_s);
        QCOMPARE(screen.countText(), u"عدد الحزم: 3"_s);

        screen.setSearchText(u"t"_s);
        QCOMPARE(model.searchText(), u"t"_s); // one text for both screens
        QTRY_COMPARE(screen.countText(), u"عدد الحزم: 2"_s);
        QCOMPARE(screen.title(), u"جميع الحزم (2)"_s);
        QCOMPARE(scrolls.size(), 1);
        QCOMPARE(scrolls.first().first().toInt(), 0);
        model.setSearchText(u"none"_s);
        QCOMPARE(screen.searchText(), u"none"_s);
        QCOMPARE(screen.countText(), u"عدد الحزم: 0"_s);
        QCOMPARE(scrolls.size(), 1); // nothing to bring to the top
    }
};

QTEST_GUILESS_MAIN(TestAllPackages)
#include "tst_allpackages.moc"
