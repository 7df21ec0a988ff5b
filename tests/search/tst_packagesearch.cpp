#include "search/catalogsearch.h"
#include "search/findsubstring.h"
#include "search/packagesearch.h"
#include "search/packagesearchindex.h"
#include "sources/indexfile.h"
#include "records.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <vector>

using namespace Qt::StringLiterals;
using Indices = std::vector<std::uint32_t>;

namespace {

// The Arabic letter variants a search reads as one, written out apart from the product's fold.
QString withoutVariants(QString text)
{
    static const QRegularExpression marks(u"[\u0640\u064B-\u065F\u0670]"_s), alefs(u"[\u0622\u0623\u0625\u0671]"_s);
    return text.remove(marks).replace(alefs, u"\u0627"_s).replace(u'\u0649', u'\u064A');
}

bool holds(std::string_view field, const QString &query)
{
    return withoutVariants(QString::fromUtf8(field.data(), qsizetype(field.size())))
        .contains(withoutVariants(query), Qt::CaseInsensitive);
}

// What the screens promise: a case-insensitive substring test on the chosen fields, the name
// standing for the display name too, with the Arabic letter variants read as one.
Indices naive(const PackageList &packages, const QString &query, unsigned fields)
{
    Indices found;
    for (std::uint32_t i = 0; i < packages.size(); ++i) {
        const Package &p = packages[i];
        if (((fields & PackageSearchIndex::Name) && (holds(p.name, query) || holds(p.displayName().value_or(""), query)))
            || ((fields & PackageSearchIndex::Description) && holds(p.description, query)))
            found.push_back(i);
    }
    return found;
}

// The one source's search (names) and the catalog's (names and descriptions, one index per
// list) against the plain test, for queries typed on and deleted back.
void checkAgainstPlainContains(const QList<PackageList> &lists, const QStringList &queries)
{
    PackageList joined;
    for (const PackageList &list : lists)
        joined += list;
    const unsigned both = PackageSearchIndex::Name | PackageSearchIndex::Description;
    PackageSearch names(joined, PackageSearchIndex::Name);
    CatalogSearch catalog(both);
    catalog.setLists(lists);
    QTRY_VERIFY(catalog.isReady());
    for (const QString &query : queries) {
        QVERIFY2(names.matches(query) == naive(joined, query, PackageSearchIndex::Name), qPrintable(query));
        QVERIFY2(catalog.matches(query) == naive(joined, query, both), qPrintable(query));
    }
}

} // namespace

class TestPackageSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void findsByFoldedSubstring()
    {
        const PackageList packages{package("com.Example.Tool", "A tool"), package("org.other", "example inside"),
                                   package("تطبيق الأداة", "وصف"), package("ΣΊΣΥΦΟΣ"), package("")};
        const PackageSearchIndex names(packages, PackageSearchIndex::Name);
        QCOMPARE(names.search(PackageSearchIndex::fold(u"EXAMPLE"_s)), (Indices{0}));
        QCOMPARE(names.search(PackageSearchIndex::fold(u"الأداة"_s)), (Indices{2}));
        QCOMPARE(names.search(PackageSearchIndex::fold(u"σίσυφος"_s)), (Indices{3}));
        QCOMPARE(names.search({}), (Indices{0, 1, 2, 3, 4}));
        const PackageSearchIndex both(packages, PackageSearchIndex::Name | PackageSearchIndex::Description);
        QCOMPARE(both.search(PackageSearchIndex::fold(u"example"_s)), (Indices{0, 1}));

        // Folded text is "ab\0cd\0": no query may join the end of one field to the next.
        const PackageSearchIndex fields({package("ab", "cd"), package("b", "c")}, PackageSearchIndex::Name | PackageSearchIndex::Description);
        QCOMPARE(fields.search(std::string_view("b\0c", 3)), Indices{});
        QCOMPARE(fields.search("bc"), Indices{});
        QCOMPARE(fields.search("c"), (Indices{0, 1}));
        QCOMPARE(fields.search("c", Indices{1}), (Indices{1}));
    }

    // Narrowing starts from earlier answers; each must equal a search from scratch, across
    // lists of every size.
    void agreesWithPlainContains()
    {
        QRandomGenerator random(7);
        const std::string_view letters[] = {"a", "b", "c", "A", "B", " ", "é", "İ", "ß", "ال", "ة", "Σ", "ς",
                                            "ا", "أ", "إ", "آ", "ٱ", "ى", "ي", "ـ", "\u064B", "\u0651", "\u065F", "\u0670"};
        auto word = [&](int length) {
            std::string s;
            for (int i = 0; i < length; ++i)
                s += letters[random.bounded(int(std::size(letters)))];
            return s;
        };
        QList<PackageList> lists;
        for (const int size : {0, 1, 300, 0, 57}) {
            PackageList list;
            for (int i = 0; i < size; ++i) {
                list.append(package(word(1 + int(random.bounded(8))), word(int(random.bounded(20)))));
                if (random.bounded(2))
                    list.last().extras.set(Extra::DisplayName, word(int(random.bounded(10))));
            }
            lists.append(list);
        }
        checkAgainstPlainContains(lists, {u"a"_s, u"ab"_s, u"abC"_s, u"ab"_s, u"a"_s, u""_s, u"É"_s, u"é a"_s, u" "_s,
                                          u"ba"_s, u"bab"_s, u"babA"_s, u"i"_s, u"İ"_s,
                                          u"SS"_s, u"ß"_s, u"ال"_s, u"σ"_s, u"ΣΣ"_s, u"أ"_s, u"إا"_s, u"اى"_s,
                                          u"ٱي"_s, u"ـا"_s, u"\u064Eا"_s, u"يآ"_s});
    }

    // Real display names and descriptions, searched for by what their cards show.
    void corpusAgreesWithPlainContains()
    {
        REQUIRE_CORPUS(dir);
        QList<PackageList> lists;
        for (QDirIterator it(dir, {u"Packages"_s}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            lists.append(readIndexFile(it.next(), "https://example.org/").packages);
        checkAgainstPlainContains(lists, {u"TrollSpeed"_s, u"troll"_s, u"مدير الملفات"_s, u"汽车"_s, u"اداة"_s,
                                          u"أداة"_s, u"ادوات"_s, u"تطبيق"_s, u"jb"_s, u"ى"_s});
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
                    const char *found = findSubstring(text.data(), text.size(), needle);
                    QCOMPARE(found ? std::size_t(found - text.data()) : std::string_view::npos, std::string_view(text).find(needle));
                }
            }
        }
    }

    void unchangedListsKeepTheirIndex()
    {
        const PackageList kept{package("kept")};
        CatalogSearch search(PackageSearchIndex::Name);
        QSignalSpy ready(&search, &CatalogSearch::ready);
        search.setLists({kept});
        QVERIFY(!search.isReady());
        QVERIFY(ready.wait());
        // The same records again, and an empty list: nothing to build.
        search.setLists({PackageList(kept), PackageList()});
        QVERIFY(search.isReady());
        QCOMPARE(search.matches(u"KEP"_s), Indices{0});
        // An equal list with records of its own is indexed anew.
        search.setLists({PackageList{package("kept")}, kept});
        QVERIFY(!search.isReady());
        QVERIFY(ready.wait());
        QCOMPARE(search.matches(u"kept"_s), (Indices{0, 1}));
        // An answer remembered for earlier lists is not given for later ones.
        PackageList eight;
        for (const char *name : {"kept", "a", "b", "c", "d", "e", "f", "g"})
            eight.append(package(name));
        search.setLists({eight});
        QVERIFY(ready.wait());
        QCOMPARE(search.matches(u"kept"_s), Indices{0});
        search.setLists({PackageList{package("x")}, eight});
        QVERIFY(ready.wait());
        QCOMPARE(search.matches(u"kept"_s), Indices{1});
    }
};

QTEST_GUILESS_MAIN(TestPackageSearch)
#include "tst_packagesearch.moc"
