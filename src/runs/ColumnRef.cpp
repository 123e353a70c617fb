#include "runs/ColumnRef.h"

#include <cmath>

#include "automation/Conversions.h"
#include "automation/SheetNames.h"
#include "base/CellAddress.h"

namespace lorvane::runs {

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

int columnIndex(std::string_view text) {
    if (convert::isNumeric(text)) {
        double v = convert::leadingValue(text);
        if (v != std::floor(v) || v < 1 || v > kMaxColumns) return 0;
        return static_cast<int>(v);
    }
    for (char c : text)
        if (c < 'A' || c > 'Z') return 0;
    return columnNumber(text);
}

std::string columnRangeMessage(std::string_view text, std::string_view fieldName) {
    if (columnIndex(text) != 0) return {};
    return "您输入的【" + std::string(fieldName) + "】“" + std::string(text) +
           "”不是工作表中的列：请输入1到16384之间的整数列号，或A到XFD之间的列字母！";
}

}  // namespace lorvane::runs
