#include "toolslib/split_characters.h"

namespace sw {

size_t CharacterSizeAt(std::string_view text, size_t offset) {
    if (offset + 1 >= text.size())
        return 1;
    auto b = static_cast<unsigned char>(text[offset]);
    if (b >= 0x81 || (b == '\r' && text[offset + 1] == '\n'))
        return 2;
    return 1;
}

std::vector<std::string_view> SplitCharacters(std::string_view text) {
    std::vector<std::string_view> characters;
    for (size_t i = 0; i < text.size();) {
        size_t size = CharacterSizeAt(text, i);
        characters.push_back(text.substr(i, size));
        i += size;
    }
    return characters;
}

} // namespace sw
