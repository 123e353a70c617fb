#pragma once
// Reading and writing UTF-8 one code point at a time.
#include <cstddef>
#include <string>
#include <string_view>

namespace lorvane {

// Decodes one UTF-8 sequence at i (advancing i); malformed bytes come out as themselves.
char32_t nextCodePoint(std::string_view utf8, std::size_t& i);

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of a code point.
void appendUtf8(std::string& out, char32_t cp);

}  // namespace lorvane
