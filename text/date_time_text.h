#pragma once

// Date-time text with the fixed picture families of the program, and the
// picture formatter under it (the Windows date and time picture letters).

#include "text/clock.h"

#include <optional>
#include <string>
#include <string_view>

namespace sw {

// Calendar fields of a date-time; month and day count from 1.
struct CalendarTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Calendar fields of an automation date, rounded to the nearest second; nullopt
// outside the years 100 to 9999.
std::optional<CalendarTime> CalendarFromDateTime(DateTime when);
// The automation date of calendar fields (no range check).
DateTime DateTimeFromCalendar(const CalendarTime& c);

// when: nullopt for now (CurrentDateTime). family 0 to 3 picks the picture
// family (others count as 0); part 0 to 5 picks the pictures (others count as 0).
std::string DateTimeText(std::optional<DateTime> when = std::nullopt, int family = 0, int part = 0);
// The same with the locale's clock setting given instead of read.
std::string DateTimeTextForClock(DateTime when, int family, int part, bool uses24Hour);

// GBK pictures; a picture shorter than 3 bytes leaves its part out. Empty when
// when lies outside the years 100 to 9999. force24Hour 1 prints "hh" on the
// 24-hour clock.
std::string FormatDateTime(DateTime when, std::string_view datePicture = {}, std::string_view timePicture = {},
                           int force24Hour = 0);

// 1 when the user's locale (LC_TIME of the environment) uses a 24-hour clock, 0 when 12-hour.
int LocaleUses24Hour();

} // namespace sw
