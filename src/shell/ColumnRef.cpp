#include "shell/ColumnRef.h"

#include "automation/Conversions.h"
#include "automation/SheetNames.h"

namespace lorvane::shell {

std::string keyColumnMessage(std::string_view text, std::string_view fieldName) {
    if (convert::isNumeric(std::string(text))) return {};
    int length = charCount(text);
    std::string field(fieldName);
    if (length > 3) return "您输入的【" + field + "】错误，请重新输入！";
    bool capitals = true;
    for (char c : text)
        if (c < 'A' || c > 'Z') capitals = false;  // bytes of a Chinese character fail too
    if (length == 1 && !capitals) return "您输入的【" + field + "】不是数字或大字字母，请重新输入！";
    if (length >= 2 && !capitals) return "您输入的【" + field + "】不是数字或大字字母或输入有误，请重新输入！";
    return {};
}

}  // namespace lorvane::shell
