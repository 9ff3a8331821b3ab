#pragma once

// Cutting text at markers. Positions count bytes from 1; a marker is found by
// the marker search (whole characters, ASCII-only case folding).

#include <optional>
#include <string>
#include <string_view>

namespace sw {

// Everything before the first marker found at or after start (below 1 counts as
// 1); empty when the marker is not found. The result always starts at the
// beginning of text.
std::string TextBefore(std::string_view text, std::string_view marker, long long start = 1, bool ignoreCase = false);

// Everything after the last marker lying wholly within the first start - 1
// bytes; empty when there is none. Without start the whole text is searched.
std::string TextAfter(std::string_view text, std::string_view marker, std::optional<long long> start = std::nullopt,
                      bool ignoreCase = false);

// The text strictly between the first startMarker found from start and the first
// endMarker after it; empty when either is missing. In both markers "#引号"
// stands for a double quote.
std::string TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                        long long start = 0, bool ignoreCase = false);

} // namespace sw
