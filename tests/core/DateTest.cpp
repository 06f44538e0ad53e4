#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "tessel/core/DateTime.h"

using namespace tessel;

namespace {

// ctest runs with TZ=Asia/Shanghai; make a direct run of the program agree.
const bool zoneIsShanghai = [] {
    setenv("TZ", "Asia/Shanghai", 1);
    tzset();
    return true;
}();

std::string ymd(const Date& date)
{
    return date.toString().toStdString();
}

std::string iso(const DateTime& time)
{
    int h, m, s, ms;
    time.getTime(h, m, s, ms);
    String text = time.toISOString();
    if (ms)
        text.append(String().format(u".%03d", ms));
    return text.toStdString();
}

} // namespace

TEST(DateDayNumbers, KnownDaysAndTheEpoch)
{
    Date date(2011, 5, 3);
    EXPECT_EQ(date.getJdn(), 2455685u);
    int y, m, d, weekday;
    date.getDate(y, m, d, weekday);
    EXPECT_EQ(weekday, 2);
    EXPECT_EQ(date.toAnsiTime(), 1304380800);
    EXPECT_EQ(ymd(date), "2011-05-03");

    EXPECT_EQ(Date(1970, 1, 1).toAnsiTime(), 0);
    // Past 2038 the seconds do not wrap.
    EXPECT_EQ(Date(2100, 1, 1).toAnsiTime(), 4102444800LL);
    EXPECT_LT(Date().toAnsiTime(), 0);
    EXPECT_FALSE(Date().isValid());
}

TEST(DateParsing, DateForms)
{
    for (const char16_t* text : {u"2011/5/3", u"Tue, 03 May 2011", u"3 may 2011 10:20", u"2011-05-03", u"May 3, 2011",
                                 u"2011-05-03T10:20:00"}) {
        Date date;
        EXPECT_TRUE(date.parseDate(text)) << String(text).toStdString();
        EXPECT_EQ(ymd(date), "2011-05-03") << String(text).toStdString();
    }
    Date date(2000, 1, 1);
    EXPECT_FALSE(date.parseDate(u"03-05"));
    EXPECT_TRUE(date.parseDate(u"10:20"));
    EXPECT_EQ(ymd(date), "2000-01-01");
    EXPECT_FALSE(date.parseDate(u"10:20 11:30"));
    EXPECT_FALSE(date.parseDate(u"2011 2012 May 3"));
    EXPECT_FALSE(date.parseDate(u"3 4 May 2011"));
    EXPECT_FALSE(date.parseDate(u"May 2011"));
    EXPECT_FALSE(date.parseDate(u""));
    EXPECT_FALSE(date.parseDate(nullptr));
}

TEST(DateParsing, OutOfRangeAndGarbageNeverSetADate)
{
    Date date(2000, 1, 1);
    for (const char16_t* text : {u"2011-13-01", u"2011-05-40", u"2011-02-30", u"0-1-1", u"A-B-C", u"2011--05",
                                 u"2011-5-3x", u"12ab May 2011", u"40 May 2011", u"2011-05"}) {
        EXPECT_FALSE(date.parseDate(text)) << String(text).toStdString();
        EXPECT_EQ(ymd(date), "2000-01-01");
    }

    DateTime time(2000, 1, 1, 1, 2, 3, 0);
    for (const char16_t* text :
         {u"2011-02-30 10:00", u"2011-05-03 24:00", u"2011-05-03 10:60", u"10:00:60", u"-1:30", u"x:30", u"10:",
          u"2011-05-03 10:00 +08", u"10:00 +0800 -0500", u"10:00 +2500", u"nothing here"}) {
        EXPECT_FALSE(time.parseDateTime(text)) << String(text).toStdString();
        EXPECT_EQ(iso(time), "2000-01-01 01:02:03");
    }
}

TEST(DateParsing, DateTimesAndZones)
{
    DateTime time;
    ASSERT_TRUE(time.parseDateTime(u"Tue, 03 May 2011 10:00:00 GMT"));
    EXPECT_EQ(iso(time), "2011-05-03 10:00:00");
    ASSERT_TRUE(time.parseDateTime(u"Tue, 03 May 2011 10:00:00 +0800"));
    EXPECT_EQ(iso(time), "2011-05-03 02:00:00");
    ASSERT_TRUE(time.parseDateTime(u"Tue, 03 May 2011 05:00:00 +0800"));
    EXPECT_EQ(iso(time), "2011-05-02 21:00:00");
    ASSERT_TRUE(time.parseDateTime(u"Tue, 03 May 2011 22:30:00 EST"));
    EXPECT_EQ(iso(time), "2011-05-04 03:30:00");
    ASSERT_TRUE(time.parseDateTime(u"03 May 2011 10:00 -0130"));
    EXPECT_EQ(iso(time), "2011-05-03 11:30:00");
    ASSERT_TRUE(time.parseDateTime(u"2011-05-03T10:20:30Z"));
    EXPECT_EQ(iso(time), "2011-05-03 10:20:30");
    // A time alone keeps the day.
    ASSERT_TRUE(time.parseDateTime(u"23:59:58"));
    EXPECT_EQ(iso(time), "2011-05-03 23:59:58");
    // A date alone keeps the time of day.
    ASSERT_TRUE(time.parseDateTime(u"2012/2/29"));
    EXPECT_EQ(iso(time), "2012-02-29 23:59:58");
}

TEST(DateFormatting, LongResultsAreNotCut)
{
    DateTime time(2011, 5, 3, 9, 5, 0, 0);
    String pattern;
    std::string expected;
    for (int i = 0; i < 40; i++) {
        pattern.append(u"%Y-%m-%d %A; ");
        expected += "2011-05-03 Tuesday; ";
    }
    EXPECT_EQ(time.format(pattern).toStdString(), expected);
}

TEST(DateArithmetic, AdjustCarriesDaysBothWays)
{
    DateTime time(2011, 5, 3, 12, 0, 0, 0);
    time.adjust(0, 23, 0, 0, 0);
    EXPECT_EQ(iso(time), "2011-05-04 11:00:00");

    time = DateTime(2011, 5, 3, 12, 0, 0, 0);
    time.adjust(0, -13, 0, 0, 0);
    EXPECT_EQ(iso(time), "2011-05-02 23:00:00");

    time = DateTime(2011, 1, 1);
    time.adjust(0, 0, 0, 0, -1);
    EXPECT_EQ(iso(time), "2010-12-31 23:59:59.999");

    time = DateTime(2011, 2, 28, 23, 0, 0, 0);
    time.adjust(1, 49, 30, 0, 0);
    EXPECT_EQ(iso(time), "2011-03-04 00:30:00");

    time.adjust(-30, -72, 0, 0, 0);
    EXPECT_EQ(iso(time), "2011-01-30 00:30:00");

    // More than a day of milliseconds in one step.
    time.adjust(0, 0, 0, 0, 3 * 86400000 + 1);
    EXPECT_EQ(iso(time), "2011-02-02 00:30:00.001");
}

TEST(DateArithmetic, TimeFieldsAndAnsiTime)
{
    DateTime time(2011, 5, 3, 10, 20, 30, 456);
    int h, m, s, ms;
    time.getTime(h, m, s, ms);
    EXPECT_EQ(h * 1000 + m, 10020);
    EXPECT_EQ(s * 1000 + ms, 30456);
    EXPECT_EQ(time.toAnsiTime(), 1304380800 + 10 * 3600 + 20 * 60 + 30);
    EXPECT_EQ(DateTime().toAnsiTime(), 0);
    EXPECT_EQ(DateTime(2100, 1, 1, 0, 0, 1, 0).toAnsiTime(), 4102444801LL);

    struct tm fields;
    time.toAnsiTM(&fields);
    EXPECT_EQ(fields.tm_year, 111);
    EXPECT_EQ(fields.tm_wday, 2);
    EXPECT_EQ(fields.tm_hour * 10000 + fields.tm_min * 100 + fields.tm_sec, 102030);
    time.toAnsiTM(nullptr);

    EXPECT_FALSE(DateTime::isValidTime(24, 0, 0, 0));
    EXPECT_FALSE(DateTime::isValidTime(0, 60, 0, 0));
}
