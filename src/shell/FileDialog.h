#pragma once
// The file dialog's filter and the output location chosen in a save dialog.
#include <string>

namespace lorvane::shell {

// The filter of the dialogs that save a workbook.
inline constexpr const char* kWorkbookFilter = "Excel (*.xls;*.xlsx)|*.xls;*.xlsx|";
// The filter of the dialogs that choose a workbook to read: OpenDocument spreadsheets and CSV
// text open as workbooks too.
inline constexpr const char* kOpenWorkbookFilter =
    "表格文件 (*.xlsx;*.xls;*.xlsm;*.ods;*.csv)|*.xlsx;*.xls;*.xlsm;*.ods;*.csv|Excel (*.xls;*.xlsx;*.xlsm)|*.xls;*.xlsx;*.xlsm|"
    "OpenDocument (*.ods)|*.ods|CSV (*.csv)|*.csv|";

// "Excel (*.xls;*.xlsx)|*.xls;*.xlsx|" -> "Excel (*.xls *.xlsx)": pairs of description and
// patterns separated by "|", patterns by ";", in the form of a Qt file dialog (";;" between
// filters). A last pair without its trailing "|" still counts; a description without
// patterns filters by itself.
std::string qtFileFilter(const std::string& filter);

// The folder part of a full path, up to and including its last separator ("/" or "\");
// empty when it has none.
std::string folderPart(const std::string& path);

}  // namespace lorvane::shell
