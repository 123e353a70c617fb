#pragma once
// What the split windows (and the command line) hand to a split run: the master sheet's name
// and the table layout's texts, unconverted.
#include <string>

#include "runs/TableLayout.h"

namespace lorvane::split {

struct SplitRequest : runs::TableLayoutTexts {
    std::string sheetName;  // 工作表名 of the confirmation window: the master sheet
};

}  // namespace lorvane::split
