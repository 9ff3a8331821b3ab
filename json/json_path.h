#pragma once

// Path expressions of the document: member names joined by ".", each followed
// by any number of "[n]" subscripts, e.g. mods.shoplist.data.shopItems[3].nick.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sw::json {

struct PathStep {
    std::string_view name;   // the member name; for a subscript its decimal text
    std::int64_t index = -1; // the subscript; -1 for a member name
    bool subscript = false;
};

enum class PathJoining {
    Dot,          // the path must begin with a member name
    BracketAware, // the path may also begin with subscripts that apply to the root
};

// The steps of a UTF-8 path, replacing the contents of steps; their names
// point into path. An empty path
// gives no steps; whether that means the root is the caller's rule. False for
// a path that does not read: a name that is not an identifier (letters, digits,
// "_", "$" and non-ASCII characters, not beginning with a digit), a subscript
// that is not a decimal number of at most 15 significant digits, white space,
// a stray "." or "[", or a leading "[" under dot joining.
bool ParsePath(std::string_view path, PathJoining joining, std::vector<PathStep>& steps);

// A subscript step, as the element operations add to their target; its name
// points into storage.
PathStep SubscriptStep(std::int64_t index, std::string& storage);

} // namespace sw::json
