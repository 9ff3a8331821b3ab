#include "text/date_time_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>

#include <langinfo.h>
#include <locale.h>

namespace sw {
namespace {

constexpr long long kSecondsPerDay = 86400;
// 30 December 1899 counted in days from 1 January 1970.
constexpr long long kAutomationEpochDay = -25569;
// Far outside the years 100 to 9999, yet small enough that the day count
// converts to an integer without overflow.
constexpr double kDayCountLimit = 1e7;
constexpr int kFirstYear = 100;
constexpr int kLastYear = 9999;
// The platform formatter writes each part into a buffer of this many bytes,
// terminator included, and fails outright when the part does not fit.
constexpr std::size_t kPartBufferSize = 50;
// Shorter pictures are taken as "leave this part out".
constexpr std::size_t kMinPictureSize = 3;

// Days from 1 January 1970 in the proleptic Gregorian calendar; month 1 to 12.
long long DaysFromCivil(long long year, long long month, long long day) {
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(long long days, CalendarTime& c) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long shiftedMonth = (5 * dayOfYear + 2) / 153;
    c.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    c.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    c.year = static_cast<int>(yearOfEra + era * 400 + (c.month <= 2 ? 1 : 0));
}

long long FloorDiv(long long a, long long b) {
    const long long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// A byte from 0x81 up leads a two-byte GBK character unless nothing follows it.
std::size_t CharSizeAt(std::string_view text, std::size_t at) {
    return static_cast<unsigned char>(text[at]) >= 0x81 && at + 1 < text.size() ? 2 : 1;
}

bool IsSpaceChar(std::string_view text, std::size_t at, std::size_t size) {
    if (size == 1)
        return text[at] == ' ';
    return text[at] == '\xA1' && text[at + 1] == '\xA1'; // ideographic space
}

std::string_view TrimSpaces(std::string_view text) {
    std::size_t first = text.size();
    std::size_t end = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t size = CharSizeAt(text, i);
        if (!IsSpaceChar(text, i, size)) {
            first = std::min(first, i);
            end = i + size;
        }
        i += size;
    }
    return first < end ? text.substr(first, end - first) : std::string_view{};
}

// Walks by characters so that a trail byte 'h' never starts a replacement.
std::string WithHoursOn24HourClock(std::string_view picture) {
    std::string out;
    out.reserve(picture.size());
    for (std::size_t i = 0; i < picture.size();) {
        const std::size_t size = CharSizeAt(picture, i);
        if (size == 1 && picture[i] == 'h' && i + 1 < picture.size() && picture[i + 1] == 'h') {
            out += "HH";
            i += 2;
        } else {
            out.append(picture, i, size);
            i += size;
        }
    }
    return out;
}

void AppendNumber(std::string& out, int value, int minDigits) {
    char digits[16];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    const auto length = static_cast<int>(end - digits);
    if (length < minDigits)
        out.append(static_cast<std::size_t>(minDigits - length), '0');
    out.append(digits, end);
}

enum class PictureKind { Date, Time };

bool IsPictureLetter(char letter, PictureKind kind) {
    if (kind == PictureKind::Date)
        return letter == 'y' || letter == 'M' || letter == 'd';
    return letter == 'h' || letter == 'H' || letter == 'm' || letter == 's';
}

// A run of one letter is a single field: one letter drops the leading zero, two
// or more give two digits; for the year two give the last two digits and three
// or more the whole year.
void AppendField(std::string& out, const CalendarTime& c, char letter, std::size_t run, bool use24Hour) {
    const int digits = run >= 2 ? 2 : 1;
    switch (letter) {
    case 'y':
        if (run >= 3)
            AppendNumber(out, c.year, 4);
        else
            AppendNumber(out, c.year % 100, digits);
        break;
    case 'M':
        AppendNumber(out, c.month, digits);
        break;
    case 'd':
        AppendNumber(out, c.day, digits);
        break;
    case 'h':
        if (use24Hour)
            AppendNumber(out, c.hour, digits);
        else
            AppendNumber(out, c.hour % 12 == 0 ? 12 : c.hour % 12, digits);
        break;
    case 'H':
        AppendNumber(out, c.hour, digits);
        break;
    case 'm':
        AppendNumber(out, c.minute, digits);
        break;
    case 's':
        AppendNumber(out, c.second, digits);
        break;
    default:
        break;
    }
}

std::string FormatPart(const CalendarTime& c, std::string_view picture, PictureKind kind, bool use24Hour) {
    std::string out;
    for (std::size_t i = 0; i < picture.size();) {
        const std::size_t size = CharSizeAt(picture, i);
        if (size == 1 && IsPictureLetter(picture[i], kind)) {
            std::size_t run = 1;
            while (i + run < picture.size() && picture[i + run] == picture[i])
                ++run;
            AppendField(out, c, picture[i], run, use24Hour);
            i += run;
        } else {
            out.append(picture, i, size);
            i += size;
        }
        if (out.size() >= kPartBufferSize)
            return {};
    }
    return out;
}

struct PictureFamily {
    std::string_view date;
    std::string_view time;
    std::string_view monthDay;
    std::string_view hourMinute;
    std::string_view minuteSecond;
};

// GBK bytes; literals are split where a hex escape would swallow the next letter.
constexpr PictureFamily kFamilies[] = {
    {
        "yyyy\xC4\xEA"
        "MM\xD4\xC2"
        "dd\xC8\xD5 ", // "yyyy年MM月dd日 "
        "hh\xCA\xB1"
        "mm\xB7\xD6"
        "ss\xC3\xEB", // "hh时mm分ss秒"
        "MM\xD4\xC2"
        "dd\xC8\xD5", // "MM月dd日"
        "hh\xCA\xB1"
        "mm\xB7\xD6", // "hh时mm分"
        "mm\xB7\xD6"
        "ss\xC3\xEB", // "mm分ss秒"
    },
    {"yyyy-MM-dd ", "hh:mm:ss", "MM-dd", "hh:mm", "mm:ss"},
    {"yyyy/MM/dd ", "hh/mm/ss", "MM/dd", "hh/mm", "mm/ss"},
    {"yyyyMMdd", "hhmmss", "MMdd", "hhmm", "mmss"},
};

} // namespace

std::optional<CalendarTime> CalendarFromDateTime(DateTime when) {
    if (!std::isfinite(when) || std::fabs(when) > kDayCountLimit)
        return std::nullopt;
    const double dayPart = std::trunc(when);
    // Before the epoch the time of day still counts forward from midnight.
    const double fraction = std::fabs(when - dayPart);
    long long day = static_cast<long long>(dayPart);
    long long seconds = std::llround(fraction * static_cast<double>(kSecondsPerDay));
    if (seconds >= kSecondsPerDay) {
        ++day;
        seconds -= kSecondsPerDay;
    }
    CalendarTime c;
    CivilFromDays(day + kAutomationEpochDay, c);
    if (c.year < kFirstYear || c.year > kLastYear)
        return std::nullopt;
    c.hour = static_cast<int>(seconds / 3600);
    c.minute = static_cast<int>(seconds / 60 % 60);
    c.second = static_cast<int>(seconds % 60);
    return c;
}

DateTime DateTimeFromCalendar(const CalendarTime& c) {
    // Out-of-range months and times carry into the year and the day, so the
    // calendar algorithm and the sign rule of negative dates always see
    // normalised fields.
    const long long monthIndex = static_cast<long long>(c.month) - 1;
    const long long year = static_cast<long long>(c.year) + FloorDiv(monthIndex, 12);
    const long long month = monthIndex - FloorDiv(monthIndex, 12) * 12 + 1;
    long long seconds = static_cast<long long>(c.hour) * 3600 + static_cast<long long>(c.minute) * 60 + c.second;
    long long day = DaysFromCivil(year, month, c.day) - kAutomationEpochDay + FloorDiv(seconds, kSecondsPerDay);
    seconds -= FloorDiv(seconds, kSecondsPerDay) * kSecondsPerDay;
    const double timeOfDay = static_cast<double>(seconds) / static_cast<double>(kSecondsPerDay);
    return day < 0 ? static_cast<double>(day) - timeOfDay : static_cast<double>(day) + timeOfDay;
}

std::string FormatDateTime(DateTime when, std::string_view datePicture, std::string_view timePicture, int force24Hour) {
    const std::optional<CalendarTime> c = CalendarFromDateTime(when);
    if (!c)
        return {};
    std::string out;
    if (datePicture.size() >= kMinPictureSize)
        out = FormatPart(*c, datePicture, PictureKind::Date, false);
    if (timePicture.size() >= kMinPictureSize)
        out += FormatPart(*c, timePicture, PictureKind::Time, force24Hour == 1);
    return out;
}

std::string DateTimeTextForClock(DateTime when, int family, int part, bool uses24Hour) {
    if (family < 0 || family > 3)
        family = 0;
    const PictureFamily& pictures = kFamilies[family];
    std::string_view datePicture;
    std::string_view timePicture;
    switch (part) {
    case 1:
        datePicture = TrimSpaces(pictures.date);
        break;
    case 2:
        datePicture = pictures.monthDay;
        break;
    case 3:
        timePicture = pictures.time;
        break;
    case 4:
        timePicture = pictures.hourMinute;
        break;
    case 5:
        timePicture = pictures.minuteSecond;
        break;
    default:
        datePicture = pictures.date;
        timePicture = pictures.time;
        break;
    }
    if (uses24Hour)
        return FormatDateTime(when, datePicture, WithHoursOn24HourClock(timePicture), 0);
    return FormatDateTime(when, datePicture, timePicture, 0);
}

std::string DateTimeText(std::optional<DateTime> when, int family, int part) {
    const DateTime at = when ? *when : CurrentDateTime();
    return DateTimeTextForClock(at, family, part, LocaleUses24Hour() == 1);
}

int LocaleUses24Hour() {
    locale_t locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0))
        locale = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0))
        return 1; // the C locale's own clock
    const char* format = nl_langinfo_l(T_FMT, locale);
    const std::string_view timeFormat = format != nullptr ? format : "";
    const bool twelveHour = timeFormat.find("%I") != std::string_view::npos ||
                            timeFormat.find("%l") != std::string_view::npos ||
                            timeFormat.find("%r") != std::string_view::npos;
    freelocale(locale);
    return twelveHour ? 0 : 1;
}

} // namespace sw
