#include "text/clock.h"

#include "text/date_time_text.h"

#include <atomic>
#include <ctime>

namespace sw {
namespace {

std::atomic<DateTimeSource> g_source{nullptr};

DateTime SystemNow() {
    std::timespec now{};
    std::timespec_get(&now, TIME_UTC);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    CalendarTime c{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    return DateTimeFromCalendar(c);
}

} // namespace

DateTime CurrentDateTime() {
    DateTimeSource source = g_source.load(std::memory_order_acquire);
    return source != nullptr ? source() : SystemNow();
}

void SetDateTimeSource(DateTimeSource source) {
    g_source.store(source, std::memory_order_release);
}

} // namespace sw
