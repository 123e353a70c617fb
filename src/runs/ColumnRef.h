#pragma once
// A column as the user types it: a number (1-based) or one to three capital letters.
#include <string>
#include <string_view>

namespace lorvane::runs {

// The key-column check of the options windows: empty when the text passes, else the message
// naming the field as the window does ("依据列", "拆分依据列", "对比列", ...).
// Numbers pass (any number: range is the run's business); an empty text passes here.
std::string keyColumnMessage(std::string_view text, std::string_view fieldName);

// The column a text names: a whole number 1..16384 or capital letters up to XFD; 0 when none.
int columnIndex(std::string_view text);
// Empty when the text names a column of the sheet; else the message saying it does not.
std::string columnRangeMessage(std::string_view text, std::string_view fieldName);

}  // namespace lorvane::runs
