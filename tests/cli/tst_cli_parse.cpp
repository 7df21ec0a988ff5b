#include "../sources/compression.h"
#include "testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run cli(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(VEXLO_CLI), QStringList{u"parse"_s} + args);
    if (!process.waitForFinished(60'000))
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QString sample()
{
    return QStringLiteral(FIXTURES_DIR "/Packages-sample");
}

// The records without their ids, which are fresh on every run.
QJsonArray withoutIds(QJsonArray packages)
{
    for (auto entry : packages) {
        QJsonObject object = entry.toObject();
        object.remove(u"id"_s);
        entry = object;
    }
    return packages;
}

} // namespace

class TestCliParse : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void recordJson()
    {
        const Run run = cli({sample()});
        QCOMPARE(run.status, 0);
        QVERIFY(run.err.isEmpty());
        QVERIFY(run.out.endsWith("]\n"));
        // The encoder's forms: escaped slashes, upper-case ids, no blanks between tokens.
        QVERIFY(run.out.contains("\"downloadURL\":\"https:\\/\\/example.org\\/.\\/debs\\/com.example.alpha_1.2.0_iphoneos-arm64.deb\""));
        QVERIFY(run.out.contains("\"description\":\"A \\\"quoted\\\" tool \\\\ with a backslash\""));
        QVERIFY(!run.out.contains("\": "));

        QJsonParseError error;
        const QJsonArray packages = QJsonDocument::fromJson(run.out, &error).array();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(packages.size(), 4);
        const QRegularExpression upperUuid(u"^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$"_s);
        for (const auto &entry : packages)
            QVERIFY(upperUuid.match(entry[u"id"].toString()).hasMatch());

        const QJsonObject alpha = packages[0].toObject();
        QCOMPARE(alpha.keys(), (QStringList{u"architecture"_s, u"description"_s, u"displayName"_s, u"downloadURL"_s,
                                            u"fileSize"_s, u"id"_s, u"name"_s, u"ratings"_s, u"version"_s}));
        QCOMPARE(alpha[u"displayName"].toString(), u"Alpha"_s);
        QVERIFY(!packages[1].toObject().contains(u"displayName")); // absent keys are left out
        QCOMPARE(alpha[u"ratings"].toDouble(), 4.5);
        QCOMPARE(alpha[u"fileSize"].toInteger(), 20546);
        QCOMPARE(packages[1][u"description"].toString(), u"أداة تجريبية للاختبار"_s);
        QCOMPARE(packages[1][u"fileSize"].toInteger(), 1048576);
        const QJsonObject gamma = packages[2].toObject();
        QVERIFY(!gamma.contains(u"ratings")); // "nan" reads as absent
        QCOMPARE(gamma[u"fileSize"].toInteger(), 0);
        QCOMPARE(gamma[u"description"].toString(), u"中文描述 and emoji 🌹"_s);
        const QJsonObject delta = packages[3].toObject();
        QCOMPARE(delta[u"downloadURL"].toString(), QString());
        QCOMPARE(delta[u"architecture"].toString(), u"arm"_s);
    }

    void optionsAndInputs()
    {
        QCOMPARE(cli({sample(), u"--count"_s}).out, "4\n"_ba);
        const Run custom = cli({u"--repo-url"_s, u"http://127.0.0.1/r"_s, sample()});
        QCOMPARE(custom.status, 0);
        QVERIFY(custom.out.contains("\"downloadURL\":\"http:\\/\\/127.0.0.1\\/rdebs\\/beta.deb\""));

        QTemporaryDir dir;
        const QByteArray text = TestData::fixture(u"Packages-sample"_s);
        auto write = [&](const QString &name, const QByteArray &bytes) {
            QFile file(dir.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? file.fileName() : QString();
        };
        const QJsonArray plain = withoutIds(QJsonDocument::fromJson(cli({sample()}).out).array());
        for (Compression format : {Compression::Zstd, Compression::Xz, Compression::Bzip2, Compression::Gzip}) {
            const QString path = write(u"Packages"_s + QLatin1StringView(TestCompression::suffix(format)),
                                       TestCompression::compress(format, text));
            const Run run = cli({path});
            QCOMPARE(run.status, 0);
            QCOMPARE(withoutIds(QJsonDocument::fromJson(run.out).array()), plain);
        }

        const Run control = cli({write(u"control"_s, "Package: a\tb\x01\nDescription: \xd8\xb3\n"_ba)});
        QVERIFY2(control.out.contains("\"name\":\"a\\tb\\u0001\""), control.out.constData());
        QCOMPARE(cli({write(u"empty"_s, {})}).out, "[]\n"_ba);
    }

    void failures()
    {
        QTemporaryDir dir;
        auto write = [&](const QString &name, const QByteArray &bytes) {
            QFile file(dir.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? file.fileName() : QString();
        };
        const Run gbk = cli({write(u"gbk"_s, "Package: a\nAuthor: \xd5\xc5\n"_ba)});
        QCOMPARE(gbk.status, 3);
        QVERIFY(gbk.out.isEmpty());
        QVERIFY(gbk.err.contains("not UTF-8"));
        QCOMPARE(cli({write(u"gbk.gz"_s, TestCompression::compress(Compression::Gzip, "Author: \xd5\xc5\n"))}).status, 3);

        const Run corrupt = cli({write(u"bad.xz"_s, TestCompression::compress(Compression::Xz, "Package: a\n").chopped(6))});
        QCOMPARE(corrupt.status, 1);
        QVERIFY(corrupt.err.contains("corrupt xz"));

        const Run missing = cli({dir.filePath(u"nothing-here"_s)});
        QCOMPARE(missing.status, 1);
        QVERIFY(missing.err.contains("nothing-here"));
        QCOMPARE(cli({dir.path()}).status, 1);

        QCOMPARE(cli({}).status, 2);
        QCOMPARE(cli({sample(), u"--bogus"_s}).status, 2);
        QCOMPARE(cli({sample(), u"--repo-url"_s}).status, 2);
        QCOMPARE(cli({sample(), sample()}).status, 2);
    }

    void corpus()
    {
        REQUIRE_CORPUS(dir);
        const Run largest = cli({dir + u"/MaxLeiter__jailbreak/Packages"_s});
        QCOMPARE(largest.status, 0);
        QCOMPARE(QJsonDocument::fromJson(largest.out).array().size(), 621);
        QCOMPARE(cli({dir + u"/CydiaRepoArchiver__ipadkid358.github.io/Packages.bz2"_s}).out.count("\"name\""), 1);
        QCOMPARE(cli({dir + u"/ChuanxuY__ChuanxuY.github.io/Packages"_s, u"--count"_s}).status, 3);
    }
};

QTEST_GUILESS_MAIN(TestCliParse)
#include "tst_cli_parse.moc"
