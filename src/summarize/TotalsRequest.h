#pragma once
// What the totals window (and the command line) hand to the totals run: first the texts of the
// controls, then, once checked, the request in numbers and column indexes.
#include <string>
#include <vector>

namespace lorvane::summarize {

// The texts of 选择要合计的工作表 as 确定 reads them, unconverted.
struct TotalsTexts {
    std::string sheetNumber;  // 工作表号
    std::string sheetName;    // 工作表名: names the result sheet
    std::string titleRows;    // 标题行数
    std::string totalType;    // 合计类型: "单元格区域", "指定某一列" or "指定单元格"
    std::string position1;    // 位置1: start column, the one column, or the list of cells
    std::string position2;    // 位置2: end column (单元格区域 only)
    std::string footer;       // 表底文字: only "是" counts
    std::string footerRows;   // 表底文字行数
    std::string maxRows;      // 最大行数: counts the footer rows; empty or 0 = found by the run
};

enum class TotalKind {
    Range,   // 单元格区域: columns startColumn .. startColumn + columnCount - 1
    Column,  // 指定某一列: one column
    Cells,   // 指定单元格: the listed cells
};

// One given cell: its reference as typed (without blanks) and where it is.
struct TotalCell {
    std::string reference;
    int row = 0, column = 0;
};

// The checked request. `dataRows` is 0 until the table has been measured on the chosen
// workbook's sheet (measureTotals); the run refuses a request without data rows.
struct TotalsRequest {
    int sheetNumber = 0;     // the sheet position read in every workbook, from 1
    std::string sheetName;   // the chosen workbook's name for it, as shown (and maybe edited)
    std::string resultName;  // sheetName + "(汇总表)"
    int titleRows = 0;
    TotalKind kind = TotalKind::Range;
    int startColumn = 0;     // column kinds
    int columnCount = 0;     // 单元格区域: end - start + 1; 指定某一列: 1; 指定单元格: 0
    std::vector<TotalCell> cells;  // 指定单元格, in entry order
    int footerRows = 0;      // 0 unless 表底文字 is "是"
    int maxRows = 0;         // 0: the last row is found by scanning
    int dataRows = 0;        // rows totalled (指定单元格: the number of cells)

    // Columns of the totals table: 1 for the given cells.
    int columns() const { return kind == TotalKind::Cells ? 1 : columnCount; }
};

}  // namespace lorvane::summarize
