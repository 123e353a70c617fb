#pragma once
// What the split windows (and the command line) hand to a split run: the texts of their
// controls, unconverted. The run converts them with convert::leadingValue.
#include <string>

namespace lorvane::split {

struct SplitRequest {
    std::string sheetName;   // 工作表名 of the confirmation window: the master sheet
    std::string keyColumn;   // 依据列: a column number or one to three capital letters
    std::string titleRows;   // 标题行数
    std::string maxRows;     // 最大行数: empty or 0 = found by the run; counts the footer rows
    std::string maxColumns;  // 最大列数: empty or 0 = found by the run
    std::string footerFlag;  // 表底文字: only "是" counts
    std::string footerRows;  // 表底文字行数
    std::string keep;        // 是否保留: only "是" counts
};

}  // namespace lorvane::split
