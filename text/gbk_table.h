#pragma once

// The code page 936 mapping as Windows has it, built once from the C library's
// iconv (which agrees with Windows on every character it maps) plus the
// assignments that iconv refuses: 0xFF and the user-defined areas, which
// Windows maps to the Private Use Area.

#include <cstdint>

namespace sw::gbk {

inline constexpr unsigned char kFirstLead = 0x81;
inline constexpr unsigned char kLastLead = 0xFE;
inline constexpr unsigned char kFirstTrail = 0x40;
inline constexpr unsigned char kLastTrail = 0xFE;
inline constexpr int kTrailCount = kLastTrail - kFirstTrail + 1;

inline bool IsLeadByte(unsigned char b) {
    return b >= kFirstLead && b <= kLastLead;
}
inline bool IsTrailByte(unsigned char b) {
    return b >= kFirstTrail && b <= kLastTrail && b != 0x7F;
}

struct Tables {
    // UTF-16 unit of each two-byte code, indexed by (lead - 0x81) * kTrailCount + (trail - 0x40);
    // 0 where the pair is not a character (trail 0x7F).
    std::uint16_t decode[(kLastLead - kFirstLead + 1) * kTrailCount];
    // Code of each BMP unit: a byte value below 0x100 for a one-byte character
    // (ASCII, 0x80, 0xFF), lead << 8 | trail for a pair, 0 where 936 has none.
    // Unit 0 encodes as the zero byte and is handled by the callers.
    std::uint16_t encode[0x10000];
};

// The tables, built on first use; safe to call from any thread.
const Tables& GetTables();

inline std::uint16_t DecodePair(const Tables& t, unsigned char lead, unsigned char trail) {
    return t.decode[(lead - kFirstLead) * kTrailCount + (trail - kFirstTrail)];
}

} // namespace sw::gbk
