#include "text/marker_search.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace sw {
namespace {

unsigned char FoldCase(unsigned char b, bool ignoreCase) {
    return ignoreCase && b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
}

bool HasLetter(std::string_view s) {
    for (char c : s)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            return true;
    return false;
}

// Tracks which offsets a search steps on, moving forward only.
class CharacterSteps {
public:
    CharacterSteps(std::string_view text, size_t first) : text_(text), next_(first) {}

    // Whether the search steps on offset; offsets must come in rising order.
    bool StepsOn(size_t offset) {
        while (next_ < offset)
            next_ += static_cast<unsigned char>(text_[next_]) >= 0x80 ? 2 : 1;
        return next_ == offset;
    }

private:
    std::string_view text_;
    size_t next_;
};

// Finds every occurrence of the marker in text[from, to) in rising order with the
// Knuth-Morris-Pratt automaton, so no input makes the scan quadratic. onMatch
// gets each start offset and returns true to stop.
template <typename OnMatch>
void ScanMatches(std::string_view text, std::string_view marker, size_t from, size_t to, bool ignoreCase,
                 OnMatch&& onMatch) {
    const size_t m = marker.size();
    bool fold = ignoreCase && HasLetter(marker);
    std::string pattern(marker);
    for (char& c : pattern)
        c = static_cast<char>(FoldCase(static_cast<unsigned char>(c), fold));

    std::vector<std::uint32_t> border(m, 0);
    for (size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && pattern[i] != pattern[k])
            k = border[k - 1];
        if (pattern[i] == pattern[k])
            ++k;
        border[i] = static_cast<std::uint32_t>(k);
    }

    auto data = reinterpret_cast<const unsigned char*>(text.data());
    auto first = static_cast<unsigned char>(pattern[0]);
    bool firstIsLetter = fold && first >= 'a' && first <= 'z';
    size_t k = 0;
    for (size_t i = from; i < to; ++i) {
        if (k == 0 && !firstIsLetter) {
            // Nothing matched yet: jump straight to the next candidate start.
            const void* hit = std::memchr(data + i, first, to - i);
            if (hit == nullptr)
                return;
            i = static_cast<size_t>(static_cast<const unsigned char*>(hit) - data);
        }
        unsigned char c = FoldCase(data[i], fold);
        while (k > 0 && c != static_cast<unsigned char>(pattern[k]))
            k = border[k - 1];
        if (c == static_cast<unsigned char>(pattern[k]))
            ++k;
        if (k == m) {
            if (onMatch(i + 1 - m))
                return;
            k = border[k - 1];
        }
    }
}

} // namespace

size_t FindMarkerForward(std::string_view text, std::string_view marker, size_t from, bool ignoreCase) {
    if (from >= text.size())
        return kMarkerNotFound;
    if (marker.empty())
        return 0;
    if (marker.size() > text.size() - from)
        return kMarkerNotFound;
    CharacterSteps steps(text, from);
    size_t found = kMarkerNotFound;
    ScanMatches(text, marker, from, text.size(), ignoreCase, [&](size_t start) {
        if (!steps.StepsOn(start))
            return false;
        found = start;
        return true;
    });
    return found;
}

size_t FindMarkerBackward(std::string_view text, std::string_view marker, size_t limit, bool ignoreCase) {
    if (limit > text.size())
        limit = text.size();
    if (limit == 0)
        return kMarkerNotFound;
    if (marker.empty())
        return 0;
    if (marker.size() > limit)
        return kMarkerNotFound;
    CharacterSteps steps(text, 0);
    size_t found = kMarkerNotFound;
    ScanMatches(text, marker, 0, limit, ignoreCase, [&](size_t start) {
        if (steps.StepsOn(start))
            found = start;
        return false;
    });
    return found;
}

} // namespace sw
