#pragma once
// What the extraction windows (and the command line) hand to an extraction run: the sheet, its
// title rows as typed, the ticked columns, how the columns are taken and where the result goes.
#include <string>
#include <vector>

namespace lorvane::extract {

// 只提取选中列中的数据 (values under the source's formats) or 通过删除未选中列 (a trimmed copy).
enum class ExtractMethod { Values, DeleteColumns };
// 提取到新建的工作薄 or 提取到本工作薄.
enum class ExtractTarget { NewWorkbook, SameWorkbook };

struct ExtractRequest {
    std::string sheetName;     // 工作表列表
    std::string titleRows;     // 标题行数, unconverted
    std::vector<int> columns;  // the ticked columns (1-based), in any order, repeats allowed
    ExtractMethod method = ExtractMethod::Values;
    ExtractTarget target = ExtractTarget::NewWorkbook;
    // The most columns the window's boxes can show (42 by title, 88 by letters); 0: no limit.
    int boxLimit = 0;
    // The new workbook's file; empty: beside the source as <base>提取表.xlsx.
    std::string outputPath;
};

}  // namespace lorvane::extract
