#pragma once

// Conversions through iconv for the character sets that the program has no
// table of its own for (a code page other than 936 and 65001, the charset a
// web page declares). Bytes that the source set cannot decode become "?", and
// characters the target set lacks become "?", as the Windows converters do.

#include <optional>
#include <string>
#include <string_view>

namespace sw {

// The iconv name of a Windows code page number ("CP1252" for 1252, "ISO-8859-1"
// for 28591, ...).
std::string IconvNameOfCodePage(int codePage);

// Bytes in the named set to UTF-16 units; nullopt when iconv does not know the set.
std::optional<std::u16string> DecodeWithIconv(std::string_view bytes, const std::string& charset);
// UTF-16 units to bytes in the named set; nullopt when iconv does not know the set.
std::optional<std::string> EncodeWithIconv(std::u16string_view units, const std::string& charset);

} // namespace sw
