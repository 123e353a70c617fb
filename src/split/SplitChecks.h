#pragma once
// Checks of the split options, made before anything is changed: the OK check of the options
// windows, the conversion of the layout texts, and whether a key's text can name a sheet or file.
#include <optional>
#include <string>
#include <string_view>

#include "split/SplitRequest.h"

namespace lorvane::split {

// The text 工作表列表 shows until a sheet is chosen.
inline constexpr const char* kSheetListPrompt = "请选择总表名称";

struct OptionsProblem {
    std::string text;
    std::string title;            // the program's title unless the message has its own
    bool focusTitleRows = false;  // the window puts the focus back into 标题行数
};

// The OK check of the split options windows, in its order; the first failure, or nothing.
std::optional<OptionsProblem> checkSplitOptions(std::string_view sheetListText, std::string_view keyColumn,
                                                std::string_view titleRows);

// The key column's field in messages.
inline constexpr const char* kKeyField = "拆分依据列";

// What a key's text would name.
enum class NameUse { Sheet, File };
// Empty when the text can name a sheet (and, for File, a workbook file in the output folder).
std::string keyNameProblem(std::string_view text, NameUse use);

// The file name a workbook saved under the key's text gets: ".xlsx" appended unless it ends so.
std::string workbookFileName(std::string_view keyText);

}  // namespace lorvane::split
