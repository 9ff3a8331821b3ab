#include "text/date_time_text.h"

#include "tests/support/gbk_assert.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <optional>
#include <string>
#include <vector>

namespace sw {
namespace {

using test::Describe;
using test::G;

DateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return DateTimeFromCalendar({year, month, day, hour, minute, second});
}

// A Friday afternoon with every field distinct and single-digit minute and second.
DateTime Sample() {
    return At(2026, 12, 11, 15, 5, 9);
}

std::string Text(const CalendarTime& c) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour, c.minute,
                  c.second);
    return buffer;
}

std::string Text(const std::optional<CalendarTime>& c) {
    return c ? Text(*c) : std::string("nullopt");
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            saved_ = old;
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (saved_)
            setenv(name_, saved_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

// LC_ALL wins over LC_TIME, but both are set so neither leaks in from the shell.
struct ScopedTimeLocale {
    explicit ScopedTimeLocale(const char* name) : all("LC_ALL", name), time("LC_TIME", name) {}
    ScopedEnv all;
    ScopedEnv time;
};

struct ScopedDateTimeSource {
    explicit ScopedDateTimeSource(DateTimeSource source) { SetDateTimeSource(source); }
    ~ScopedDateTimeSource() { SetDateTimeSource(nullptr); }
    ScopedDateTimeSource(const ScopedDateTimeSource&) = delete;
    ScopedDateTimeSource& operator=(const ScopedDateTimeSource&) = delete;
};

TEST(CalendarFromDateTime, ExactValuesConvertBothWays) {
    struct Case {
        DateTime value;
        CalendarTime calendar;
    };
    const Case cases[] = {
        {0.0, {1899, 12, 30, 0, 0, 0}},      {2.5, {1900, 1, 1, 12, 0, 0}},     {-1.25, {1899, 12, 29, 6, 0, 0}},
        {61.0, {1900, 3, 1, 0, 0, 0}}, // no 29 February 1900
        {45351.75, {2024, 2, 29, 18, 0, 0}}, {-657434.0, {100, 1, 1, 0, 0, 0}}, {2958465.0, {9999, 12, 31, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Text(c.calendar), Text(CalendarFromDateTime(c.value)));
        EXPECT_DOUBLE_EQ(c.value, DateTimeFromCalendar(c.calendar));
    }
    EXPECT_NEAR(46367.62857638889, Sample(), 1e-9);
}

TEST(CalendarFromDateTime, RoundsToTheNearestSecond) {
    struct Case {
        DateTime value;
        const char* expected;
    };
    const Case cases[] = {
        {45000.99999999, "2023-03-16 00:00:00"}, // 24:00:00 moves to the next day
        {0.5 + 0.4 / 86400, "1899-12-30 12:00:00"}, {0.5 + 0.6 / 86400, "1899-12-30 12:00:01"},
        {-1.99999999, "1899-12-30 00:00:00"},       {-0.5, "1899-12-30 12:00:00"},
        {-657434.5, "0100-01-01 12:00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(c.expected, Text(CalendarFromDateTime(c.value)));
    }
}

TEST(CalendarFromDateTime, OutsideTheYears100To9999GivesNothing) {
    const DateTime cases[] = {
        At(99, 12, 31, 23, 59, 59),
        -657435.0,
        At(10000, 1, 1),
        2958465.999999999, // rounds into the year 10000
        std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        1e300,
    };
    for (DateTime value : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ("nullopt", Text(CalendarFromDateTime(value)));
        EXPECT_EQ("", FormatDateTime(value, "yyyy-MM-dd ", "HH:mm:ss"));
    }
}

TEST(DateTimeFromCalendar, CarriesOverflowingFields) {
    EXPECT_DOUBLE_EQ(At(2027, 1, 1), At(2026, 13, 1));
    EXPECT_DOUBLE_EQ(At(2027, 1, 1), At(2026, 12, 31, 24, 0, 0));
    EXPECT_DOUBLE_EQ(At(2026, 11, 30, 23, 0, 0), At(2026, 12, 1, -1, 0, 0));
    EXPECT_DOUBLE_EQ(-2.75, At(1899, 12, 29, -6, 0, 0));
}

TEST(FormatDateTime, FollowsThePictures) {
    struct Case {
        DateTime when;
        std::string date;
        std::string time;
        int force24Hour;
        std::string expected;
    };
    const DateTime morning = At(2005, 3, 4, 7, 8, 9);
    const std::string fortySeven(47, 'x');
    const std::vector<Case> cases = {
        {Sample(), "yyyy-MM-dd ", "HH:mm:ss", 0, "2026-12-11 15:05:09"},
        {Sample(), "dd", "HH:mm:ss", 0, "15:05:09"}, // a 2-byte picture leaves its part out
        {Sample(), "yyyy-MM-dd", "HH", 0, "2026-12-11"},
        {Sample(), "", "", 0, ""},
        {morning, "y M d|yy MM dd", "", 0, "5 3 4|05 03 04"},
        {morning, "", "H:m:s|HH:mm:ss", 0, "7:8:9|07:08:09"},
        {morning, "ddd MMM yyy yyyyy", "", 0, "04 03 2005 2005"},
        {At(100, 1, 2), "yyyy.M", "", 0, "0100.1"},
        // Date letters are text in the time picture and time letters in the date picture.
        {Sample(), "yyyy h H m s", "HH y M d", 0, "2026 h H m s15 y M d"},
        {Sample(), G("yyyy年　MM月dd日 "), G("hh时mm分ss秒"), 0, G("2026年　12月11日 03时05分09秒")},
        // The trail bytes 'd' and 'h' belong to their characters.
        {Sample(), "\x81\x64 dd", "\x81hh", 0, "\x81\x64 11\x81h3"},
        {Sample(), "dd\x81", "", 0, "11\x81"},
        // 49 bytes fit the platform buffer, 50 do not.
        {Sample(), fortySeven + "dd", "", 0, fortySeven + "11"},
        {Sample(), fortySeven + "x" + "dd", "HH:mm", 0, "15:05"},
        {Sample(), std::string(60, '-'), "HH:mm", 0, "15:05"},
        {Sample(), "yyyy-MM-dd", std::string(60, '-'), 0, "2026-12-11"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Describe(c.date) + " " + Describe(c.time));
        EXPECT_GBK_EQ(c.expected, FormatDateTime(c.when, c.date, c.time, c.force24Hour));
    }
}

TEST(FormatDateTime, TwelveHourClockUnlessForced) {
    struct Case {
        int hour;
        int force24Hour;
        std::string expected;
    };
    // Only force24Hour 1 forces the 24-hour clock; "HH" shows the hour unchanged.
    const Case cases[] = {
        {0, 0, "12 12 00"},  {1, 0, "01 1 01"}, {11, 0, "11 11 11"}, {12, 0, "12 12 12"}, {13, 0, "01 1 13"},
        {23, 0, "11 11 23"}, {0, 1, "00 0 00"}, {15, 1, "15 15 15"}, {15, 2, "03 3 15"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "hour " << c.hour << " force " << c.force24Hour);
        EXPECT_EQ(c.expected, FormatDateTime(At(2026, 12, 11, c.hour, 30, 0), "", "hh h HH", c.force24Hour));
    }
}

TEST(DateTimeTextForClock, PicksThePicturesOfFamilyAndPart) {
    struct Case {
        int family;
        int part;
        bool uses24Hour;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {0, 0, true, G("2026年12月11日 15时05分09秒")},
        {0, 0, false, G("2026年12月11日 03时05分09秒")},
        {0, 1, true, G("2026年12月11日")},
        {0, 2, true, G("12月11日")},
        {0, 3, true, G("15时05分09秒")},
        {0, 4, false, G("03时05分")},
        {0, 5, false, G("05分09秒")},
        {1, 0, true, "2026-12-11 15:05:09"},
        {1, 1, true, "2026-12-11"},
        {1, 2, true, "12-11"},
        {1, 3, false, "03:05:09"},
        {1, 4, true, "15:05"},
        {1, 5, true, "05:09"},
        {2, 0, false, "2026/12/11 03/05/09"},
        {2, 1, true, "2026/12/11"},
        {3, 0, true, "20261211150509"},
        {3, 1, true, "20261211"},
        {3, 4, false, "0305"},
        // Unknown families and parts fall back to family 0 and part 0.
        {7, 0, true, G("2026年12月11日 15时05分09秒")},
        {-1, 2, true, G("12月11日")},
        {1, 9, true, "2026-12-11 15:05:09"},
        {1, -1, false, "2026-12-11 03:05:09"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "family " << c.family << " part " << c.part << " 24h " << c.uses24Hour);
        EXPECT_GBK_EQ(c.expected, DateTimeTextForClock(Sample(), c.family, c.part, c.uses24Hour));
    }
}

TEST(DateTimeTextForClock, OutOfRangeGivesEmpty) {
    EXPECT_EQ("", DateTimeTextForClock(At(10000, 1, 1), 1, 0, true));
}

TEST(DateTimeText, WithoutWhenReadsTheClockPort) {
    ScopedTimeLocale locale("C");
    ScopedDateTimeSource source(&Sample);
    EXPECT_GBK_EQ(G("2026年12月11日 15时05分09秒"), DateTimeText());
    EXPECT_EQ("2026-12-11", DateTimeText(std::nullopt, 1, 1));
    EXPECT_EQ("2001-02-03", DateTimeText(At(2001, 2, 3), 1, 1));
}

TEST(LocaleUses24Hour, ReadsTheTimeFormatOfTheEnvironment) {
    {
        ScopedTimeLocale locale("C");
        EXPECT_EQ(1, LocaleUses24Hour());
    }
    {
        ScopedTimeLocale locale("xx_NOWHERE.UTF-8"); // unknown: falls back to the C locale
        EXPECT_EQ(1, LocaleUses24Hour());
    }
}

TEST(LocaleUses24Hour, TwelveHourLocaleGivesZero) {
    locale_t probe = newlocale(LC_TIME_MASK, "en_US.UTF-8", static_cast<locale_t>(0));
    if (probe == static_cast<locale_t>(0))
        GTEST_SKIP() << "en_US.UTF-8 is not installed";
    freelocale(probe);
    ScopedTimeLocale locale("en_US.UTF-8");
    EXPECT_EQ(0, LocaleUses24Hour());
}

} // namespace
} // namespace sw
