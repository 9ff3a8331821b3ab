#include "text/text_cut.h"

#include "text/marker_search.h"

namespace sw {
namespace {

// "#引号" in GBK: the placeholder a caller writes for a double quote in a marker.
constexpr std::string_view kQuotePlaceholder = "#\xD2\xFD\xBA\xC5";

std::string ReplaceQuotePlaceholder(std::string_view marker) {
    std::string out;
    out.reserve(marker.size());
    size_t pos = 0;
    for (size_t hit; (hit = marker.find(kQuotePlaceholder, pos)) != std::string_view::npos;
         pos = hit + kQuotePlaceholder.size()) {
        out.append(marker.substr(pos, hit - pos));
        out.push_back('"');
    }
    out.append(marker.substr(pos));
    return out;
}

// A 1-based start as a 0-based offset; below 1 counts as 1.
size_t OffsetOf(long long start) {
    return start <= 1 ? 0 : static_cast<size_t>(start - 1);
}

} // namespace

std::string TextBefore(std::string_view text, std::string_view marker, long long start, bool ignoreCase) {
    size_t k = FindMarkerForward(text, marker, OffsetOf(start), ignoreCase);
    if (k == kMarkerNotFound)
        return {};
    return std::string(text.substr(0, k));
}

std::string TextAfter(std::string_view text, std::string_view marker, std::optional<long long> start, bool ignoreCase) {
    // The search limit p covers the first p - 1 bytes.
    size_t limit = start ? OffsetOf(*start) : text.size();
    size_t k = FindMarkerBackward(text, marker, limit, ignoreCase);
    if (k == kMarkerNotFound)
        return {};
    return std::string(text.substr(k + marker.size()));
}

std::string TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                        long long start, bool ignoreCase) {
    std::string first = ReplaceQuotePlaceholder(startMarker);
    std::string last = ReplaceQuotePlaceholder(endMarker);
    size_t k = FindMarkerForward(text, first, OffsetOf(start), ignoreCase);
    if (k == kMarkerNotFound)
        return {};
    size_t c = k + first.size();
    size_t e = FindMarkerForward(text, last, c, ignoreCase);
    if (e == kMarkerNotFound || e < c)
        return {};
    return std::string(text.substr(c, e - c));
}

} // namespace sw
