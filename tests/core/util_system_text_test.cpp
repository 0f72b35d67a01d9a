#include "util_system.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <limits>

TEST(UtilSystemValidation, TagsAreOneToThirtyAsciiLettersOrDigits)
{
    EXPECT_TRUE(UtilSystem::isValidTag("A1"));
    EXPECT_TRUE(UtilSystem::isValidTag(QString(30, u'a')));
    EXPECT_FALSE(UtilSystem::isValidTag(QString(31, u'a')));
    EXPECT_FALSE(UtilSystem::isValidTag(""));
    EXPECT_FALSE(UtilSystem::isValidTag("a b"));
    EXPECT_FALSE(UtilSystem::isValidTag("a_b"));
    EXPECT_FALSE(UtilSystem::isValidTag("abc\n"));
    EXPECT_FALSE(UtilSystem::isValidTag(QString::fromUtf8("\uff21")));  // full-width A
}

TEST(UtilSystemValidation, EmailNeedsAUserADomainAndATopLevelPartOfTwoTo63Letters)
{
    const QString longest = "me@example." + QString(63, u'x');
    for (const QString &good : {QString("first.last+tag@mail.example.info"), QString("a_b%c-d@x-y.io"),
                                QString("name@studio.design"), QString("name@example.museum"), longest})
        EXPECT_TRUE(UtilSystem::isValidEmail(good)) << good.toStdString();
    for (const QString &bad : {QString(""), longest + "x", QString("me@example.c"), QString("me@examplecom"),
                               QString("@example.com"), QString("me@@example.com"), QString("me@example.com "),
                               QString("me@example.com\n"), QString("me@example.c0m")})
        EXPECT_FALSE(UtilSystem::isValidEmail(bad)) << bad.toStdString();
}

TEST(UtilSystemValidation, AlnumHonoursBothBoundsAndRejectsBoundsThatMakeNoRange)
{
    EXPECT_FALSE(UtilSystem::isValidAlnum("abc", 4, 16));
    EXPECT_TRUE(UtilSystem::isValidAlnum("abcd", 4, 16));
    EXPECT_TRUE(UtilSystem::isValidAlnum(QString(16, u'9'), 4, 16));
    EXPECT_FALSE(UtilSystem::isValidAlnum(QString(17, u'9'), 4, 16));
    EXPECT_FALSE(UtilSystem::isValidAlnum("pass-word", 4, 16));
    EXPECT_FALSE(UtilSystem::isValidAlnum("abcd", 16, 4));
    EXPECT_FALSE(UtilSystem::isValidAlnum("a{-1,4}", -1, 4));
}

TEST(UtilSystemRandom, CodesHaveOneMoreCharacterThanAskedFromDigitsAndCapitals)
{
    EXPECT_EQ(UtilSystem::randomString(0).size(), 1);
    EXPECT_EQ(UtilSystem::randomString(3).size(), 4);
    EXPECT_EQ(UtilSystem::randomString(-1), "");

    const QString alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    QSet<QChar> seen;
    for (int round = 0; round < 200; ++round) {
        const QString code = UtilSystem::randomString(9);
        ASSERT_EQ(code.size(), 10);
        for (QChar c : code) {
            ASSERT_TRUE(alphabet.contains(c)) << code.toStdString();
            seen.insert(c);
        }
    }
    // 2000 draws from 36 characters reach them all unless the source is broken.
    EXPECT_EQ(seen.size(), 36);
}

TEST(UtilSystemSizeText, BytesUpToAndIncluding1024StayBytes)
{
    EXPECT_EQ(UtilSystem::formatFileSize(0), "0.00 bytes");
    EXPECT_EQ(UtilSystem::formatFileSize(1), "1.00 bytes");
    EXPECT_EQ(UtilSystem::formatFileSize(1023), "1023.00 bytes");
    EXPECT_EQ(UtilSystem::formatFileSize(1024), "1024.00 bytes");
    EXPECT_EQ(UtilSystem::formatFileSize(1025), "1.00 KB");
}

TEST(UtilSystemSizeText, UnitChangesOnlyAbove1024OfTheSmallerUnit)
{
    EXPECT_EQ(UtilSystem::formatFileSize(1536), "1.50 KB");
    EXPECT_EQ(UtilSystem::formatFileSize(1048575), "1024.00 KB");
    EXPECT_EQ(UtilSystem::formatFileSize(1048576), "1024.00 KB");
    EXPECT_EQ(UtilSystem::formatFileSize(1048577), "1.00 MB");
    EXPECT_EQ(UtilSystem::formatFileSize(1073741824ULL), "1024.00 MB");
    EXPECT_EQ(UtilSystem::formatFileSize(1073741825ULL), "1.00 GB");
    EXPECT_EQ(UtilSystem::formatFileSize(1099511627776ULL), "1024.00 GB");
    EXPECT_EQ(UtilSystem::formatFileSize(1099511627777ULL), "1.00 TB");
    EXPECT_EQ(UtilSystem::formatFileSize(1125899906842625ULL), "1.00 PB");
    EXPECT_EQ(UtilSystem::formatFileSize(std::numeric_limits<std::uint64_t>::max()), "16.00 EB");
}

TEST(UtilSystemSizeText, TwoDecimalsRoundToNearest)
{
    EXPECT_EQ(UtilSystem::formatFileSize(1029), "1.00 KB");  // 1.0049
    EXPECT_EQ(UtilSystem::formatFileSize(1030), "1.01 KB");  // 1.0059
    EXPECT_EQ(UtilSystem::formatFileSize(10 * 1024 * 1024 + 5243), "10.01 MB");
}

TEST(UtilSystemSizeText, DecimalPointIsADotInEveryLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(UtilSystem::formatFileSize(1536), "1.50 KB");
    EXPECT_EQ(UtilSystem::formatFileSize(2621440), "2.50 MB");
}

namespace {

// Each case picks the process's time zone; the zone the process had is put back afterwards.
class UtilSystemTimeText : public testing::Test
{
protected:
    void TearDown() override
    {
        if (hadZone)
            qputenv("TZ", savedZone);
        else
            qunsetenv("TZ");
        tzset();
    }

    static void useZone(const char *zone)
    {
        qputenv("TZ", zone);
        tzset();
    }

    // Whether text shows the clock time h:mm as a time of its own ("8:35" or "08:35", not "18:35").
    static bool showsClock(const QString &text, int hour, int minute)
    {
        const QRegularExpression clock(QStringLiteral("(^|[^0-9])0?%1:%2([^0-9]|$)")
                                           .arg(hour)
                                           .arg(minute, 2, 10, QLatin1Char('0')));
        return clock.match(text).hasMatch();
    }

    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    const QByteArray savedZone = qgetenv("TZ");
};

} // namespace

TEST_F(UtilSystemTimeText, FileTimesShowTheWallClockTimeTheyWereMadeAtEastAndWestOfUtc)
{
    // Made at 08:35 on 14 November 2023 where the file lives; it travels as that time written as UTC.
    const qint64 madeAt0835 = QDateTime(QDate(2023, 11, 14), QTime(8, 35), Qt::UTC).toMSecsSinceEpoch();
    for (const char *zone : {"Asia/Tokyo", "America/Los_Angeles", "UTC"}) {
        useZone(zone);
        const QString text = UtilSystem::formatTime(madeAt0835);
        EXPECT_TRUE(showsClock(text, 8, 35)) << zone << ": " << text.toStdString();
        EXPECT_TRUE(text.contains("14")) << zone << ": " << text.toStdString();
        EXPECT_TRUE(showsClock(UtilSystem::formatTime(0), 0, 0)) << zone << ": the first moment of 1970";

        // A file made here just now shows the time on this machine's clock.
        QTemporaryDir folder;
        QFile file(folder.filePath("new"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        const QTime before = QTime::currentTime();
        const QString shown = UtilSystem::formatTime(UtilSystem::getFileTime(file.fileName()).toMSecsSinceEpoch());
        const QTime after = QTime::currentTime();
        EXPECT_TRUE(showsClock(shown, before.hour(), before.minute()) || showsClock(shown, after.hour(), after.minute()))
            << zone << ": " << shown.toStdString() << " at " << before.toString().toStdString();
    }
}

TEST_F(UtilSystemTimeText, ThirteenDigitsOrFourteenCharactersAreMilliseconds)
{
    useZone("Asia/Tokyo");
    EXPECT_EQ(UtilSystem::formatTime(1700000000123LL), UtilSystem::formatTime(1700000000LL));
    EXPECT_EQ(UtilSystem::formatTime(1000000000000LL), UtilSystem::formatTime(1000000000LL));
    EXPECT_EQ(UtilSystem::formatTime(-1000000000000LL), UtilSystem::formatTime(-1000000000LL));
    EXPECT_EQ(UtilSystem::formatTime(10000000000000LL), UtilSystem::formatTime(10000000000LL));
    // Twelve digits are seconds: the year 5138, not 1973.
    EXPECT_NE(UtilSystem::formatTime(100000000000LL), UtilSystem::formatTime(100000000LL));
    EXPECT_NE(UtilSystem::formatTime(1700000000LL), UtilSystem::formatTime(1700000LL));
    // Out of range for any date: no crash.
    UtilSystem::formatTime(std::numeric_limits<qint64>::max());
    UtilSystem::formatTime(std::numeric_limits<qint64>::min());
}
