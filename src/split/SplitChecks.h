#pragma once
// Checks of the split options, made before anything is changed: the OK check of the options
// windows, the conversion of the layout texts, and whether a key's text can name a sheet or file.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

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

// The column a key-column text names (a whole number 1..16384 or letters up to XFD); 0 when none.
int keyColumnIndex(std::string_view keyColumn);
// Empty when the key column names a column of the sheet; else the message saying it does not.
std::string keyColumnRangeMessage(std::string_view keyColumn);

// The layout texts as numbers.
struct SplitLayout {
    int keyColumn = 0;
    int titleRows = 0;
    int maxRows = 0;     // 0: found by the run
    int maxColumns = 0;  // 0: found by the run
    int footerRows = 0;
    bool footerFlag = false;  // 表底文字 is "是"
    bool keep = false;        // 是否保留 is "是"
};

// Converts the request's texts; on a text the run cannot use, returns the message instead.
std::optional<std::string> convertLayout(const SplitRequest& request, SplitLayout& out);

// What a key's text would name.
enum class NameUse { Sheet, File };
// Empty when the text can name a sheet (and, for File, a workbook file in the output folder).
std::string keyNameProblem(std::string_view text, NameUse use);

// The file name a workbook saved under the key's text gets: ".xlsx" appended unless it ends so.
std::string workbookFileName(std::string_view keyText);

// Texts compared the way sheet names are: regardless of letter case.
class NameSet {
public:
    // The id of an earlier text equal to this one; otherwise adds it under `id` and returns -1.
    int insert(std::string_view text, int id);
    int find(std::string_view text) const;  // the id, or -1

private:
    std::unordered_multimap<std::string, std::pair<std::string, int>> buckets_;
};

}  // namespace lorvane::split
