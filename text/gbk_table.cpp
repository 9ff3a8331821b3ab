#include "text/gbk_table.h"

#include <iconv.h>

#include <cstring>
#include <memory>

namespace sw::gbk {
namespace {

constexpr std::uint16_t kEuroSign = 0x20AC;
constexpr std::uint16_t kByteFfUnit = 0xF8F5;

// The three user-defined areas, mapped row by row onto consecutive Private Use codes.
constexpr std::uint16_t kUserArea1Base = 0xE000; // AAA1-AFFE
constexpr std::uint16_t kUserArea2Base = 0xE234; // F8A1-FEFE
constexpr std::uint16_t kUserArea3Base = 0xE4C6; // A140-A7A0
// Codes inside the standard areas that have no character get the Private Use codes
// from here on, in code order.
constexpr std::uint16_t kUnassignedBase = 0xE766;

int TrailIndexBelowA1(unsigned char trail) {
    return trail < 0x7F ? trail - 0x40 : trail - 0x41;
}

std::uint16_t UserAreaUnit(unsigned char lead, unsigned char trail) {
    if (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1)
        return static_cast<std::uint16_t>(kUserArea1Base + (lead - 0xAA) * 94 + (trail - 0xA1));
    if (lead >= 0xF8 && trail >= 0xA1)
        return static_cast<std::uint16_t>(kUserArea2Base + (lead - 0xF8) * 94 + (trail - 0xA1));
    if (lead >= 0xA1 && lead <= 0xA7 && trail <= 0xA0)
        return static_cast<std::uint16_t>(kUserArea3Base + (lead - 0xA1) * 96 + TrailIndexBelowA1(trail));
    return 0;
}

// One two-byte code through iconv; 0 when iconv has no single BMP unit for it.
std::uint16_t IconvUnit(iconv_t cd, unsigned char lead, unsigned char trail) {
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    char out[8];
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = sizeof in;
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
        sizeof out - outLeft != 2)
        return 0;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8);
}

void Build(Tables& t) {
    std::memset(&t, 0, sizeof t);
    for (unsigned b = 1; b < 0x80; ++b)
        t.encode[b] = static_cast<std::uint16_t>(b);
    t.encode[kEuroSign] = 0x80;
    t.encode[kByteFfUnit] = 0xFF;

    iconv_t cd = iconv_open("UTF-16LE", "CP936");
    std::uint16_t nextUnassigned = kUnassignedBase;
    for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead) {
        for (unsigned trail = kFirstTrail; trail <= kLastTrail; ++trail) {
            if (trail == 0x7F)
                continue;
            auto l = static_cast<unsigned char>(lead);
            auto tr = static_cast<unsigned char>(trail);
            std::uint16_t unit = cd == reinterpret_cast<iconv_t>(-1) ? 0 : IconvUnit(cd, l, tr);
            if (unit == 0)
                unit = UserAreaUnit(l, tr);
            if (unit == 0)
                unit = nextUnassigned++;
            t.decode[(lead - kFirstLead) * kTrailCount + (trail - kFirstTrail)] = unit;
            if (t.encode[unit] == 0)
                t.encode[unit] = static_cast<std::uint16_t>(lead << 8 | trail);
        }
    }
    if (cd != reinterpret_cast<iconv_t>(-1))
        iconv_close(cd);
}

} // namespace

const Tables& GetTables() {
    static const std::unique_ptr<const Tables> tables = [] {
        auto built = std::make_unique<Tables>();
        Build(*built);
        return built;
    }();
    return *tables;
}

} // namespace sw::gbk
