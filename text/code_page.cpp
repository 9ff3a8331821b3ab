#include "text/code_page.h"

#include "text/gbk_table.h"
#include "text/iconv_codec.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace sw {
namespace {

constexpr char16_t kReplacementUnit = 0xFFFD;

// The end of the run of ASCII bytes that starts at from; eight bytes at a time
// while none has its high bit set. Pages are mostly ASCII markup.
size_t AsciiRunEnd(const unsigned char* bytes, size_t from, size_t size) {
    while (from + 8 <= size) {
        std::uint64_t word;
        std::memcpy(&word, bytes + from, 8);
        if (word & 0x8080808080808080ull)
            break;
        from += 8;
    }
    while (from < size && bytes[from] < 0x80)
        ++from;
    return from;
}
constexpr unsigned char kQuestionMark = '?';

// Decodes the character at bytes[i] as Windows decodes code page 936 and steps
// i past it: a lead byte at the end, or before a byte that cannot be a trail
// byte, gives "?"; the pair is swallowed whole except when that byte is zero.
inline char16_t DecodeGbkCharacter(const gbk::Tables& tables, const unsigned char* bytes, size_t size, size_t& i) {
    unsigned char b = bytes[i];
    if (b < 0x80) {
        ++i;
        return b;
    }
    if (b == 0x80 || b == 0xFF) {
        ++i;
        return b == 0x80 ? 0x20AC : 0xF8F5;
    }
    if (i + 1 == size || bytes[i + 1] == 0) {
        ++i;
        return kQuestionMark;
    }
    unsigned char trail = bytes[i + 1];
    i += 2;
    return gbk::IsTrailByte(trail) ? gbk::DecodePair(tables, b, trail) : kQuestionMark;
}

// Walks GBK text and hands each decoded UTF-16 unit to sink.
template <typename Sink>
void DecodeGbk(std::string_view text, Sink&& sink) {
    const gbk::Tables& tables = gbk::GetTables();
    auto bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();)
        sink(DecodeGbkCharacter(tables, bytes, text.size(), i));
}

// Decodes UTF-8 into UTF-16 units. Each maximal ill-formed subsequence becomes one
// U+FFFD (the Unicode recommendation, which Windows follows), so nothing is ever
// read past the end.
template <typename Sink>
void DecodeUtf8(std::string_view utf8, Sink&& sink) {
    auto p = reinterpret_cast<const unsigned char*>(utf8.data());
    const unsigned char* end = p + utf8.size();
    while (p < end) {
        unsigned char b = *p;
        if (b < 0x80) {
            sink(static_cast<char16_t>(b));
            ++p;
            continue;
        }
        int need;
        std::uint32_t cp;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            cp = b & 0x0F;
            if (b == 0xE0)
                low = 0xA0;
            else if (b == 0xED)
                high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            cp = b & 0x07;
            if (b == 0xF0)
                low = 0x90;
            else if (b == 0xF4)
                high = 0x8F;
        } else {
            sink(kReplacementUnit);
            ++p;
            continue;
        }
        ++p;
        bool complete = true;
        for (int i = 0; i < need; ++i) {
            if (p == end || *p < low || *p > high) {
                complete = false;
                break;
            }
            cp = cp << 6 | (*p & 0x3F);
            ++p;
            low = 0x80;
            high = 0xBF;
        }
        if (!complete) {
            sink(kReplacementUnit);
        } else if (cp < 0x10000) {
            sink(static_cast<char16_t>(cp));
        } else {
            cp -= 0x10000;
            sink(static_cast<char16_t>(0xD800 + (cp >> 10)));
            sink(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        }
    }
}

// Appends the GBK bytes of one unit at out; returns the new end. The unit's code
// is looked up in the table; a unit without one (a surrogate included) is "?".
inline char* PutGbk(const gbk::Tables& tables, char16_t unit, char* out) {
    std::uint16_t code = tables.encode[unit];
    if (code >= 0x100) {
        out[0] = static_cast<char>(code >> 8);
        out[1] = static_cast<char>(code & 0xFF);
        return out + 2;
    }
    *out = code != 0 || unit == 0 ? static_cast<char>(code) : static_cast<char>(kQuestionMark);
    return out + 1;
}

inline char* PutUtf8(char16_t unit, char* out) {
    if (unit < 0x80) {
        *out = static_cast<char>(unit);
        return out + 1;
    }
    if (unit < 0x800) {
        out[0] = static_cast<char>(0xC0 | unit >> 6);
        out[1] = static_cast<char>(0x80 | (unit & 0x3F));
        return out + 2;
    }
    out[0] = static_cast<char>(0xE0 | unit >> 12);
    out[1] = static_cast<char>(0x80 | (unit >> 6 & 0x3F));
    out[2] = static_cast<char>(0x80 | (unit & 0x3F));
    return out + 3;
}

// UTF-16 units to UTF-8; a surrogate without its partner becomes U+FFFD.
std::string UnitsToUtf8(std::u16string_view units) {
    std::string out(units.size() * 3, '\0');
    char* w = out.data();
    for (size_t i = 0; i < units.size(); ++i) {
        char16_t u = units[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            std::uint32_t cp = 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            w[0] = static_cast<char>(0xF0 | cp >> 18);
            w[1] = static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            w[2] = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            w[3] = static_cast<char>(0x80 | (cp & 0x3F));
            w += 4;
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            w = PutUtf8(kReplacementUnit, w);
        } else {
            w = PutUtf8(u, w);
        }
    }
    out.resize(static_cast<size_t>(w - out.data()));
    return out;
}

std::u16string Utf8ToUnits(std::string_view utf8) {
    std::u16string units;
    units.reserve(utf8.size());
    DecodeUtf8(utf8, [&](char16_t u) { units.push_back(u); });
    return units;
}

std::string UnitsToGbk(std::u16string_view units) {
    const gbk::Tables& tables = gbk::GetTables();
    std::string out(units.size() * 2, '\0');
    char* w = out.data();
    for (char16_t u : units)
        w = PutGbk(tables, u, w);
    out.resize(static_cast<size_t>(w - out.data()));
    return out;
}

// A base character followed by a combining mark, and the precomposed character
// they make (canonical compositions whose result code page 936 holds).
struct Composition {
    char16_t base;
    char16_t mark;
    char16_t composed;
};

constexpr Composition kCompositions[] = {
    {0x0061, 0x0300, 0x00E0}, {0x0061, 0x0301, 0x00E1}, {0x0065, 0x0300, 0x00E8}, {0x0065, 0x0301, 0x00E9},
    {0x0065, 0x0302, 0x00EA}, {0x0069, 0x0300, 0x00EC}, {0x0069, 0x0301, 0x00ED}, {0x006F, 0x0300, 0x00F2},
    {0x006F, 0x0301, 0x00F3}, {0x0075, 0x0300, 0x00F9}, {0x0075, 0x0301, 0x00FA}, {0x0075, 0x0308, 0x00FC},
    {0x0061, 0x0304, 0x0101}, {0x0065, 0x0304, 0x0113}, {0x0065, 0x030C, 0x011B}, {0x0069, 0x0304, 0x012B},
    {0x006E, 0x0301, 0x0144}, {0x006E, 0x030C, 0x0148}, {0x006F, 0x0304, 0x014D}, {0x0075, 0x0304, 0x016B},
    {0x0061, 0x030C, 0x01CE}, {0x0069, 0x030C, 0x01D0}, {0x006F, 0x030C, 0x01D2}, {0x0075, 0x030C, 0x01D4},
    {0x00FC, 0x0304, 0x01D6}, {0x00FC, 0x0301, 0x01D8}, {0x00FC, 0x030C, 0x01DA}, {0x00FC, 0x0300, 0x01DC},
    {0x0415, 0x0308, 0x0401}, {0x0418, 0x0306, 0x0419}, {0x0438, 0x0306, 0x0439}, {0x0435, 0x0308, 0x0451},
    {0x003D, 0x0338, 0x2260}, {0x003C, 0x0338, 0x226E}, {0x003E, 0x0338, 0x226F}, {0x304B, 0x3099, 0x304C},
    {0x304D, 0x3099, 0x304E}, {0x304F, 0x3099, 0x3050}, {0x3051, 0x3099, 0x3052}, {0x3053, 0x3099, 0x3054},
    {0x3055, 0x3099, 0x3056}, {0x3057, 0x3099, 0x3058}, {0x3059, 0x3099, 0x305A}, {0x305B, 0x3099, 0x305C},
    {0x305D, 0x3099, 0x305E}, {0x305F, 0x3099, 0x3060}, {0x3061, 0x3099, 0x3062}, {0x3064, 0x3099, 0x3065},
    {0x3066, 0x3099, 0x3067}, {0x3068, 0x3099, 0x3069}, {0x306F, 0x3099, 0x3070}, {0x306F, 0x309A, 0x3071},
    {0x3072, 0x3099, 0x3073}, {0x3072, 0x309A, 0x3074}, {0x3075, 0x3099, 0x3076}, {0x3075, 0x309A, 0x3077},
    {0x3078, 0x3099, 0x3079}, {0x3078, 0x309A, 0x307A}, {0x307B, 0x3099, 0x307C}, {0x307B, 0x309A, 0x307D},
    {0x309D, 0x3099, 0x309E}, {0x30AB, 0x3099, 0x30AC}, {0x30AD, 0x3099, 0x30AE}, {0x30AF, 0x3099, 0x30B0},
    {0x30B1, 0x3099, 0x30B2}, {0x30B3, 0x3099, 0x30B4}, {0x30B5, 0x3099, 0x30B6}, {0x30B7, 0x3099, 0x30B8},
    {0x30B9, 0x3099, 0x30BA}, {0x30BB, 0x3099, 0x30BC}, {0x30BD, 0x3099, 0x30BE}, {0x30BF, 0x3099, 0x30C0},
    {0x30C1, 0x3099, 0x30C2}, {0x30C4, 0x3099, 0x30C5}, {0x30C6, 0x3099, 0x30C7}, {0x30C8, 0x3099, 0x30C9},
    {0x30CF, 0x3099, 0x30D0}, {0x30CF, 0x309A, 0x30D1}, {0x30D2, 0x3099, 0x30D3}, {0x30D2, 0x309A, 0x30D4},
    {0x30D5, 0x3099, 0x30D6}, {0x30D5, 0x309A, 0x30D7}, {0x30D8, 0x3099, 0x30D9}, {0x30D8, 0x309A, 0x30DA},
    {0x30DB, 0x3099, 0x30DC}, {0x30DB, 0x309A, 0x30DD}, {0x30A6, 0x3099, 0x30F4}, {0x30FD, 0x3099, 0x30FE},
};

bool IsCombiningMark(char16_t u) {
    return (u >= 0x0300 && u <= 0x036F) || u == 0x3099 || u == 0x309A;
}

char16_t Compose(char16_t base, char16_t mark) {
    for (const Composition& c : kCompositions)
        if (c.base == base && c.mark == mark)
            return c.composed;
    return 0;
}

// The units of a UTF-16 byte string up to its first zero unit; an odd last byte is ignored.
std::u16string UnitsFromUtf16Bytes(std::string_view utf16) {
    size_t count = utf16.size() / 2;
    std::u16string units;
    units.reserve(count);
    auto p = reinterpret_cast<const unsigned char*>(utf16.data());
    for (size_t i = 0; i < count; ++i) {
        auto u = static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8);
        if (u == 0)
            break;
        units.push_back(u);
    }
    return units;
}

std::string Utf16Bytes(std::u16string_view units, bool withTerminator) {
    std::string out((units.size() + (withTerminator ? 1 : 0)) * 2, '\0');
    for (size_t i = 0; i < units.size(); ++i) {
        out[2 * i] = static_cast<char>(units[i] & 0xFF);
        out[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
    return out;
}

std::u16string DecodeToUnits(std::string_view text, int codePage) {
    if (codePage == kCodePageAnsi || codePage == kCodePageGbk)
        return GbkToUtf16Units(text);
    if (codePage == kCodePageUtf8)
        return Utf8ToUnits(text);
    return DecodeWithIconv(text, IconvNameOfCodePage(codePage)).value_or(std::u16string());
}

std::string EncodeUnits(std::u16string_view units, int codePage) {
    if (codePage == kCodePageAnsi || codePage == kCodePageGbk)
        return UnitsToGbk(units);
    if (codePage == kCodePageUtf8)
        return UnitsToUtf8(units);
    return EncodeWithIconv(units, IconvNameOfCodePage(codePage)).value_or(std::string());
}

} // namespace

std::string GbkToUtf8(std::string_view text) {
    // Room for every pair growing to three bytes; only the rare one-byte 0x80 and
    // 0xFF grow further, and the loop makes room for them when it meets them.
    std::string out(text.size() + text.size() / 2 + 4, '\0');
    char* w = out.data();
    auto bytes = reinterpret_cast<const unsigned char*>(text.data());
    const size_t size = text.size();
    for (size_t i = 0; i < size;) {
        size_t ascii = AsciiRunEnd(bytes, i, size);
        std::memcpy(w, bytes + i, ascii - i);
        w += ascii - i;
        i = ascii;
        const gbk::Tables& tables = gbk::GetTables();
        while (i < size && bytes[i] >= 0x80) {
            char16_t unit = DecodeGbkCharacter(tables, bytes, size, i);
            // A pair never grows past three bytes; a lone 0x80 or 0xFF does.
            if (out.data() + out.size() - w < 3 + static_cast<std::ptrdiff_t>((size - i) * 3 / 2)) {
                size_t used = static_cast<size_t>(w - out.data());
                out.resize(out.size() * 2 + 3);
                w = out.data() + used;
            }
            w = PutUtf8(unit, w);
        }
    }
    out.resize(static_cast<size_t>(w - out.data()));
    if (out.capacity() > out.size() + out.size() / 4 + 64)
        out.shrink_to_fit();
    return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
    // No character takes more bytes in GBK than in UTF-8.
    const gbk::Tables& tables = gbk::GetTables();
    std::string out(utf8.size(), '\0');
    char* w = out.data();
    auto bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t size = utf8.size();
    for (size_t i = 0; i < size;) {
        size_t ascii = AsciiRunEnd(bytes, i, size);
        std::memcpy(w, bytes + i, ascii - i);
        w += ascii - i;
        i = ascii;
        // Every byte of a multibyte sequence, well-formed or not, is 0x80 or
        // above, so an ASCII byte always ends what the decoder has to look at.
        size_t run = i;
        while (run < size && bytes[run] >= 0x80)
            ++run;
        DecodeUtf8(utf8.substr(i, run - i), [&](char16_t unit) { w = PutGbk(tables, unit, w); });
        i = run;
    }
    out.resize(static_cast<size_t>(w - out.data()));
    if (out.capacity() > out.size() + out.size() / 4 + 64)
        out.shrink_to_fit();
    return out;
}

std::string TextToUtf16(std::string_view text, int codePage) {
    if (text.empty())
        return {};
    std::u16string units = DecodeToUnits(text, codePage);
    if (units.empty())
        return {};
    return Utf16Bytes(units, true);
}

std::string Utf16ToText(std::string_view utf16, int codePage) {
    std::u16string units = UnitsFromUtf16Bytes(utf16);
    if (units.empty())
        return {};
    return EncodeUnits(units, codePage);
}

std::string GbkToUtf16(std::string_view text, bool dropTerminator) {
    if (text.empty())
        return {};
    return Utf16Bytes(GbkToUtf16Units(text), !dropTerminator);
}

std::string Utf16ToGbk(std::string_view utf16) {
    std::u16string units = UnitsFromUtf16Bytes(utf16);
    std::u16string composed;
    composed.reserve(units.size());
    const gbk::Tables& tables = gbk::GetTables();
    for (char16_t u : units) {
        if (!composed.empty() && IsCombiningMark(u)) {
            char16_t c = Compose(composed.back(), u);
            if (c != 0 && tables.encode[c] != 0) {
                composed.back() = c;
                continue;
            }
        }
        composed.push_back(u);
    }
    return UnitsToGbk(composed);
}

std::u16string GbkToUtf16Units(std::string_view text) {
    std::u16string units;
    units.reserve(text.size());
    DecodeGbk(text, [&](char16_t u) { units.push_back(u); });
    return units;
}

std::string Utf16UnitsToGbk(std::u16string_view units) {
    return UnitsToGbk(units);
}

} // namespace sw
