#include "sources/decompress.h"
#include "sources/indextext.h"
#include "sources/packagesparser.h"
#include "sources/utf8.h"
#include "testsupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <array>
#include <charconv>
#include <map>
#include <regex>

using namespace Qt::StringLiterals;

namespace {

std::string_view view(const QByteArray &bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

QString number(double value)
{
    char digits[32];
    return QString::fromLatin1(digits, std::to_chars(digits, digits + 32, value).ptr - digits);
}

// name|description|version|downloadURL|architecture|ratings|fileSize, "-" for an absent rating.
QString describe(const Package &p)
{
    return QString::fromStdString(p.name + '|' + p.description + '|' + p.version + '|' + p.downloadURL + '|'
                                  + p.architecture + '|')
        + (p.ratings ? number(*p.ratings) : u"-"_s) + u'|' + QString::number(p.fileSize);
}

// The extras in their order, "~" for an absent one.
QString describeExtras(const Package &p)
{
    QStringList values;
    for (std::size_t i = 0; i < extraCount; ++i) {
        const std::optional<std::string_view> value = p.extras.get(Extra(i));
        values << (value ? QString::fromUtf8(value->data(), qsizetype(value->size())) : u"~"_s);
    }
    return values.join(u'|');
}

QStringList describeExtras(const PackageList &packages)
{
    QStringList lines;
    for (const Package &p : packages)
        lines << describeExtras(p);
    return lines;
}

QStringList describe(const PackageList &packages)
{
    QStringList lines;
    for (const Package &p : packages)
        lines << describe(p);
    return lines;
}

QStringList parse(const QByteArray &text, const char *repoURL = "https://r.example/")
{
    return describe(parsePackages(view(text), repoURL));
}

// The rule written out the slow, obvious way, to check the fast parser against: carriage
// returns before line feeds dropped, stanzas cut at "\n\n", lines at "\n". Ratings come from
// the table the random texts draw their values from (real indexes have none).
const std::map<std::string, std::int64_t> sizeValues = {
    {"12", 12}, {"+12", 12}, {"-3", -3}, {"12x", 0}, {" 12", 0}, {"", 0}, {"0", 0}, {"12 ", 0}};
const std::map<std::string, std::optional<double>> ratingValues = {
    {"4.5", 4.5}, {"4.5 ", {}}, {"-2", -2.0}, {"0x1p1", 2.0}, {"nan", {}}, {"inf", {}}, {"x", {}}, {"", {}}};

std::int64_t referenceSize(const std::string &value)
{
    static const std::regex form("[+-]?[0-9]+");
    std::int64_t size = 0;
    if (!std::regex_match(value, form))
        return 0;
    const char *digits = value.data() + (value.front() == '+');
    return std::from_chars(digits, value.data() + value.size(), size).ec == std::errc() ? size : 0;
}

// The seven fields of each record, and its extras when `extras` is given.
QStringList reference(std::string text, const std::string &repoURL, QStringList *extras = nullptr)
{
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;)
        text.erase(at, 1);
    QStringList result;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t cut = text.find("\n\n", begin);
        const std::string stanza = text.substr(begin, cut == std::string::npos ? std::string::npos : cut - begin);
        Package p;
        p.architecture = "arm";
        std::optional<std::string> sileoDepiction;
        std::size_t lineBegin = 0;
        for (;;) {
            const std::size_t lineEnd = stanza.find('\n', lineBegin);
            const std::string line = stanza.substr(lineBegin, lineEnd == std::string::npos ? lineEnd : lineEnd - lineBegin);
            auto field = [&](const char *prefix, auto apply) {
                if (line.rfind(prefix, 0) == 0)
                    apply(line.substr(std::strlen(prefix)));
            };
            field("Package: ", [&](const std::string &v) { p.name = v; });
            field("Description: ", [&](const std::string &v) { p.description = v; });
            field("Version: ", [&](const std::string &v) { p.version = v; });
            field("Filename: ", [&](const std::string &v) { p.downloadURL = repoURL + v; });
            field("Architecture: ", [&](const std::string &v) { p.architecture = v; });
            // A value glued to the next line by a lone CR is no number.
            field("Ratings: ", [&](const std::string &v) {
                p.ratings = ratingValues.count(v) ? ratingValues.at(v) : std::nullopt;
            });
            field("Size: ", [&](const std::string &v) { p.fileSize = referenceSize(v); });
            field("Name: ", [&](const std::string &v) { p.extras.set(Extra::DisplayName, v); });
            field("Icon: ", [&](const std::string &v) { p.extras.set(Extra::IconURL, v); });
            field("Author: ", [&](const std::string &v) { p.extras.set(Extra::Author, v); });
            field("Section: ", [&](const std::string &v) { p.extras.set(Extra::Section, v); });
            field("Depiction: ", [&](const std::string &v) { p.extras.set(Extra::DepictionURL, v); });
            field("SileoDepiction: ", [&](const std::string &v) { sileoDepiction = v; });
            if (lineEnd == std::string::npos)
                break;
            lineBegin = lineEnd + 1;
        }
        if (sileoDepiction && !p.depictionURL())
            p.extras.set(Extra::DepictionURL, *sileoDepiction);
        if (!p.name.empty()) {
            result << describe(p);
            if (extras)
                *extras << describeExtras(p);
        }
        if (cut == std::string::npos)
            return result;
        begin = cut + 2;
    }
}

// A random index built from the pieces real indexes are made of, line endings mixed.
QByteArray randomIndex(QRandomGenerator &random)
{
    static const char *const fixedLines[] = {"Package:x",  "package: y", " continued", " ",          "\t", ".",
                                             "Depends: a", "Package: ",  "Version:1",  "Pre-Depends: b",
                                             "Name: N", "Icon: i.png", "Author: A <a@b>", "Sileodepiction: x",
                                             "Name:n", "Depiction:x", "Icon2: j", "Native Depiction: n"};
    auto pick = [&](const auto &table) {
        auto it = table.begin();
        std::advance(it, random.bounded(int(table.size())));
        return it->first;
    };
    QByteArray text;
    const int lines = random.bounded(40);
    for (int i = 0; i < lines; ++i) {
        switch (random.bounded(15)) {
        case 0: text += "Package: p" + QByteArray::number(random.bounded(5)); break;
        case 1: text += "Description: d " + QByteArray::number(i); break;
        case 2: text += "Version: 1." + QByteArray::number(i); break;
        case 3: text += "Filename: debs/f" + QByteArray::number(i) + ".deb"; break;
        case 4: text += "Architecture: iphoneos-arm64"; break;
        case 5: text += "Ratings: " + QByteArray::fromStdString(pick(ratingValues)); break;
        case 6: text += "Size: " + QByteArray::fromStdString(pick(sizeValues)); break;
        case 7: case 8: break; // an empty line
        case 12: text += "Section: s" + QByteArray::number(random.bounded(3)); break;
        case 13: text += random.bounded(2) ? QByteArray("Depiction: https://d/" + QByteArray::number(i)) : QByteArray("Depiction: "); break;
        case 14: text += "SileoDepiction: https://s/" + QByteArray::number(i); break;
        default: text += fixedLines[random.bounded(int(std::size(fixedLines)))];
        }
        if (i + 1 < lines || random.bounded(2))
            text += random.bounded(4) == 0 ? "\r\n" : random.bounded(8) == 0 ? "\r" : "\n";
    }
    return text;
}

} // namespace

class TestPackagesParser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textRule_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty text") << QByteArray() << QStringList();
        QTest::newRow("error page") << "<html><body>404 Not Found</body></html>\n"_ba << QStringList();
        QTest::newRow("all seven fields") << "Package: a\nVersion: 1.0\nArchitecture: iphoneos-arm\n"
                                             "Filename: debs/a.deb\nSize: 42\nDescription: the tool\nRatings: 4.5\n"_ba
                                          << QStringList{u"a|the tool|1.0|https://r.example/debs/a.deb|iphoneos-arm|4.5|42"_s};
        QTest::newRow("defaults") << "Package: a\n"_ba << QStringList{u"a||||arm|-|0"_s};
        QTest::newRow("empty values are not defaults") << "Package: a\nArchitecture: \nFilename: \n"_ba
                                                       << QStringList{u"a|||https://r.example/||-|0"_s};
        QTest::newRow("only Package: makes a record") << "Version: 1\nFilename: x.deb\n\nPackage: \n"_ba << QStringList();
        QTest::newRow("last occurrence wins") << "Package: a\nVersion: 1\nPackage: b\nVersion: 2\n"_ba
                                              << QStringList{u"b||2||arm|-|0"_s};
        QTest::newRow("late unreadable size resets") << "Package: a\nSize: 5\nSize: 5x\n"_ba << QStringList{u"a||||arm|-|0"_s};
        QTest::newRow("values are not trimmed") << "Package:  a \nVersion: 1.0 \nDescription:  x\n"_ba
                                                << QStringList{u" a | x|1.0 ||arm|-|0"_s};
        QTest::newRow("CR not before LF stays") << "Package: a\rb\nVersion: 1\r\r\nSize: 3\r"_ba
                                                << QStringList{u"a\rb||1\r||arm|-|0"_s};
        QTest::newRow("CR CR LF line does not") << "Package: a\n\r\r\nPackage: b"_ba << QStringList{u"b||||arm|-|0"_s};
    }
    void textRule()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, expected);
        QCOMPARE(parse(text), expected);
    }

    // Boundaries of the number forms; the random indexes draw the common forms.
    void numbers_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("ratingAndSize");
        QTest::newRow("largest size") << "Size: 9223372036854775807"_ba << u"-|9223372036854775807"_s;
        QTest::newRow("smallest size") << "Size: -9223372036854775808"_ba << u"-|-9223372036854775808"_s;
        QTest::newRow("size out of range") << "Size: 9223372036854775808"_ba << u"-|0"_s;
        QTest::newRow("rating exponent and sign") << "Ratings: -1.5e2"_ba << u"-150|0"_s;
        QTest::newRow("rating overflow") << "Ratings: 1e999"_ba << u"-|0"_s;
    }
    void numbers()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, ratingAndSize);
        const QStringList packages = parse("Package: a\n" + line + '\n');
        QCOMPARE(packages.size(), 1);
        QCOMPARE(packages.first().section(u'|', 5), ratingAndSize);
    }

    void extras_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected"); // displayName|iconURL|author|section|depictionURL
        QTest::newRow("all five") << "Package: a\nName: Tool A\nIcon: https://r/a.png\nAuthor: Ann <a@r>\n"
                                     "Section: Tweaks\nDepiction: https://r/a.html\n"_ba
                                  << u"Tool A|https://r/a.png|Ann <a@r>|Tweaks|https://r/a.html"_s;
        QTest::newRow("empty values are present") << "Package: a\nName: \nSection: \n"_ba << u"|~|~||~"_s;
        QTest::newRow("Sileo page when no depiction") << "Package: a\nSileoDepiction: https://r/s.json\n"_ba
                                                      << u"~|~|~|~|https://r/s.json"_s;
        QTest::newRow("depiction after Sileo's") << "Package: a\nSileoDepiction: s\nDepiction: d\n"_ba
                                                 << u"~|~|~|~|d"_s;
        QTest::newRow("an empty depiction still wins") << "Package: a\nSileoDepiction: s\nDepiction: \n"_ba
                                                       << u"~|~|~|~|"_s;
        QTest::newRow("not carried to the next stanza") << "Package: a\nSection: s\nSileoDepiction: x\n\nPackage: b\n"_ba
                                                        << u"~|~|~|~|~"_s;
    }
    void extras()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        const PackageList packages = parsePackages(view(text), "");
        QVERIFY(!packages.isEmpty());
        QCOMPARE(describeExtras(packages.last()), expected);
        // The seven fields read as they do without the extras.
        QCOMPARE(describe(packages), reference(text.toStdString(), ""));
    }

    void everyRecordHasAFreshId()
    {
        const PackageList first = parsePackages("Package: a\n\nPackage: a\n\nPackage: a\n", "");
        const PackageList again = parsePackages("Package: a\n", "");
        QSet<QUuid> ids{again.first().id};
        for (const Package &p : first)
            ids.insert(p.id);
        QCOMPARE(ids.size(), 4);
        QVERIFY(again.first().id.version() == QUuid::Random && again.first().id.variant() == QUuid::DCE);
    }

    void matchesTheRuleOnRandomIndexes()
    {
        QRandomGenerator random(20240611);
        for (int i = 0; i < 3000; ++i) {
            const QByteArray text = randomIndex(random);
            QStringList expectedExtras;
            const QStringList expected = reference(text.toStdString(), "R/", &expectedExtras);
            const PackageList parsed = parsePackages(view(text), "R/");
            if (describe(parsed) != expected || describeExtras(parsed) != expectedExtras) {
                qWarning().noquote() << "index:" << text.toPercentEncoding(" :./+-");
                QCOMPARE(describe(parsed), expected);
                QCOMPARE(describeExtras(parsed), expectedExtras);
            }
        }
    }

    // Cut anywhere, even inside a CR LF pair, the pieces give the records of the whole.
    void piecesGiveTheSameRecords()
    {
        QRandomGenerator random(7);
        for (int i = 0; i < 500; ++i) {
            const QByteArray text = randomIndex(random) + randomIndex(random);
            PackagesParser parser("R/");
            QByteArray pending;
            qsizetype at = 0;
            while (at < text.size()) {
                const qsizetype piece = random.bounded(1, 24);
                pending += text.mid(at, piece);
                at += piece;
                const std::size_t used = parser.parseSome(view(pending));
                QVERIFY(used <= std::size_t(pending.size()));
                QVERIFY(used == 0 || pending.at(qsizetype(used) - 1) == '\n');
                pending.remove(0, qsizetype(used));
            }
            parser.parseRest(view(pending));
            const PackageList pieces = parser.take();
            const PackageList whole = parsePackages(view(text), "R/");
            QCOMPARE(describe(pieces), describe(whole));
            QCOMPARE(describeExtras(pieces), describeExtras(whole));
        }
    }

    // Every real index gives one record per "Package: " line: none of them repeats a field
    // inside a stanza or separates stanzas with a blank-only line, and the CRLF index reads like
    // LF. The seven fields are what the rule without extras gives, the extras what a scan of
    // the lines finds. The one with GBK bytes is not UTF-8 and never reaches the parser.
    void corpus()
    {
        REQUIRE_CORPUS(dir);
        const QStringList sources = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(sources.size(), 20);
        int packages = 0;
        std::array<int, extraCount> carrying{};
        for (const QString &source : sources) {
            const QByteArray text = TestData::readFile(dir + u'/' + source + u"/Packages"_s);
            QVERIFY2(!text.isEmpty(), qPrintable(source));
            if (source == u"ChuanxuY__ChuanxuY.github.io") {
                QVERIFY(!isValidUtf8(view(text)));
                QCOMPARE(decodeIndex(text).error->kind, IndexError::Kind::NotUtf8);
                continue;
            }
            QVERIFY2(isValidUtf8(view(text)), qPrintable(source));
            const qsizetype lines = QByteArray('\n' + text).count("\nPackage: ");
            const PackageList parsed = parsePackages(view(text), "https://r.example/");
            QVERIFY2(parsed.size() == lines, qPrintable(source));
            for (const Package &p : parsed) {
                const QString where = source + u": "_s + QString::fromStdString(p.name);
                QVERIFY2(!p.name.empty() && p.name.back() != '\r', qPrintable(where));
                QVERIFY2(p.version.empty() || p.version.back() != '\r', qPrintable(where));
            }
            QStringList extras;
            QCOMPARE(describe(parsed), reference(text.toStdString(), "https://r.example/", &extras));
            QCOMPARE(describeExtras(parsed), extras);
            packages += int(parsed.size());
            for (const Package &p : parsed) {
                for (std::size_t i = 0; i < extraCount; ++i)
                    carrying[i] += p.extras.has(Extra(i));
            }
        }
        QCOMPARE(packages, 2237 - 38);
        // Stanzas with a Name, Icon, Author, Section, and Depiction or SileoDepiction line.
        QCOMPARE(carrying, (std::array<int, extraCount>{1168, 1226, 1679, 2199, 1293}));
    }
};

QTEST_GUILESS_MAIN(TestPackagesParser)
#include "tst_packagesparser.moc"
