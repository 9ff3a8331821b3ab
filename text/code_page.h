#pragma once

// Conversions between the program's own text (code page 936, GBK), UTF-8 and
// UTF-16, behaving as the Windows converters do: decoding never fails (an
// invalid or truncated sequence becomes "?" for code page 936 and U+FFFD for
// UTF-8), encoding writes "?" for a character the target lacks, and an empty
// input gives an empty result. Inputs are counted byte strings: a zero byte
// inside is converted like any other character.
//
// UTF-16 byte strings hold little-endian units. Unless a function says
// otherwise a UTF-16 result ends with one zero unit, which its size includes.

#include <string>
#include <string_view>

namespace sw {

inline constexpr int kCodePageAnsi = 0; // the system's ANSI code page: 936 here
inline constexpr int kCodePageGbk = 936;
inline constexpr int kCodePageUtf8 = 65001;

std::string GbkToUtf8(std::string_view text);
std::string Utf8ToGbk(std::string_view utf8);

// Multibyte text in codePage to a UTF-16 byte string with its zero unit.
std::string TextToUtf16(std::string_view text, int codePage = kCodePageUtf8);
// UTF-16 byte string, read up to its first zero unit, to multibyte text in codePage.
std::string Utf16ToText(std::string_view utf16, int codePage = kCodePageAnsi);

// GBK text to a UTF-16 byte string; without the zero unit when dropTerminator is set.
std::string GbkToUtf16(std::string_view text, bool dropTerminator = false);
// UTF-16 byte string (size / 2 units, stopping at a zero unit) to GBK text. A base
// letter followed by a combining mark is written as the precomposed GBK letter
// where code page 936 has one.
std::string Utf16ToGbk(std::string_view utf16);

// Unit forms for the adapters that hand text to Qt. No terminator, no composition.
std::u16string GbkToUtf16Units(std::string_view text);
std::string Utf16UnitsToGbk(std::u16string_view units);

// GBK bytes of a UTF-8 literal. Source files are UTF-8, while the texts the
// program shows, stores and compares are GBK: write them readably and convert.
inline std::string Gbk(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

} // namespace sw
