#include "model/repojson.h"

#include <QTest>

#include <algorithm>
#include <bit>
#include <limits>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

Package package(const char *name, std::optional<double> ratings = std::nullopt)
{
    return {.name = name,
            .description = "A \"quoted\" description\\with\tcontrol\x01 chars, عربي and 😀",
            .version = "1.0-1+b2",
            .downloadURL = std::string("https://example.org/debs/") + name + ".deb",
            .architecture = "iphoneos-arm64",
            .ratings = ratings,
            .fileSize = 9'007'199'254'740'993}; // beyond a double's exact integers
}

Repo fullRepo()
{
    Repo r{.name = "Full / Source",
           .url = "https://example.org/",
           .imageURL = "https://example.org/CydiaIcon.png",
           .packagesURL = "https://example.org/Packages",
           .packages = {package("com.example.one", 4.5), package("com.example.two"), package("three", 1.0)},
           .isPinned = true,
           .lastUpdated = std::bit_cast<double>(std::bit_cast<std::uint64_t>(767'123'456.789) + 3), // odd low bits
           .developer = "Dev",
           .releaseDate = -12.25,
           .ratings = 0.1,
           .socialMediaLinks = std::vector<std::string>{"https://x.com/dev", ""},
           .isFixed = true,
           .isUpdating = true};
    for (const auto &[extra, value] : {std::pair{Extra::DisplayName, "Two \"2\" / عربي"},
                                       {Extra::IconURL, "https://example.org/icons/two.png"}, {Extra::Author, ""},
                                       {Extra::Section, "Tweaks"}, {Extra::DepictionURL, "https://example.org/two/"}})
        r.packages[1].extras.set(extra, value);
    r.packages[2].extras.set(Extra::Section, "Utilities");
    return r;
}

Repo minimalRepo()
{
    return {.name = "Minimal", .url = "https://m.example/", .imageURL = "https://m.example/CydiaIcon.png",
            .packagesURL = "https://m.example/Packages", .lastUpdated = 700'000'000};
}

std::string write(const RepoList &list)
{
    std::string out;
    if (!RepoJson::writeRepos(list, out))
        qFatal("writing failed");
    return out;
}

using Members = QList<std::pair<QByteArray, QByteArray>>;

QByteArray object(const Members &members, const QByteArray &drop, const QByteArray &extra)
{
    QByteArrayList parts;
    for (const auto &[key, value] : members)
        if (key != drop)
            parts << '"' + key + "\":" + value;
    return '{' + parts.join(',') + extra + '}';
}

// A valid one-source document with one package, as the writer forms it; extra members are
// appended to the source or package object, one key may be left out of either.
QByteArray documentWith(const QByteArray &repoExtra, const QByteArray &packageExtra,
                        const QByteArray &dropFromRepo = {}, const QByteArray &dropFromPackage = {})
{
    const QByteArray pkg = object({{"id", R"("6BA7B810-9DAD-11D1-80B4-00C04FD430C8")"}, {"name", R"("p")"},
                                   {"description", R"("d")"}, {"version", R"("1")"},
                                   {"downloadURL", R"("https:\/\/e.org\/p.deb")"}, {"architecture", R"("all")"},
                                   {"ratings", "2"}, {"fileSize", "5"}},
                                  dropFromPackage, packageExtra);
    return '[' + object({{"id", R"("A1A2A3A4-B1B2-C1C2-D1D2-D3D4D5D6D7D8")"}, {"name", R"("n")"},
                         {"url", R"("https:\/\/e.org\/")"}, {"imageURL", R"("i")"}, {"packagesURL", R"("p")"},
                         {"packages", '[' + pkg + ']'}, {"isPinned", "false"}, {"lastUpdated", "1.5"},
                         {"isFixed", "false"}, {"isUpdating", "false"}, {"updateProgress", "1"}},
                        dropFromRepo, repoExtra) + ']';
}

} // namespace

class TestRepoJson : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTripIsExact();
    void exactTextForm();
    void unwritableValueFailsTheWholeWrite();
    void streamedWriteIsTheSameDocumentInPieces();
    void validDocumentsRead();
    void readValuesAreRight();
    void invalidDocumentsFail_data();
    void invalidDocumentsFail();
};

// Writing what was read gives the same text, so every field is read back as it was written;
// the keys show that the optionals were written at all.
void TestRepoJson::roundTripIsExact()
{
    const RepoList list = {fullRepo(), minimalRepo()};
    const std::string text = write(list);
    for (const char *key : {"developer", "releaseDate", "socialMediaLinks", "displayName", "iconURL", "author",
                            "section", "depictionURL"})
        QVERIFY2(text.find(key) != std::string::npos, key);
    QString error;
    const std::optional<RepoList> back = RepoJson::readRepos(text, &error);
    QVERIFY2(back, qPrintable(error));
    QCOMPARE(write(*back), text);
    QCOMPARE(back->first().ratings, list.first().ratings); // its key is also a package's
    // Bytes without room for the reader's look-ahead are read from a copy.
    QVERIFY(RepoJson::readRepos(QByteArray::fromRawData(text.data(), qsizetype(text.size()))));

    std::string one, again;
    QVERIFY(RepoJson::writePackages(list.first().packages, one));
    const std::optional<PackageList> packages = RepoJson::readPackages(QByteArray::fromStdString(one));
    QVERIFY(packages && RepoJson::writePackages(*packages, again));
    QCOMPARE(again, one);
    QVERIFY(RepoJson::writePackage(list.first().packages.first(), one));
    QVERIFY(RepoJson::readPackage(QByteArray::fromStdString(one)));
    QVERIFY(!RepoJson::readPackage(QByteArray::fromStdString(one + "{}")));

    // Absent optionals are left out, not written as null, and read back absent.
    Repo minimal = minimalRepo();
    minimal.packages = {package("plain")};
    QVERIFY(RepoJson::writeRepo(minimal, one));
    for (const char *key : {"developer", "releaseDate", "ratings", "socialMediaLinks", "null", "displayName",
                            "iconURL", "author", "section", "depictionURL"})
        QVERIFY2(one.find(key) == std::string::npos, key);
    const std::optional<Repo> plain = RepoJson::readRepo(QByteArray::fromStdString(one));
    QVERIFY(plain && !plain->developer && !plain->releaseDate && !plain->ratings && !plain->socialMediaLinks);
    QVERIFY(plain->packages.first().extras.empty());

    // A document of the older form, without the extras' keys, writes back as it was.
    const QByteArray older = documentWith({}, {});
    const std::optional<RepoList> oldList = RepoJson::readRepos(older);
    QVERIFY(oldList && oldList->first().packages.first().extras.empty());
    QCOMPARE(QByteArray::fromStdString(write(*oldList)), older);
}

void TestRepoJson::exactTextForm()
{
    Package p{.id = QUuid(u"{6ba7b810-9dad-11d1-80b4-00c04fd430c8}"_s), .name = "a/b\"c\\\n\x1f", .description = "ä",
              .version = "", .downloadURL = "/", .architecture = "all", .ratings = 1.0, .fileSize = -3};
    std::string text;
    QVERIFY(RepoJson::writePackage(p, text));
    QCOMPARE(QByteArray::fromStdString(text),
             R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"a\/b\"c\\\n\u001f","description":"ä",)"
             R"("version":"","downloadURL":"\/","architecture":"all","ratings":1,"fileSize":-3})"_ba);

    p.extras.set(Extra::DepictionURL, "https://d/");
    p.extras.set(Extra::DisplayName, "A");
    QVERIFY(RepoJson::writePackage(p, text));
    QVERIFY(text.ends_with(R"("fileSize":-3,"displayName":"A","depictionURL":"https:\/\/d\/"})"));

    for (const auto &[value, form] : std::initializer_list<std::pair<double, const char *>>{
             {0.0, "0"}, {0.1, "0.1"}, {-0.0, "-0"}, {1e22, "1e+22"}, {767000000.5, "767000000.5"}}) {
        p.ratings = value;
        QVERIFY(RepoJson::writePackage(p, text));
        QVERIFY2(text.find(std::string("\"ratings\":") + form + ",") != std::string::npos, form);
    }
}

void TestRepoJson::unwritableValueFailsTheWholeWrite()
{
    for (int where = 0; where < 3; ++where) {
        RepoList list = {minimalRepo(), fullRepo()};
        Repo &r = list[1];
        if (where == 0)
            r.packages[2].ratings = std::numeric_limits<double>::quiet_NaN();
        else if (where == 1)
            r.lastUpdated = std::numeric_limits<double>::infinity();
        else
            r.name = "bad \xC3\x28 byte"; // not UTF-8
        std::string out = "previous";
        QVERIFY(!RepoJson::writeRepos(list, out));
        QVERIFY(out.empty());
        QVERIFY(!RepoJson::encodeRepos(list));
    }
}

// Handed on in pieces, a list is the same document, cut between records and never held whole;
// a value that cannot be written, or a piece refused, stops the writing there.
void TestRepoJson::streamedWriteIsTheSameDocumentInPieces()
{
    RepoList list = {fullRepo(), minimalRepo(), fullRepo()};
    for (int i = 0; i < 12000; ++i)
        list[1].packages.append(package(("com.example.p" + std::to_string(i)).c_str()));
    std::string buffer, joined;
    QList<std::size_t> sizes;
    const auto collect = [&](std::string_view piece) {
        joined += piece;
        sizes << piece.size();
        return true;
    };
    QVERIFY(RepoJson::writeRepos(list, buffer, collect));
    QVERIFY(buffer.capacity() <= 3 * RepoJson::pieceBytes && joined.size() > 3 * RepoJson::pieceBytes);

    list[2].packages[0].description = std::string(3 * RepoJson::pieceBytes, 'x');
    const std::string whole = write(list);
    joined.clear();
    sizes.clear();
    QVERIFY(RepoJson::writeRepos(list, buffer, collect));
    QCOMPARE(joined, whole);
    QVERIFY(sizes.size() >= 3);
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const std::size_t end = std::accumulate(sizes.cbegin(), sizes.cbegin() + i + 1, std::size_t(0));
        QVERIFY(whole[end - 1] == '}' || whole[end - 1] == ']');
    }
    // Only the piece with the long description outgrows its size.
    QCOMPARE(std::count_if(sizes.cbegin(), sizes.cend(), [](std::size_t n) { return n > RepoJson::pieceBytes + 4096; }), 1);

    // The bad value in the last repo: pieces were handed on before the failure was known.
    list[2].packages.last().ratings = std::numeric_limits<double>::quiet_NaN();
    joined.clear();
    QVERIFY(!RepoJson::writeRepos(list, buffer, collect));
    QVERIFY(!joined.empty() && joined.size() < whole.size());
    list[2].packages.last().ratings.reset();
    int handed = 0;
    QVERIFY(!RepoJson::writeRepos(list, buffer, [&handed](std::string_view) { return ++handed < 2; }));
    QCOMPARE(handed, 2);
}

void TestRepoJson::validDocumentsRead()
{
    const QByteArray ok = documentWith({}, {});
    const QByteArray documents[] = {
        documentWith(R"(,"developer":null,"releaseDate":null,"ratings":null,"socialMediaLinks":null)", {}, {}, "ratings")
            .replace(R"("packages":[{)", R"("packages":[{"ratings":null,)"), // null optionals
        documentWith(R"(,"extra":{"a":[1,{"b":null}],"c":"\u00e9"},"more":[])", R"(,"tags":["x"],"n":-1.5e3)"),
        R"([{"updateProgress":0,"packages":[{"fileSize":1,"architecture":"a","downloadURL":"d","version":"v",)"
        R"("description":"","name":"n","id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8"}],"isUpdating":true,)"
        R"("isFixed":true,"lastUpdated":0,"isPinned":true,"packagesURL":"p","imageURL":"i","url":"u",)"
        R"("name":"n","id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8"}])", // any key order
        QByteArray(ok).replace(R"("version")", R"("vers\u0069on")"),
        QByteArray(ok).replace(",", " ,\n\t").replace(":", " : "),
        QByteArray(ok).replace(R"("fileSize":5)", R"("fileSize":5.0)"),
        QByteArray(ok).replace(R"("fileSize":5)", R"("fileSize":-9223372036854775808)"),
        documentWith(",\"x\":" + QByteArray(500, '[') + QByteArray(500, ']'), {}),
        "[]"_ba};
    for (const QByteArray &json : documents) {
        QString error;
        QVERIFY2(RepoJson::readRepos(json, &error), qPrintable(error));
    }
}

void TestRepoJson::readValuesAreRight()
{
    QByteArray json = documentWith(R"(,"releaseDate":null,"socialMediaLinks":["a\/b","c/d"])",
                                   R"(,"section":"S\/\u00e9","displayName":"x","iconURL":"i","displayName":null)")
                          .replace("A1A2A3A4-B1B2-C1C2-D1D2-D3D4D5D6D7D8", "a1a2a3a4-b1b2-c1c2-d1d2-d3d4d5d6d7d8")
                          .replace(R"("lastUpdated":1.5)", R"("lastUpdated":700000000)")
                          .replace(R"("name":"p")", R"("name":"\ud83d\ude00 \u00e9\/\"")");
    const std::optional<RepoList> list = RepoJson::readRepos(json);
    QVERIFY(list && list->size() == 1);
    const Repo &r = list->first();
    QCOMPARE(r.lastUpdated, 700000000.0);
    QCOMPARE(r.url, std::string("https://e.org/"));
    QVERIFY(!r.releaseDate);
    QCOMPARE(*r.socialMediaLinks, (std::vector<std::string>{"a/b", "c/d"}));
    QCOMPARE(r.packages.first().name, std::string("😀 é/\""));
    QCOMPARE(r.packages.first().ratings, std::optional<double>(2.0));
    QCOMPARE(r.packages.first().section(), std::optional<std::string_view>("S/é"));
    QCOMPARE(r.packages.first().iconURL(), std::optional<std::string_view>("i"));
    QVERIFY(!r.packages.first().displayName() && !r.packages.first().author());
    // Lower-case id accepted, written back in upper case.
    std::string out;
    QVERIFY(RepoJson::writeRepos(*list, out));
    QVERIFY(out.find("\"id\":\"A1A2A3A4-B1B2-C1C2-D1D2-D3D4D5D6D7D8\"") != std::string::npos);
}

void TestRepoJson::invalidDocumentsFail_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("mention");
    for (const char *key : {"id", "name", "url", "imageURL", "packagesURL", "packages", "isPinned", "lastUpdated",
                            "isFixed", "isUpdating", "updateProgress"})
        QTest::addRow("source without %s", key) << documentWith({}, {}, key) << QString::fromLatin1(key);
    for (const char *key : {"id", "name", "description", "version", "downloadURL", "architecture", "fileSize"})
        QTest::addRow("package without %s", key) << documentWith({}, {}, {}, key) << QString::fromLatin1(key);
    const QByteArray ok = documentWith({}, {});
    auto with = [&ok](const char *from, const char *to) { return QByteArray(ok).replace(from, to); };
    QTest::newRow("ratings as text") << with(R"("ratings":2)", R"("ratings":"2")") << u"ratings"_s;
    QTest::newRow("pinned as number") << with(R"("isPinned":false)", R"("isPinned":0)") << u"isPinned"_s;
    QTest::newRow("name as number") << with(R"("name":"n")", R"("name":5)") << u"name"_s;
    QTest::newRow("date null") << with(R"("lastUpdated":1.5)", R"("lastUpdated":null)") << u"lastUpdated"_s;
    QTest::newRow("fraction size") << with(R"("fileSize":5)", R"("fileSize":5.5)") << u"fileSize"_s;
    QTest::newRow("huge size") << with(R"("fileSize":5)", R"("fileSize":9223372036854775808)") << u"fileSize"_s;
    // Next to −2⁶³, where the nearest double would pass for it.
    QTest::newRow("size below the range") << with(R"("fileSize":5)", R"("fileSize":-9223372036854775809)")
                                          << u"fileSize"_s;
    // Far too deep for a recursive reader's stack: unreadable, not a crash.
    QTest::newRow("nested too deeply") << documentWith(",\"x\":" + QByteArray(200'000, '[') + QByteArray(200'000, ']'), {})
                                       << u"deep"_s;
    QTest::newRow("nested too deeply in a package")
        << documentWith({}, ",\"x\":" + QByteArray(600, '{').replace("{", "{\"a\":") + "0" + QByteArray(600, '}'))
        << u"deep"_s;
    QTest::newRow("packages object") << with(R"("packages":[)", R"("packages":{"x":[)").replace("}],", "}]},")
                                     << u"packages"_s;
    QTest::newRow("braced uuid") << with(R"("A1A2A3A4-B1B2-C1C2-D1D2-D3D4D5D6D7D8")",
                                         R"("{A1A2A3A4-B1B2-C1C2-D1D2-D3D4D5D6D7D8}")")
                                 << u"id"_s;
    QTest::newRow("link not text") << documentWith(R"(,"socialMediaLinks":[1])", {}) << u"socialMediaLinks"_s;
    QTest::newRow("section number") << documentWith({}, R"(,"section":1)") << u"section"_s;
    QTest::newRow("lone surrogate") << with(R"("name":"n")", R"("name":"\ud800")") << u"name"_s;
    QTest::newRow("raw control character") << with(R"("name":"n")", "\"name\":\"a\x01\"") << QString();
    QTest::newRow("broken unknown value") << documentWith(R"(,"x":tru)", {}) << QString();
    QTest::newRow("element not an object") << "[1]"_ba << u"object"_s;
    QTest::newRow("trailing content") << QByteArray(ok + ",[]") << u"after"_s;
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("cut short") << ok.left(ok.size() - 5) << QString();
    QTest::newRow("not utf-8") << with(R"("name":"n")", "\"name\":\"\xff\"") << QString();
}

void TestRepoJson::invalidDocumentsFail()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, mention);
    QString error;
    QVERIFY(!RepoJson::readRepos(json, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY2(error.contains(mention), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestRepoJson)
#include "tst_repojson.moc"
