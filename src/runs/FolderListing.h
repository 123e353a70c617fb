#pragma once
// The workbooks of a folder, as the folder operations go through them.
#include <string>
#include <string_view>
#include <vector>

namespace lorvane::runs {

// Whether a file name matches a pattern of `*` (any run) and `?` (one character), ignoring the
// letter case of ASCII letters: "*.xls*" matches "表.XLSX" and "a.xlsm".
bool fileNameMatches(std::string_view name, std::string_view pattern);

// The workbooks a folder operation reads: Excel files, OpenDocument spreadsheets and CSV text.
inline constexpr std::string_view kWorkbookPatterns = "*.xls*;*.ods;*.csv";

// The regular files of `folder` whose names match `pattern` (several separated by ';'), as full paths in the order the
// file system lists them. Lock files of spreadsheet programs ("~$名单.xlsx", ".~lock…#") and
// hidden files are left out. Throws AutomationError when the folder cannot be read.
std::vector<std::string> listFolder(const std::string& folder, std::string_view pattern = kWorkbookPatterns);

}  // namespace lorvane::runs
