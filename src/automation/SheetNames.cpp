#include "automation/SheetNames.h"

#include <vector>

#include "base/NameFolding.h"
#include "base/Utf8.h"

namespace lorvane {

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

bool sheetNamesEqual(std::string_view a, std::string_view b) { return namesEqualIgnoringCase(a, b); }

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
