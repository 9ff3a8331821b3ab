#pragma once

// Numbers in and out of program text, the way every part of the program reads
// a number from a box or a field and writes one back.

#include <cstdint>
#include <string>
#include <string_view>

namespace sw {

// Full-width forms (GBK A3 A1 to A3 FE) read as their ASCII characters and the
// ideographic space A1 A1 as a blank; then leading white space, one optional
// sign and the decimal digits up to the first other character. No digits gives
// 0 and a fraction is cut off ("99.87" gives 99). Values beyond the range are
// held at its ends.
std::int32_t TextToInt(std::string_view text);
std::int64_t TextToInt64(std::string_view text);

// The same folding, then an ordinary decimal number (sign, digits, an optional
// decimal point and exponent) up to the first other character; no number gives 0.
double TextToNumber(std::string_view text);

// "%.13g" with an exponent of at least three digits: 1e+014, 1e-005, 4.8.
std::string NumberToText(double value);

// "真" or "假" (GBK).
std::string TruthText(bool value);

} // namespace sw
