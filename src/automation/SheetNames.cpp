#include "automation/SheetNames.h"

#include <vector>

namespace lorvane {

namespace {

// Decodes one UTF-8 sequence at i (advancing i); malformed bytes come out as themselves.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    auto b = static_cast<unsigned char>(s[i]);
    int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
    if (i + len > s.size()) len = 1;
    char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += len;
    return cp;
}

char32_t foldCase(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;     // Latin-1 capitals
    if (c >= 0x391 && c <= 0x3A9) return c + 32;                  // Greek
    if (c >= 0x410 && c <= 0x42F) return c + 32;                  // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;                // full-width Latin
    return c;
}

}  // namespace

int charCount(std::string_view utf8) {
    int n = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        nextCodePoint(utf8, i);
        ++n;
    }
    return n;
}

std::string truncateToChars(std::string_view utf8, int n) {
    std::size_t i = 0;
    for (int k = 0; k < n && i < utf8.size(); ++k) nextCodePoint(utf8, i);
    return std::string(utf8.substr(0, i));
}

bool sheetNamesEqual(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
        if (foldCase(nextCodePoint(a, i)) != foldCase(nextCodePoint(b, j))) return false;
    return i == a.size() && j == b.size();
}

std::string sheetNameProblem(std::string_view name) {
    if (name.empty()) return "工作表名称不能为空。";
    if (charCount(name) > kMaxSheetNameChars) return "工作表名称不能超过31个字符。";
    for (char c : name)
        if (c == ':' || c == '\\' || c == '/' || c == '?' || c == '*' || c == '[' || c == ']')
            return "工作表名称不能包含下列字符： : \\ / ? * [ ]";
    if (name.front() == '\'' || name.back() == '\'') return "工作表名称不能以单引号开头或结尾。";
    return {};
}

}  // namespace lorvane
