#pragma once

#include <string_view>

namespace sw {

// The initial consonant of the first Mandarin reading of a GB2312 hanzi (GBK lead
// byte B0 to F7, trail byte A1 to FE): "zh" for 中, "b" for 白. Empty for a
// reading that starts with a vowel (啊) and for any other character, other
// hanzi of GBK included.
std::string_view PinyinInitial(std::string_view character);

} // namespace sw
