#include "toolslib/pinyin_initial.h"

#include <algorithm>
#include <array>

namespace sw {
namespace {

constexpr unsigned kFirstLead = 0xB0;
constexpr unsigned kLastLead = 0xF7;
constexpr unsigned kFirstTrail = 0xA1;
constexpr unsigned kLastTrail = 0xFE;

constexpr std::array<std::string_view, kLastLead - kFirstLead + 1> kRows = {
#include "toolslib/pinyin_table.inc"
};

static_assert(std::ranges::all_of(kRows,
                                  [](std::string_view row) { return row.size() == kLastTrail - kFirstTrail + 1; }),
              "every row of the pinyin table covers the trail bytes A1 to FE");

} // namespace

std::string_view PinyinInitial(std::string_view character) {
    if (character.size() != 2)
        return {};
    const auto lead = static_cast<unsigned char>(character[0]);
    const auto trail = static_cast<unsigned char>(character[1]);
    if (lead < kFirstLead || lead > kLastLead || trail < kFirstTrail || trail > kLastTrail)
        return {};
    const std::string_view row = kRows[lead - kFirstLead];
    const size_t at = trail - kFirstTrail;
    switch (row[at]) {
    case 'Z':
        return "zh";
    case 'C':
        return "ch";
    case 'S':
        return "sh";
    case '0':
    case '.':
        return {};
    default:
        // A one-letter initial is its own letter in the table.
        return row.substr(at, 1);
    }
}

} // namespace sw
