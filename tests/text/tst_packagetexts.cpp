#include "text/bidirectionaltext.h"
#include "text/datetext.h"
#include "text/filesize.h"
#include "text/ratingdisplay.h"
#include "text/shortentext.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <tuple>

using namespace Qt::StringLiterals;

class TestPackageTexts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fileSize()
    {
        for (const auto &[bytes, text] : std::initializer_list<std::pair<qint64, QString>>{
                 {1023, u"1023.0 بايت"_s}, {1024, u"1.0 ك.ب"_s}, // rounds up but keeps the unit:
                 {1048575, u"1024.0 ك.ب"_s}, {1048576, u"1.0 م.ب"_s}, {qint64(1) << 50, u"1024.0 ت.ب"_s}, // stops at terabytes
                 {std::numeric_limits<qint64>::max(), u"8388608.0 ت.ب"_s}})
            QCOMPARE(formatFileSize(bytes), text);
    }

    void shortenText()
    {
        const QString twenty = u"abcdefghijklmnopqrst"_s;
        // Letters with harakat: each letter and its marks is one character.
        const QString arabic = u"\u0645\u064F\u062D\u064E\u0645\u0651\u064E\u062F\u064C"_s; // مُحَمَّدٌ, 4 letters
        const QString family = u"\U0001F468\u200D\U0001F469\u200D\U0001F467"_s; // one family emoji
        const QString flag = u"\U0001F1F8\U0001F1E6"_s;                         // one flag
        for (const auto &[text, maxLength, shortened] : std::initializer_list<std::tuple<QString, int, QString>>{
                 {twenty, 20, twenty}, {twenty + u'u', 20, twenty + u"..."_s}, {QString(), 20, QString()},
                 {u"ab cd"_s, 3, u"ab ..."_s}, // no blank trimmed
                 {arabic, 2, u"\u0645\u064F\u062D\u064E..."_s}, {arabic, 4, arabic},
                 {family + flag + u"ab"_s, 2, family + flag + u"..."_s}, {flag + flag + flag, 2, flag + flag + u"..."_s}})
            QCOMPARE(::shortenText(text, maxLength), shortened);
    }

    void rating()
    {
        // The text rounds, the stars truncate; above five, five stars.
        for (const auto &[rating, text, stars] : std::initializer_list<std::tuple<double, QString, int>>{
                 {0.5, u"0.5"_s, 0}, {1.0, u"1.0"_s, 1}, {4.95, u"5.0"_s, 4}, {5.0, u"5.0"_s, 5}, {7.0, u"7.0"_s, 5},
                 {-0.5, u"-0.5"_s, 0}, {std::nan(""), u"nan"_s, 0}, {std::numeric_limits<double>::infinity(), u"inf"_s, 0}}) {
            QCOMPARE(RatingDisplay::text(rating), text);
            QCOMPARE(RatingDisplay::starCount(rating), stars);
        }
        // Written whole, never in exponent form.
        QVERIFY(RatingDisplay::text(1e300).size() == 303 && RatingDisplay::text(1e300).endsWith(u".0"_s));
        QCOMPARE(RatingDisplay::starCount(1e300), 5);
    }

    void lastRefreshDateIsNumericInEveryLocale()
    {
        const QDateTime moment(QDate(2026, 12, 6), QTime(14, 5, 50));
        // C: no month name, no seconds. Arabic: its digits, and marks that keep the date's
        // parts in order inside right-to-left text.
        QCOMPARE(shortDateTimeText(moment, QLocale::c()), u"2026-12-06 14:05"_s);
        QCOMPARE(shortDateTimeText(moment, QLocale(u"ar"_s)), u"٦\u200F/١٢\u200F/٢٠٢٦ ٢:٠٥ م"_s);
    }

    void leftToRightRunsAreIsolatedForDisplay()
    {
        const QString fsi(QChar(0x2068));
        const QString pdi(QChar(0x2069));
        for (const auto &[text, shown] : std::initializer_list<std::pair<QString, QString>>{
                 {u"Troll your speed, but jailbroken."_s, u"Troll your speed, but jailbroken."_s}, // wholly Latin
                 {u"فشل في جلب البيانات: http://127.0.0.1:8801/nothere/"_s,
                  u"فشل في جلب البيانات: "_s + fsi + u"http://127.0.0.1:8801/nothere/"_s + pdi},
                 // A date with its digits; one run per line.
                 {u"آخر تحديث: 12/6/26 2:05 PM\nتم: a - b عربي"_s,
                  u"آخر تحديث: "_s + fsi + u"12/6/26 2:05 PM"_s + pdi + u"\nتم: "_s + fsi + u"a - b"_s + pdi + u" عربي"_s},
                 // Lone punctuation stays outside, attached punctuation inside.
                 {u"عربي - (Chariz Repo.) عربي"_s, u"عربي - "_s + fsi + u"(Chariz Repo.)"_s + pdi + u" عربي"_s},
                 {u"عربي 12 - 3"_s, u"عربي 12 - 3"_s}}) { // numbers alone are not runs
            QCOMPARE(isolateLeftToRightRuns(text), shown);
            QCOMPARE(QString(shown).remove(fsi).remove(pdi), text);
        }
    }
};

QTEST_GUILESS_MAIN(TestPackageTexts)
#include "tst_packagetexts.moc"
