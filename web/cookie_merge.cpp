#include "web/cookie_merge.h"

#include "text/marker_search.h"

#include <string_view>
#include <unordered_set>
#include <vector>

namespace sw {
namespace {

// Spaces are the blank and the ideographic space A1 A1 (whole characters only).
std::string WithoutSpaces(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        auto b = static_cast<unsigned char>(text[i]);
        size_t width = b >= 0x80 && i + 1 < text.size() ? 2 : 1;
        bool space = width == 1 ? b == ' ' : (b == 0xA1 && static_cast<unsigned char>(text[i + 1]) == 0xA1);
        if (!space)
            out.append(text, i, width);
        i += width;
    }
    return out;
}

// Items between separators: no items for an empty text, no empty last item
// after a final separator, empty items for a leading or doubled separator.
std::vector<std::string_view> SplitItems(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> items;
    size_t from = 0;
    while (from < text.size()) {
        size_t hit = FindMarkerForward(text, separator, from, false);
        if (hit == kMarkerNotFound) {
            items.push_back(text.substr(from));
            break;
        }
        items.push_back(text.substr(from, hit - from));
        from = hit + separator.size();
    }
    return items;
}

std::string_view CookieName(std::string_view item) {
    return item.substr(0, item.find('='));
}

bool IsDeleted(std::string_view item) {
    constexpr std::string_view kDeleted = "=deleted";
    return item.size() >= kDeleted.size() && item.substr(item.size() - kDeleted.size()) == kDeleted;
}

} // namespace

std::string RemoveDuplicateItems(std::string_view text, std::string_view separator) {
    if (separator.empty())
        return std::string(text);
    std::unordered_set<std::string_view> kept;
    std::string out;
    out.reserve(text.size());
    for (std::string_view item : SplitItems(text, separator)) {
        if (kept.insert(item).second) {
            out.append(item);
            out.append(separator);
        }
    }
    out.resize(out.size() >= separator.size() ? out.size() - separator.size() : 0);
    return out;
}

std::string MergeCookies(std::string& sent, std::string& received) {
    sent = WithoutSpaces(sent);
    received = WithoutSpaces(received);

    // A received cookie wins over a sent one of the same name.
    std::vector<std::string_view> merged = SplitItems(received, ";");
    std::unordered_set<std::string_view> names;
    for (std::string_view item : merged)
        names.insert(CookieName(item));
    for (std::string_view item : SplitItems(sent, ";")) {
        if (names.insert(CookieName(item)).second)
            merged.push_back(item);
    }

    std::string joined;
    for (std::string_view item : merged) {
        if (!IsDeleted(item)) {
            joined.append(item);
            joined.append("; ");
        }
    }
    if (!joined.empty())
        joined.resize(joined.size() - 2);

    std::string result = RemoveDuplicateItems(joined, "; ");
    sent = result;
    return result;
}

} // namespace sw
