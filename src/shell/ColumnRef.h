#pragma once
// A column as the user types it: a number (1-based) or one to three capital letters.
#include <string>
#include <string_view>

namespace lorvane::shell {

// The key-column check of the options windows: empty when the text passes, else the message
// naming the field as the window does ("依据列", "拆分依据列", "对比列", ...).
// Numbers pass (any number: range is the run's business); an empty text passes here.
std::string keyColumnMessage(std::string_view text, std::string_view fieldName);

}  // namespace lorvane::shell
