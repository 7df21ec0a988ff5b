#include "search/packagesearch.h"
#include "search/packagesearchindex.h"
#include "sources/packagesparser.h"
#include "sources/utf8.h"
#include "testsupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTest>

#include <vector>

using namespace Qt::StringLiterals;
using Indices = std::vector<std::uint32_t>;

namespace {

Package make(const char *name, const char *description = "")
{
    Package p;
    p.name = name;
    p.description = description;
    return p;
}

// What the screens promise: a case-insensitive substring test on the chosen fields.
Indices naive(const PackageList &packages, const QString &query, unsigned fields)
{
    Indices found;
    for (std::uint32_t i = 0; i < packages.size(); ++i) {
        const Package &p = packages[i];
        if (((fields & PackageSearchIndex::Name) && QString::fromStdString(p.name).contains(query, Qt::CaseInsensitive))
            || ((fields & PackageSearchIndex::Description)
                && QString::fromStdString(p.description).contains(query, Qt::CaseInsensitive)))
            found.push_back(i);
    }
    return found;
}

} // namespace

class TestPackageSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void findsByFoldedSubstring()
    {
        const PackageList packages{make("com.Example.Tool", "A tool"), make("org.other", "example inside"),
                                   make("تطبيق الأداة", "وصف"), make("ΣΊΣΥΦΟΣ"), make("")};
        const PackageSearchIndex names(packages, PackageSearchIndex::Name);
        QCOMPARE(names.search(PackageSearchIndex::fold(u"EXAMPLE"_s)), (Indices{0}));
        QCOMPARE(names.search(PackageSearchIndex::fold(u"الأداة"_s)), (Indices{2}));
        QCOMPARE(names.search(PackageSearchIndex::fold(u"σίσυφος"_s)), (Indices{3}));
        QCOMPARE(names.search(PackageSearchIndex::fold(u"nothing"_s)), Indices{});
        QCOMPARE(names.search({}), (Indices{0, 1, 2, 3, 4}));

        const PackageSearchIndex both(packages, PackageSearchIndex::Name | PackageSearchIndex::Description);
        QCOMPARE(both.search(PackageSearchIndex::fold(u"example"_s)), (Indices{0, 1}));
        QCOMPARE(both.search(PackageSearchIndex::fold(u"وصف"_s)), (Indices{2}));
    }

    void matchNeverSpansTwoFields()
    {
        // Folded text is "ab\0cd\0": no query may join the end of one field to the next.
        const PackageList packages{make("ab", "cd"), make("b", "c")};
        const PackageSearchIndex both(packages, PackageSearchIndex::Name | PackageSearchIndex::Description);
        QCOMPARE(both.search(std::string_view("b\0c", 3)), Indices{});
        QCOMPARE(both.search("bc"), Indices{});
        QCOMPARE(both.search("c"), (Indices{0, 1}));
        QCOMPARE(both.search("c", Indices{1}), (Indices{1}));
    }

    void typingOnAndDeletingGiveFreshAnswers()
    {
        PackageList packages;
        for (int i = 0; i < 200; ++i)
            packages.append(make(QByteArray("pkg-" + QByteArray::number(i * 7919 % 1000)).constData()));
        PackageSearch search(packages, PackageSearchIndex::Name);
        // Narrowing starts from earlier answers; each must equal a search from scratch.
        for (const QString &query : {u"p"_s, u"pk"_s, u"pkg-1"_s, u"pkg-12"_s, u"pkg-1"_s, u"PKG"_s, u"-12"_s,
                                     u"g-12"_s, u""_s, u"9"_s, u"99"_s, u"-"_s})
            QCOMPARE(search.matches(query), naive(packages, query, PackageSearchIndex::Name));
    }

    void agreesWithQStringOnRealIndexes()
    {
        REQUIRE_CORPUS(repos);
        PackageList packages;
        for (const QString &folder : QDir(repos).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QByteArray text = TestData::readFile(repos + u'/' + folder + u"/Packages"_s);
            if (isValidUtf8(std::string_view(text.constData(), size_t(text.size()))))
                packages.append(parsePackages(std::string_view(text.constData(), size_t(text.size())), "https://example.org/"));
        }
        QVERIFY(packages.size() > 1000);
        const unsigned fields = PackageSearchIndex::Name | PackageSearchIndex::Description;
        PackageSearch names(packages, PackageSearchIndex::Name);
        PackageSearch both(packages, fields);
        // Queries cut from the records themselves, in upper and lower case, plus some letters.
        QStringList queries{u"A"_s, u"tWeAk"_s, u"ال"_s, u"ة"_s, u"中"_s, u"."_s, u" "_s, u"ß"_s, u"İ"_s};
        auto *random = QRandomGenerator::global();
        for (int i = 0; i < 60; ++i) {
            const Package &p = packages[random->bounded(int(packages.size()))];
            const QString source = QString::fromStdString(i % 2 ? p.description : p.name);
            if (source.isEmpty())
                continue;
            const int from = random->bounded(int(source.size()));
            const QString part = source.mid(from, 1 + random->bounded(6));
            queries << part << part.toUpper();
        }
        for (const QString &query : std::as_const(queries)) {
            QCOMPARE(names.matches(query), naive(packages, query, PackageSearchIndex::Name));
            QCOMPARE(both.matches(query), naive(packages, query, fields));
        }
    }
};

QTEST_GUILESS_MAIN(TestPackageSearch)
#include "tst_packagesearch.moc"
