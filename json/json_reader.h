#pragma once

// Reads JSON text (RFC 8259) into the value tree.

#include "json/json_value.h"

#include <cstddef>
#include <string>

namespace sw::json {

// Deeper texts are refused: JavaScript engines give up far earlier, and every
// walk over the tree stays cheap.
inline constexpr size_t kMaxJsonDepth = 5000;

// Reads utf8 (taken over and used as scratch space). False for a text that is
// not one JSON value, nests deeper than kMaxJsonDepth, has a number out of the
// double range, or a string that is not valid UTF-8 or holds a lone surrogate
// escape; out is then unchanged. Of members with the same name the first keeps
// its place and takes the value of the last, as a JavaScript object literal does.
// Integers of any length read as the nearest double.
bool ReadJson(std::string utf8, JsonValue& out);

} // namespace sw::json
