#include "toolslib/column_letters.h"

#include <algorithm>

namespace sw {

std::string ColumnLetters(std::int32_t column) {
    std::string letters;
    // Bijective base 26: there is no zero digit, so each step takes one off.
    for (std::int64_t n = column; n > 0; n = (n - 1) / 26)
        letters.push_back(static_cast<char>('A' + (n - 1) % 26));
    std::reverse(letters.begin(), letters.end());
    return letters;
}

} // namespace sw
