#pragma once

// The marker search under TextBefore, TextAfter and TextBetween. Positions are
// 0-based byte offsets here. A match may begin only where a character begins:
// stepping from the first position tried, a byte of 0x80 or above is the first
// of a two-byte character and the position after the whole character is tried
// next. With ignoreCase only the ASCII letters compare without regard to case.
// Both searches take linear time whatever the marker.

#include <cstddef>
#include <string_view>

namespace sw {

inline constexpr size_t kMarkerNotFound = static_cast<size_t>(-1);

// The first match at from or after it, stepping from from. An empty marker is
// found at offset 0 whenever text[from..] is not empty.
size_t FindMarkerForward(std::string_view text, std::string_view marker, size_t from, bool ignoreCase);

// The last match lying wholly within text[0, limit), stepping from offset 0. An
// empty marker is found at offset 0 whenever that stretch is not empty.
size_t FindMarkerBackward(std::string_view text, std::string_view marker, size_t limit, bool ignoreCase);

} // namespace sw
