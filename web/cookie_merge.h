#pragma once

#include <string>
#include <string_view>

namespace sw {

// Folds the cookies a request sent into those its response set: a received
// cookie replaces a sent one of the same name, 'name=deleted' removes the name,
// exact duplicates go. Spaces are removed first. sent receives the result too.
std::string MergeCookies(std::string& sent, std::string& received);

// text split at separator, without the items that equal an earlier item.
std::string RemoveDuplicateItems(std::string_view text, std::string_view separator);

} // namespace sw
