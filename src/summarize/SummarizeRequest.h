#pragma once
// What the summarize windows (and the command line) hand to a summarize run: the texts of
// their controls, unconverted.
#include <string>

#include "runs/TableLayout.h"

namespace lorvane::summarize {

// The sheets of one workbook collected into one summary sheet of the same workbook.
struct SummarizeSheetsRequest : runs::TableLayoutTexts {
    std::string summaryName;  // 汇总表名
    std::string exists;       // 是否存在: "是" replaces a sheet of that name, anything else adds a new one
};

// One sheet position over every workbook of a folder collected into a new workbook.
struct SummarizeBooksRequest : runs::TableLayoutTexts {
    std::string sheetNumber;  // 工作表号: which sheet of each workbook, counted from 1
};

}  // namespace lorvane::summarize
