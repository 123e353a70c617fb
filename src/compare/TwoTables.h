#pragma once
// What compare and fill share: the texts of the two tables as the windows and commands give
// them, their checks in the windows' order, and the measuring of both tables on their sheets.
// Every refusal is made here, before the first change.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runs/RunOutcome.h"

namespace lorvane {
class Workbook;
class Worksheet;
}  // namespace lorvane

namespace lorvane::compare {

// The texts of a two-table window, unconverted. Table two's sheet comes from workbook 1 when
// `sameWorkbook` is "是"; `mode` is 显示方式 (compare), the column lists are the fill's.
struct TwoTableTexts {
    std::string sameWorkbook;
    std::string book1, sheet1, titleRows1, key1, footer1, footerRows1;
    std::string book2, sheet2, titleRows2, key2, footer2, footerRows2;
    std::string mode, fillColumns, sourceColumns;
};

enum class TwoTableKind { Compare, Fill };

// The prompts the sheet boxes show until a sheet is picked.
inline constexpr const char* kComparePrompt = "请选择要对比的工作表名称";
inline constexpr const char* kFillPrompt1 = "请选择要填充的工作表名称";
inline constexpr const char* kFillPrompt2 = "请选择要调用的工作表名称";

// The items of 显示方式, in their order.
inline constexpr const char* kModeMark = "将对比结果存放在“表格一”中最后一列里";
inline constexpr const char* kModeNotFound = "提取对比结果为“不存在”的数据到新建工作表中";
inline constexpr const char* kModeFound = "提取对比结果为“存在”的数据到新建工作表中";
inline constexpr const char* kModeBoth = "将“存在”和“不存在”都提取到新建工作表中";

// The result sheets of the extract modes.
inline constexpr const char* kNotFoundSheet = "对比结果“不存在”数据";
inline constexpr const char* kFoundSheet = "对比结果“存在”数据";
// The fill's result sheet is table one's name followed by this.
inline constexpr const char* kFillSuffix = "（填充结果）";

enum class CompareMode { Mark, NotFound, Found, Both };
// Exact item texts; any other text is the both-sheets mode.
CompareMode compareModeOf(std::string_view text);

// The list check of 填充列号 / 调用列号 as the window makes it on leaving the box: one message
// for every wrong entry (none for empty entries); nothing when the list passes.
// `field` is "填充列号" or "调用列号".
std::vector<std::string> columnListMessages(std::string_view text, std::string_view field);

// The columns of a list that passed: a numeric list ("3,5,6") gives numbers, else letters.
// On an entry the run cannot use (empty, 0, a fraction, past XFD), the message instead.
// `where` names the table and field in the message ("【填充表格】中的【填充列号】").
std::optional<std::string> parseColumnList(std::string_view text, std::string_view where, std::vector<int>& out);

// The checks of the OK button on the texts alone, in the window's order, with the entries the
// run cannot use refused besides (key columns outside the sheet, counts that are no whole
// number of 0 or more, unusable column lists). The first failure, or nothing.
std::optional<std::string> checkTexts(const TwoTableTexts& texts, TwoTableKind kind);

// One table measured on its sheet. The last data row is the last key row (searched up from the
// sheet's last row) but never inside the footer rows counted up from the used range's last row.
struct KeyTable {
    Worksheet* sheet = nullptr;
    int titleRows = 0;
    int keyColumn = 0;
    bool footer = false;  // 表底文字 "是" with a footer row count above 0
    int footerRows = 0;   // 0 unless `footer`
    int usedRows = 0;     // last row of the used range (a sheet row)
    int lastKeyRow = 0;
    int lastDataRow = 0;
    int firstDataRow() const { return titleRows + 1; }
    int dataRows() const { return lastDataRow >= firstDataRow() ? lastDataRow - titleRows : 0; }
};

// Both tables, ready for a run.
struct TwoTablePlan {
    TwoTableKind kind = TwoTableKind::Compare;
    Workbook* book1 = nullptr;
    Workbook* book2 = nullptr;  // the other workbook, to close after the run; nullptr when one
    KeyTable one, two;
    int lastColumn = 0;  // table one's widest title row (rows 1-10 without titles), from XFD
    CompareMode mode = CompareMode::Mark;
    std::vector<int> fillColumns, sourceColumns;  // the fill's, as many of each
    std::string resultName;                       // the fill's result sheet
};

// The texts checked, the workbooks and sheets found, both tables measured, the result sheet
// names checked against the sheets the run reads. `book1`/`book2` are the open workbooks (either
// may be nullptr; the same workbook twice is one). Never throws. The message of the first
// refusal, or nothing with `plan` filled.
std::optional<std::string> planTwoTables(const TwoTableTexts& texts, TwoTableKind kind, Workbook* book1, Workbook* book2,
                                         TwoTablePlan& plan);

// The last row of `column` holding something, searched up from the sheet's last row; 0 when
// the column is empty.
int lastRowInColumn(Worksheet& ws, int column);

// The end of a run that succeeded: workbook 2 closed without saving (the runs only read it),
// unless it is workbook 1 itself. Failures here are ignored.
void closeSecondWorkbook(const TwoTablePlan& plan);

}  // namespace lorvane::compare
