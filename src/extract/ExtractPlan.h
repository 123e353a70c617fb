#pragma once
// The checks of an extraction, all made before anything is changed, and the names of its
// results: the sheet <sheet>提取表 and the workbook <base>提取表.xlsx.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "extract/ExtractRequest.h"

namespace lorvane {
class Workbook;
class Worksheet;
}  // namespace lorvane

namespace lorvane::extract {

// The texts the options window shows until a sheet is chosen, and the label forms.
inline constexpr const char* kSheetListPrompt = "请选择要提取的工作表";
inline constexpr const char* kNameForm = "列标题名称";
inline constexpr const char* kResultSuffix = "提取表";
// The boxes of the two label forms.
inline constexpr int kNameBoxes = 42, kNumberBoxes = 88;

// The messages of the title-row and column-count checks, as the options window shows them.
inline constexpr const char* kTitleRowsEmpty = "标题行数不能为空,如果没有标题,请输入“0”!";
inline constexpr const char* kTitleRowsNotNumber = "您输入的标题行数不是数字，请重新输入！没有标题行数请输入“0”";
inline constexpr const char* kNameFormLimit =
    "“需要提取列的列标形式”选项中的“列标题名称”最大支持42列，您所选的工作表总列数超过42列，请换成“列标题序号”！";
inline constexpr const char* kNumberFormLimit = "提取最大支持88列，您所选的工作表已超过88列，请删除部分不重要的列后再试！";

// The counts of a sheet: the last column and the last row of its used range (positions, so a
// table starting at B2 keeps its last column and row).
struct SheetExtent {
    int lastColumn = 0, lastRow = 0;
};
SheetExtent extentOf(Worksheet& ws);

struct ExtractPlan {
    Worksheet* sheet = nullptr;
    int titleRows = 0;
    int lastColumn = 0;        // C: columns 1..C are considered
    int lastRow = 0;           // R: rows 1..R are taken
    std::vector<int> columns;  // ticked, ascending, no repeats
    std::string resultName;    // <sheet>提取表
    std::string outputPath;    // new workbook only: the file written (with .xlsx)
};

// The title-row text as a count: empty, non-numeric, negative and fractional texts are refused
// with their message.
std::optional<std::string> titleRowsFrom(std::string_view text, int& out);

// The file the new workbook is written to when none is given: <folder of the source>/<base>提取表.xlsx,
// base being the source's file name up to its last "."; empty when the source has no folder.
std::string resultFileBeside(const Workbook& source);

// Every check of the request against the workbook, in order: the sheet exists, the title rows,
// the box limit, the ticked columns, a row below the titles, the result sheet's name and, for
// a new workbook, its file. Never throws. The message of the first refusal, or nothing with
// `plan` filled.
std::optional<std::string> planExtract(const ExtractRequest& request, Workbook& source, ExtractPlan& plan);

// Deletes from `ws` every column of 1..lastColumn that is not in `kept` (ascending), from the
// right so that the columns still to be tested keep their numbers; neighbouring columns go in
// one deletion.
void deleteOtherColumns(Worksheet& ws, int lastColumn, const std::vector<int>& kept);

// "B,C,F" or "2,3,6" as column numbers, in the order given; on a part that names no column,
// the message.
std::optional<std::string> parseColumnList(std::string_view text, std::vector<int>& out);

}  // namespace lorvane::extract
