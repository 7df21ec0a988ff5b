#include "model/repojson.h"
#include "recordcompare.h"

#include <QTest>

#include <bit>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

Package package(const char *name, std::optional<double> ratings = std::nullopt)
{
    Package p;
    p.name = name;
    p.description = "A \"quoted\" description\\with\tcontrol\x01 chars, عربي and 😀";
    p.version = "1.0-1+b2";
    p.downloadURL = std::string("https://example.org/debs/") + name + ".deb";
    p.architecture = "iphoneos-arm64";
    p.ratings = ratings;
    p.fileSize = 9'007'199'254'740'993; // beyond a double's exact integers
    return p;
}

Repo fullRepo()
{
    Repo r;
    r.name = "Full / Source";
    r.url = "https://example.org/";
    r.imageURL = "https://example.org/CydiaIcon.png";
    r.packagesURL = "https://example.org/Packages";
    r.packages = {package("com.example.one", 4.5), package("com.example.two"), package("three", 1.0)};
    Package &described = r.packages[1];
    described.extras.set(Extra::DisplayName, "Two \"2\" / عربي");
    described.extras.set(Extra::IconURL, "https://example.org/icons/two.png");
    described.extras.set(Extra::Author, "");
    described.extras.set(Extra::Section, "Tweaks");
    described.extras.set(Extra::DepictionURL, "https://example.org/two/");
    r.packages[2].extras.set(Extra::Section, "Utilities");
    r.isPinned = true;
    r.lastUpdated = std::bit_cast<double>(std::bit_cast<std::uint64_t>(767'123'456.789) + 3); // odd low bits
    r.developer = "Dev";
    r.releaseDate = -12.25;
    r.ratings = 0.1;
    r.socialMediaLinks = std::vector<std::string>{"https://x.com/dev", ""};
    r.isFixed = true;
    r.isUpdating = true;
    r.updateProgress = 0.0;
    return r;
}

Repo minimalRepo()
{
    Repo r;
    r.name = "Minimal";
    r.url = "https://m.example/";
    r.imageURL = "https://m.example/CydiaIcon.png";
    r.packagesURL = "https://m.example/Packages";
    r.lastUpdated = 700'000'000;
    return r;
}

std::string write(const RepoList &list)
{
    std::string out;
    if (!RepoJson::writeRepos(list, out))
        qFatal("writing failed");
    return out;
}

// Removes `"key":value` (and its comma) from one JSON object's text.
void dropKey(QByteArray &object, const QString &key)
{
    const QByteArray needle = "\"" + key.toUtf8() + "\":";
    const qsizetype at = object.indexOf(needle);
    QVERIFY2(at >= 0, qPrintable(key));
    qsizetype end = at + needle.size();
    int depth = 0;
    while (end < object.size() && (depth > 0 || (object[end] != ',' && object[end] != '}'))) {
        const char c = object[end];
        depth += (c == '[' || c == '{') - (c == ']' || c == '}');
        ++end;
    }
    if (end < object.size() && object[end] == ',')
        object.remove(at, end - at + 1);
    else
        object.remove(at - 1, end - at + 1); // the last member: drop the comma before it
}

// A valid one-source document with one package, edited: extra members appended to the
// source or package object, keys dropped from either.
QByteArray documentWith(const QByteArray &repoExtra, const QByteArray &packageExtra,
                        const QStringList &dropFromRepo = {}, const QStringList &dropFromPackage = {})
{
    QByteArray pkg = R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"p","description":"d","version":"1",)"
                     R"("downloadURL":"https:\/\/e.org\/p.deb","architecture":"all","ratings":2,"fileSize":5)"_ba;
    QByteArray repo = R"({"id":"A1A2A3A4-B1B2-C1C2-D1D2-D3D4D5D6D7D8","name":"n","url":"https:\/\/e.org\/",)"
                      R"("imageURL":"i","packagesURL":"p","packages":[PKG],"isPinned":false,"lastUpdated":1.5,)"
                      R"("isFixed":false,"isUpdating":false,"updateProgress":1)"_ba;
    for (const QString &key : dropFromRepo)
        dropKey(repo, key);
    for (const QString &key : dropFromPackage)
        dropKey(pkg, key);
    pkg += packageExtra + "}";
    repo += repoExtra + "}";
    repo.replace("PKG", pkg);
    return "[" + repo + "]";
}

} // namespace

class TestRepoJson : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTripIsExact();
    void absentOptionalsAreLeftOut();
    void exactTextForm();
    void unwritableValueFailsTheWholeWrite_data();
    void unwritableValueFailsTheWholeWrite();
    void validDocumentsRead_data();
    void validDocumentsRead();
    void readValuesAreRight();
    void invalidDocumentsFail_data();
    void invalidDocumentsFail();
    void singleRecordsAndPackageLists();
};

void TestRepoJson::roundTripIsExact()
{
    const RepoList list = {fullRepo(), minimalRepo()};
    const std::string text = write(list);
    QString error;
    const std::optional<RepoList> back = RepoJson::readRepos(text, &error);
    QVERIFY2(back, qPrintable(error));
    QCOMPARE(back->size(), 2);
    RecordCompare::verifySame(list, *back);
    QCOMPARE(write(*back), text);
    // Bytes without room for the reader's look-ahead are read from a copy.
    QVERIFY(RepoJson::readRepos(QByteArray::fromRawData(text.data(), qsizetype(text.size()))));
}

void TestRepoJson::absentOptionalsAreLeftOut()
{
    std::string text;
    Repo minimal = minimalRepo();
    minimal.packages = {package("plain")};
    QVERIFY(RepoJson::writeRepo(minimal, text));
    for (const char *key : {"developer", "releaseDate", "ratings", "socialMediaLinks", "null", "displayName",
                            "iconURL", "author", "section", "depictionURL"})
        QVERIFY2(text.find(key) == std::string::npos, key);
    const std::optional<Repo> back = RepoJson::readRepo(QByteArray::fromStdString(text));
    QVERIFY(back);
    QVERIFY(!back->developer && !back->releaseDate && !back->ratings && !back->socialMediaLinks);
    QVERIFY(back->packages.first().extras.empty());

    // A document of the older form, without the extras' keys, reads with them absent and
    // writes back as it was.
    const QByteArray older = documentWith({}, {});
    const std::optional<RepoList> list = RepoJson::readRepos(older);
    QVERIFY(list);
    QVERIFY(list->first().packages.first().extras.empty());
    QCOMPARE(QByteArray::fromStdString(write(*list)), older);
}

void TestRepoJson::exactTextForm()
{
    Package p;
    p.id = QUuid(u"{6ba7b810-9dad-11d1-80b4-00c04fd430c8}"_s);
    p.name = "a/b\"c\\\n\x1f";
    p.description = "ä";
    p.version = "";
    p.downloadURL = "/";
    p.architecture = "all";
    p.ratings = 1.0;
    p.fileSize = -3;
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

void TestRepoJson::unwritableValueFailsTheWholeWrite_data()
{
    QTest::addColumn<int>("where");
    QTest::newRow("package rating nan") << 0;
    QTest::newRow("last updated inf") << 1;
    QTest::newRow("name not UTF-8") << 2;
}

void TestRepoJson::unwritableValueFailsTheWholeWrite()
{
    QFETCH(int, where);
    RepoList list = {minimalRepo(), fullRepo()};
    Repo &r = list[1];
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    switch (where) {
    case 0: r.packages[2].ratings = nan; break;
    case 1: r.lastUpdated = inf; break;
    case 2: r.name = "bad \xC3\x28 byte"; break;
    }
    std::string out = "previous";
    QVERIFY(!RepoJson::writeRepos(list, out));
    QVERIFY(out.empty());
    QVERIFY(!RepoJson::encodeRepos(list));
}

void TestRepoJson::validDocumentsRead_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("as written") << documentWith({}, {});
    QTest::newRow("null optionals") << documentWith(R"(,"developer":null,"releaseDate":null,)"
                                                    R"("ratings":null,"socialMediaLinks":null)",
                                                    {}, {}, {u"ratings"_s})
                                               .replace(R"("packages":[{)", R"("packages":[{"ratings":null,)");
    QTest::newRow("extras, one null") << documentWith({}, R"(,"section":"S","displayName":null,"iconURL":"i")");
    QTest::newRow("unknown keys") << documentWith(R"(,"extra":{"a":[1,{"b":null}],"c":"\u00e9"},"more":[])",
                                                  R"(,"tags":["x"],"n":-1.5e3)");
    QTest::newRow("key order") << QByteArray(
        R"([{"updateProgress":0,"packages":[{"fileSize":1,"architecture":"a","downloadURL":"d","version":"v",)"
        R"("description":"","name":"n","id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8"}],"isUpdating":true,)"
        R"("isFixed":true,"lastUpdated":0,"isPinned":true,"packagesURL":"p","imageURL":"i","url":"u",)"
        R"("name":"n","id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8"}])");
    QTest::newRow("escaped key") << documentWith({}, {}).replace(R"("version")", R"("vers\u0069on")");
    QTest::newRow("white space") << documentWith({}, {}).replace(",", " ,\n\t").replace(":", " : ");
    QTest::newRow("integral size as decimal") << documentWith({}, {}).replace(R"("fileSize":5)",
                                                                              R"("fileSize":5.0)");
    QTest::newRow("smallest size") << documentWith({}, {}).replace(R"("fileSize":5)",
                                                                   R"("fileSize":-9223372036854775808)");
    QTest::newRow("deep unknown value") << documentWith(",\"x\":" + QByteArray(500, '[') + QByteArray(500, ']'), {});
    QTest::newRow("empty list") << "[]"_ba;
}

void TestRepoJson::validDocumentsRead()
{
    QFETCH(QByteArray, json);
    QString error;
    QVERIFY2(RepoJson::readRepos(json, &error), qPrintable(error));
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
                            "isFixed", "isUpdating", "updateProgress"}) {
        QTest::addRow("source without %s", key) << documentWith({}, {}, {QString::fromLatin1(key)})
                                                << QString::fromLatin1(key);
    }
    for (const char *key : {"id", "name", "description", "version", "downloadURL", "architecture", "fileSize"}) {
        QTest::addRow("package without %s", key) << documentWith({}, {}, {}, {QString::fromLatin1(key)})
                                                 << QString::fromLatin1(key);
    }
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
    QTest::newRow("bad uuid") << with("A1A2A3A4-B1B2", "A1A2A3A4+B1B2") << u"id"_s;
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

void TestRepoJson::singleRecordsAndPackageLists()
{
    const Repo full = fullRepo();
    std::string text;
    QVERIFY(RepoJson::writePackages(full.packages, text));
    const std::optional<PackageList> packages = RepoJson::readPackages(QByteArray::fromStdString(text));
    QVERIFY(packages);
    RecordCompare::verifySame(full.packages, *packages);
    QVERIFY(RepoJson::writePackage(full.packages.first(), text));
    const std::optional<Package> one = RepoJson::readPackage(QByteArray::fromStdString(text));
    QVERIFY(one);
    RecordCompare::verifySame(PackageList{full.packages.first()}, PackageList{*one});
    QVERIFY(!RepoJson::readPackage(QByteArray::fromStdString(text + "{}")));
}

QTEST_GUILESS_MAIN(TestRepoJson)
#include "tst_repojson.moc"
