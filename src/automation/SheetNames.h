#pragma once
// The rules sheet names follow: at most 31 characters, none of : \ / ? * [ ], no leading or
// trailing apostrophe, not empty, unique regardless of letter case.
#include <string>
#include <string_view>

namespace lorvane {

constexpr int kMaxSheetNameChars = 31;

// Characters of a UTF-8 text (code points).
int charCount(std::string_view utf8);
// The first n characters of a UTF-8 text.
std::string truncateToChars(std::string_view utf8, int n);
// Equal ignoring letter case, by the one rule of base/NameFolding.h.
bool sheetNamesEqual(std::string_view a, std::string_view b);
// Empty when the name is allowed by itself; otherwise what is wrong with it, in Chinese.
std::string sheetNameProblem(std::string_view name);

}  // namespace lorvane
