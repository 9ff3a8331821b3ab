#pragma once

#include <string_view>
#include <vector>

namespace sw {

// The characters of a GBK text in order: a byte of 0x81 or above that is not the
// last byte forms a two-byte character with the next one, CR LF is one element,
// every other byte is one element.
std::vector<std::string_view> SplitCharacters(std::string_view text);

// The size of the element that starts at offset, by the same rule.
size_t CharacterSizeAt(std::string_view text, size_t offset);

} // namespace sw
