#pragma once

#include <string>
#include <string_view>

namespace sw {

// Percent-encodes text for a URL query value. The bytes are those of the GBK
// text, or of its UTF-8 form when toUtf8 is set. With keepPlain the letters,
// digits, "-" and "." stay as they are; every other byte, and every byte at all
// without keepPlain, becomes "%" and two upper-case hexadecimal digits.
std::string UrlEncode(std::string_view text, bool keepPlain = false, bool toUtf8 = false);

// Percent-encodes the bytes a URL or a request line cannot carry as they are:
// blanks, control bytes and bytes of 0x7F and above (GBK text among them),
// each as it stands; every other byte is kept.
std::string EscapeUnsafeUrlBytes(std::string_view url);

} // namespace sw
