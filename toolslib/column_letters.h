#pragma once

#include <cstdint>
#include <string>

namespace sw {

// The spreadsheet name of a column: 1 "A", 26 "Z", 27 "AA", 702 "ZZ", 703 "AAA";
// empty below 1.
std::string ColumnLetters(std::int32_t column);

} // namespace sw
