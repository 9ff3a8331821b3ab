#include "toolslib/ip_check.h"

#include "toolslib/split_characters.h"

#include <array>
#include <vector>

namespace sw {
namespace {

// In the order they are replaced; GBK bytes for the full-width ones.
constexpr std::array<std::string_view, 11> kSeparators = {
    "\xA3\xBA", // "："
    "-",        "|", "_",
    "\xA1\xAA", // "—"
    "\xA3\xAC", // "，"
    ",",        "/", "#", "@", "&",
};

constexpr std::string_view kReportMarker = "  \xBC\xEC\xB2\xE9\xBD\xE1\xB9\xFB\xA3\xBA"; // "  检查结果："
constexpr std::int32_t kCheckAllTimeoutMs = 5000;

bool IsSeparator(std::string_view character) {
    for (std::string_view s : kSeparators)
        if (character == s)
            return true;
    return false;
}

// Parts between separators, whole characters only: empty parts count, a
// separator at the very end adds none, an empty text has none.
std::vector<std::string_view> SplitAt(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i < text.size();) {
        size_t size = CharacterSizeAt(text, i);
        if (text.substr(i, size) == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + size;
        }
        i += size;
    }
    if (start < text.size())
        parts.push_back(text.substr(start));
    return parts;
}

} // namespace

std::string ScreenIp(std::string_view entry) {
    // Every separator becomes ":" and ":" is none of them, so one pass over the
    // characters gives what replacing them one after another gives.
    std::string screened;
    screened.reserve(entry.size());
    for (size_t i = 0; i < entry.size();) {
        size_t size = CharacterSizeAt(entry, i);
        std::string_view character = entry.substr(i, size);
        if (IsSeparator(character))
            screened.push_back(':');
        else
            screened.append(character);
        i += size;
    }
    return screened;
}

std::int32_t CheckIp(std::string_view entry, std::int32_t timeoutMs, const EchoFunction& echo, std::string* screened) {
    std::string text = ScreenIp(entry);
    std::vector<std::string_view> fields = SplitAt(text, ":");
    std::int32_t result = 0;
    if (fields.size() == 1)
        result = echo(text, timeoutMs);
    else if (fields.size() >= 2 && fields.size() <= 4)
        result = echo(std::string(fields[0]) + ":" + std::string(fields[1]), timeoutMs);
    if (screened != nullptr)
        *screened = std::move(text);
    return result;
}

std::string CheckIpAll(std::string_view entries, const EchoFunction& echo) {
    std::string report;
    bool first = true;
    for (std::string_view entry : SplitAt(entries, "\r\n")) {
        std::string screened;
        std::int32_t result = CheckIp(entry, kCheckAllTimeoutMs, echo, &screened);
        if (!first)
            report += "\r\n";
        first = false;
        report += screened;
        report += kReportMarker;
        report += std::to_string(result);
    }
    return report;
}

} // namespace sw
