#include "screens/allpackages/allpackagesviewmodel.h"
#include "screens/mainscreen/contentviewmodel.h"
#include "screens/packagegrid/packagelistmodel.h"
#include "screens/packagegrid/packagerowmodel.h"
#include "screens/sourcedetail/repodetailviewmodel.h"
#include "records.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// The package lists behind the source screen and the all-packages sheet.
namespace {

QStringList names(const PackageListModel *list)
{
    QStringList names;
    for (int row = 0; row < list->rowCount(); ++row)
        names << list->data(list->index(row), PackageListModel::NameRole).toString();
    return names;
}

constexpr auto QtTestFailures = QAbstractItemModelTester::FailureReportingMode::QtTest;

} // namespace

class TestRepoDetailViewModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Simplified: arm64e before arm64 before arm, anywhere in the name, no case folding.
    void architecturesAreDistinctSimplifiedAndSorted()
    {
        RepoDetailViewModel model;
        model.setRepo(repoOf("s", {package("a", "", "iphoneos-arm64"), package("b", "", "armhf"), package("c", "", "xxarm64eyy"),
                                   package("d", "", "arm64"), package("e", "", "Zulu"), package("f", "", "all"), package("g", "", "ARM64")}));
        QCOMPARE(model.availableArchitectures(), (QStringList{u"All Architectures"_s, u"ARM64"_s, u"Zulu"_s, u"all"_s,
                                                              u"arm"_s, u"arm64"_s, u"arm64e"_s}));
        QCOMPARE(model.selectedArchitecture(), u"All Architectures"_s);
        // The search looks at names only, the architecture at the simplified one.
        model.setRepo(repoOf("s", {package("com.TOOL.one", "", "iphoneos-arm64"), package("other", "a tool", "iphoneos-arm"),
                                   package("mytool", "", "iphoneos-arm64e")}));
        model.setSearchText(u"tool"_s);
        QCOMPARE(names(model.packages()), (QStringList{u"com.TOOL.one"_s, u"mytool"_s}));
        model.setSelectedArchitecture(u"arm64"_s);
        QCOMPARE(names(model.packages()), QStringList{u"com.TOOL.one"_s});
        model.setSearchText({});
        model.setRepo(repoOf("s", {package("x", "", "iphoneos-arm64"), package("y", "", "arm")})); // a refresh keeps the choice
        QCOMPARE(names(model.packages()), QStringList{u"x"_s});

        RepoDetailViewModel empty;
        empty.setRepo(repoOf("s", {}));
        QCOMPARE(empty.availableArchitectures(), QStringList{u"All Architectures"_s});
        QCOMPARE(empty.countText(), u"عدد الملفات: 0"_s);
    }

    // Sections by name with their counts; a refresh keeps the chosen one (the first as well)
    // while the source has it, and falls back to all sections when it has not.
    void sectionsThroughARefresh()
    {
        const auto withSections = [](std::initializer_list<const char *> sections) {
            PackageList packages;
            for (const char *section : sections)
                packages.append(package(section)), packages.last().extras.set(Extra::Section, section);
            return repoOf("s", packages);
        };
        RepoDetailViewModel model;
        model.setRepo(withSections({"Tweaks", "Apps", "Tweaks"}));
        QStringList menu;
        for (const QVariant &choice : model.sectionChoices())
            menu << choice.toMap().value(u"text"_s).toString();
        QCOMPARE(menu, (QStringList{u"كل الأقسام"_s, u"Apps (1)"_s, u"Tweaks (2)"_s}));
        model.setSelectedSection(u"Apps"_s);
        QSignalSpy sectionChanged(&model, &RepoDetailViewModel::selectedSectionChanged);
        model.setRepo(withSections({"Apps", "Tweaks", "Apps"}));
        QCOMPARE(model.packages()->count(), 2);
        model.setRepo(withSections({"Tweaks", "Tweaks"}));
        QCOMPARE(model.selectedSection(), QString());
        QCOMPARE(sectionChanged.count(), 1);
        QCOMPARE(model.packages()->count(), 2);
    }

    // Whatever the change, the rows end as the new set (a few runs of changes come as
    // precise removals and insertions, which the grid's case relies on to keep its cards).
    void anyChangeOfTheVisibleSetEndsInThatSet()
    {
        PackageList packages;
        for (int i = 0; i < 300; ++i)
            packages.append(package(std::to_string(i)));
        PackageListModel list;
        list.setPackages(packages);
        QAbstractItemModelTester tester(&list, QtTestFailures);
        // The grid's rows of three follow every change without a reset of their own: a view
        // would make its cards anew. A reset of the packages comes as `replaced`.
        PackageRowModel rows;
        rows.setColumns(3);
        rows.setPackages(&list);
        QAbstractItemModelTester rowTester(&rows, QtTestFailures);
        QSignalSpy rowResets(&rows, &QAbstractItemModel::modelReset);
        QSignalSpy listResets(&list, &QAbstractItemModel::modelReset);
        QSignalSpy replaced(&rows, &PackageRowModel::replaced);
        QSignalSpy rowChanges(&rows, &QAbstractItemModel::dataChanged);
        QRandomGenerator random(7);
        for (int round = 0; round < 60; ++round) {
            // From sparse to dense sets, so both precise changes and resets occur.
            const int keepOneIn = 1 + random.bounded(round % 3 == 0 ? 2 : 40);
            std::vector<std::uint32_t> next;
            for (std::uint32_t i = 0; i < 300; ++i)
                if (random.bounded(keepOneIn) == 0)
                    next.push_back(i);
            const qsizetype resetsBefore = listResets.count();
            list.setVisible(next);
            QCOMPARE(list.visible(), next);
            if (listResets.count() > resetsBefore && !next.empty()) { // every row shows others now
                QCOMPARE(rowChanges.last().at(0).toModelIndex().row(), 0);
                QCOMPARE(rowChanges.last().at(1).toModelIndex().row(), rows.rowCount() - 1);
            }
            for (int row = 0; row < list.rowCount(); row += 17)
                QCOMPARE(list.data(list.index(row), PackageListModel::NameRole).toString(), QString::number(next[row]));
            if (!next.empty())
                QCOMPARE(list.rowOfPackage(int(next.back())), int(next.size()) - 1);
            QCOMPARE(rows.rowCount(), (int(next.size()) + 2) / 3);
            for (int row = 0; row < rows.rowCount(); row += 7) {
                const QVariantList cards = rows.data(rows.index(row), PackageRowModel::CardsRole).toList();
                QCOMPARE(cards.first().toMap().value(u"name"_s).toString(), QString::number(next[std::size_t(row) * 3]));
            }
        }
        QCOMPARE(rowResets.count(), 0);
        QVERIFY(listResets.count() > 0);
        QCOMPARE(replaced.count(), listResets.count());

        // Lists replaced, inserted or removed among others, the rows shown in index order or not.
        const auto made = [](const std::string &prefix, int count) {
            PackageList made;
            for (int i = 0; i < count; ++i)
                made.append(package(prefix + std::to_string(i)));
            return made;
        };
        QList<PackageList> lists;
        for (int l = 0; l < 6; ++l)
            lists.append(made(std::to_string(l) + ".", 20));
        PackageListModel joined;
        joined.setLists(lists);
        QAbstractItemModelTester joinedTester(&joined, QtTestFailures);
        for (int round = 0; round < 60; ++round) {
            QList<PackageList> next = lists;
            const int at = int(random.bounded(next.size()));
            const PackageList fresh = made("n" + std::to_string(round) + ".", 1 + random.bounded(30));
            if (round % 4 == 0 && next.size() > 1)
                next.removeAt(at);
            else if (round % 4 == 1)
                next.insert(at, fresh);
            else
                next[at] = fresh;
            QStringList all;
            for (const PackageList &list : next)
                for (const Package &p : list)
                    all << QString::fromStdString(p.name);
            std::vector<std::uint32_t> shown;
            for (std::uint32_t i = 0; i < std::uint32_t(all.size()); ++i)
                if (random.bounded(3) != 0)
                    shown.push_back(i);
            if (round % 3 == 2)
                std::reverse(shown.begin(), shown.end());
            joined.setLists(next, round % 3 == 0 ? nullptr : &shown);
            QStringList expected = round % 3 == 0 ? all : QStringList();
            for (std::uint32_t i : round % 3 == 0 ? std::vector<std::uint32_t>() : shown)
                expected << all.at(i);
            QCOMPARE(names(&joined), expected);
            lists = next;
        }
    }

    // A search and the button go back to the top, also when nothing or not the first package
    // is left: the filters are there.
    void searchAndButtonGoToTheTop()
    {
        RepoDetailViewModel model;
        model.setRepo(repoOf("s", {package("first"), package("second")}));
        QSignalSpy scroll(&model, &RepoDetailViewModel::scrollRequested);
        for (const char *text : {"s", "sec", "nothing"})
            model.setSearchText(QString::fromLatin1(text));
        model.scrollToTop();
        QCOMPARE(static_cast<const QList<QVariantList> &>(scroll), (QList<QVariantList>{{false}, {false}, {false}, {true}}));
    }

    // Every source's packages in one list, searched by name or description; the sheet drives
    // the shared search and its texts.
    void allPackagesJoinedAndFilteredByNameOrDescription()
    {
        TempDataDir data;
        ContentViewModel model;
        QAbstractItemModelTester allTester(model.allPackages(), QtTestFailures);
        QAbstractItemModelTester tester(model.filteredPackages(), QtTestFailures);
        model.setRepos({repoOf("a", {package("alpha", "First Tool"), package("beta"), package("gamma")}), repoOf("empty", {}),
                        repoOf("b", {package("Delta", "a tool"), package("alpha", "again")})});
        QCOMPARE(names(model.allPackages()), (QStringList{u"alpha"_s, u"beta"_s, u"gamma"_s, u"Delta"_s, u"alpha"_s}));
        QCOMPARE(names(model.filteredPackages()), names(model.allPackages()));
        model.setSearchText(u"TOOL"_s);
        QTRY_COMPARE(names(model.filteredPackages()), (QStringList{u"alpha"_s, u"Delta"_s}));

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

        // A search brings the sheet's grid to the top only when it shows something.
        AllPackagesViewModel sheet;
        QSignalSpy scrolls(&sheet, &AllPackagesViewModel::scrollRequested);
        sheet.setContentModel(&model);
        sheet.setSearchText(u"z"_s);
        QTRY_COMPARE(sheet.countText(), u"عدد الحزم: 1"_s);
        QCOMPARE(scrolls.size(), 1);
        QCOMPARE(scrolls.first().first().toInt(), 0);
        model.setSearchText(u"none"_s);
        QTRY_COMPARE(sheet.countText(), u"عدد الحزم: 0"_s);
        QCOMPARE(scrolls.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestRepoDetailViewModel)
#include "tst_repodetailviewmodel.moc"
