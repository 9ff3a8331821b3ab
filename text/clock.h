#pragma once

// The clock port: where "now" comes from for every date-time text of the
// program. Tests install a fixed source; by default it is the system clock in
// local time.

namespace sw {

// A date-time: a local date and time held as an automation date, a double
// counting days from 30 December 1899, the fraction being the time of day.
using DateTime = double;

// Now, as local time.
DateTime CurrentDateTime();

// Installs the source of CurrentDateTime; nullptr restores the system clock.
using DateTimeSource = DateTime (*)();
void SetDateTimeSource(DateTimeSource source);

} // namespace sw
