#include "text/bidirectionaltext.h"
#include "text/datetext.h"
#include "text/filesize.h"
#include "text/ratingdisplay.h"
#include "text/shortentext.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

class TestPackageTexts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fileSize_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("below a kilobyte") << qint64(1023) << u"1023.0 بايت"_s;
        QTest::newRow("one kilobyte") << qint64(1024) << u"1.0 ك.ب"_s;
        QTest::newRow("rounds up but keeps the unit") << qint64(1048575) << u"1024.0 ك.ب"_s;
        QTest::newRow("one megabyte") << qint64(1048576) << u"1.0 م.ب"_s;
        QTest::newRow("stops at terabytes") << (qint64(1) << 50) << u"1024.0 ت.ب"_s;
        QTest::newRow("largest") << std::numeric_limits<qint64>::max() << u"8388608.0 ت.ب"_s;
    }
    void fileSize()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(formatFileSize(bytes), text);
    }

    void shortenText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QString>("shortened");
        const QString twenty = u"abcdefghijklmnopqrst"_s;
        QTest::newRow("20 of 20 kept") << twenty << 20 << twenty;
        QTest::newRow("21 of 20 cut") << twenty + u'u' << 20 << twenty + u"..."_s;
        QTest::newRow("empty") << QString() << 20 << QString();
        QTest::newRow("no blank trimmed") << u"ab cd"_s << 3 << u"ab ..."_s;
        // Letters with harakat: each letter and its marks is one character.
        const QString arabic = u"\u0645\u064F\u062D\u064E\u0645\u0651\u064E\u062F\u064C"_s; // مُحَمَّدٌ, 4 letters
        QTest::newRow("arabic marks stay with letters") << arabic << 2 << u"\u0645\u064F\u062D\u064E..."_s;
        QTest::newRow("arabic exactly at the limit") << arabic << 4 << arabic;
        const QString family = u"\U0001F468\u200D\U0001F469\u200D\U0001F467"_s; // one family emoji
        const QString flag = u"\U0001F1F8\U0001F1E6"_s;                         // one flag
        QTest::newRow("emoji sequences count once") << family + flag + u"ab"_s << 2 << family + flag + u"..."_s;
        QTest::newRow("flags not split") << flag + flag + flag << 2 << flag + flag + u"..."_s;
    }
    void shortenText()
    {
        QFETCH(QString, text);
        QFETCH(int, maxLength);
        QFETCH(QString, shortened);
        QCOMPARE(::shortenText(text, maxLength), shortened);
    }

    void rating_data()
    {
        QTest::addColumn<double>("rating");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stars");
        QTest::newRow("half") << 0.5 << u"0.5"_s << 0;
        QTest::newRow("exactly one") << 1.0 << u"1.0"_s << 1;
        QTest::newRow("text rounds, stars truncate") << 4.95 << u"5.0"_s << 4;
        QTest::newRow("five") << 5.0 << u"5.0"_s << 5;
        QTest::newRow("above five capped") << 7.0 << u"7.0"_s << 5;
        QTest::newRow("just below zero") << -0.5 << u"-0.5"_s << 0;
        QTest::newRow("huge") << 1e300 << QString() << 5;
        QTest::newRow("nan") << std::nan("") << u"nan"_s << 0;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << u"inf"_s << 0;
    }
    void rating()
    {
        QFETCH(double, rating);
        QFETCH(QString, text);
        QFETCH(int, stars);
        if (!text.isEmpty())
            QCOMPARE(RatingDisplay::text(rating), text);
        else // written whole, never in exponent form
            QVERIFY(RatingDisplay::text(rating).size() == 303 && RatingDisplay::text(rating).endsWith(u".0"_s));
        QCOMPARE(RatingDisplay::starCount(rating), stars);
    }

    void lastRefreshDateIsNumericInEveryLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("C: no month name, no seconds") << QLocale::c() << u"2026-12-06 14:05"_s;
        // Arabic digits; the date's marks keep its parts in order inside right-to-left text.
        QTest::newRow("ar") << QLocale(u"ar"_s) << u"٦\u200F/١٢\u200F/٢٠٢٦ ٢:٠٥ م"_s;
    }
    void lastRefreshDateIsNumericInEveryLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        const QDateTime moment(QDate(2026, 12, 6), QTime(14, 5, 50));
        QCOMPARE(shortDateTimeText(moment, locale), text);
    }

    void leftToRightRunsAreIsolatedForDisplay_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const QString fsi(QChar(0x2068));
        const QString pdi(QChar(0x2069));
        QTest::newRow("wholly Latin: unchanged") << u"Troll your speed, but jailbroken."_s
                                                 << u"Troll your speed, but jailbroken."_s;
        QTest::newRow("address after Arabic")
            << u"فشل في جلب البيانات: http://127.0.0.1:8801/nothere/"_s
            << u"فشل في جلب البيانات: "_s + fsi + u"http://127.0.0.1:8801/nothere/"_s + pdi;
        QTest::newRow("date with its digits, one run per line")
            << u"آخر تحديث: 12/6/26 2:05 PM\nتم: a - b عربي"_s
            << u"آخر تحديث: "_s + fsi + u"12/6/26 2:05 PM"_s + pdi + u"\nتم: "_s + fsi + u"a - b"_s + pdi + u" عربي"_s;
        QTest::newRow("lone punctuation stays outside, attached punctuation inside")
            << u"عربي - (Chariz Repo.) عربي"_s
            << u"عربي - "_s + fsi + u"(Chariz Repo.)"_s + pdi + u" عربي"_s;
        QTest::newRow("numbers alone are not runs") << u"عربي 12 - 3"_s << u"عربي 12 - 3"_s;
    }
    void leftToRightRunsAreIsolatedForDisplay()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(isolateLeftToRightRuns(text), shown);
        QString withoutMarks = isolateLeftToRightRuns(text);
        withoutMarks.remove(QChar(0x2068)).remove(QChar(0x2069));
        QCOMPARE(withoutMarks, text);
    }
};

QTEST_GUILESS_MAIN(TestPackageTexts)
#include "tst_packagetexts.moc"
