#include "json/json_path.h"

#include <algorithm>

namespace sw::json {

namespace {

bool IsNameStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || c >= 0x80;
}

bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// Reads "[digits]" at pos; the digits are the decimal text the member lookup of
// an object uses, so leading zeros go.
bool ReadSubscript(std::string_view path, size_t& pos, std::vector<PathStep>& steps) {
    size_t p = pos + 1;
    size_t first = p;
    while (p < path.size() && IsDigit(static_cast<unsigned char>(path[p])))
        ++p;
    if (p == first || p == path.size() || path[p] != ']')
        return false;
    std::string_view digits = path.substr(first, p - first);
    size_t nonZero = digits.find_first_not_of('0');
    digits = nonZero == std::string_view::npos ? std::string_view("0") : digits.substr(nonZero);
    if (digits.size() > 15)
        return false;
    std::int64_t value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    steps.push_back({digits, value, true});
    pos = p + 1;
    return true;
}

} // namespace

bool ParsePath(std::string_view path, PathJoining joining, std::vector<PathStep>& steps) {
    steps.clear();
    if (path.empty())
        return true;
    steps.reserve(
        static_cast<size_t>(std::count_if(path.begin(), path.end(), [](char c) { return c == '.' || c == '['; })) + 1);
    size_t pos = 0;
    bool nameNeeded = !(joining == PathJoining::BracketAware && path[0] == '[');
    while (true) {
        if (nameNeeded) {
            if (pos == path.size() || !IsNameStart(static_cast<unsigned char>(path[pos])))
                return false;
            size_t first = pos;
            while (pos < path.size() && (IsNameStart(static_cast<unsigned char>(path[pos])) ||
                                         IsDigit(static_cast<unsigned char>(path[pos]))))
                ++pos;
            steps.push_back({path.substr(first, pos - first), -1, false});
        }
        while (pos < path.size() && path[pos] == '[') {
            if (!ReadSubscript(path, pos, steps))
                return false;
        }
        if (pos == path.size())
            return true;
        if (path[pos] != '.')
            return false;
        ++pos;
        nameNeeded = true;
    }
}

PathStep SubscriptStep(std::int64_t index, std::string& storage) {
    storage = std::to_string(index);
    return {storage, index, true};
}

} // namespace sw::json
