#pragma once
// The one rule for names that compare regardless of letter case: sheet names, defined names and
// the sheet names inside formula references. Letters of ASCII, Latin-1, Latin Extended-A, Greek,
// Cyrillic and the full-width forms fold to lower case; everything else stands for itself.
#include <string>
#include <string_view>

namespace lorvane {

// The folded form of a name: equal for exactly the names namesEqualIgnoringCase() calls equal,
// so it can key a map.
std::string foldName(std::string_view name);

bool namesEqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace lorvane
