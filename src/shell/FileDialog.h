#pragma once
// The file dialog's filter and the output location chosen in a save dialog.
#include <string>

namespace lorvane::shell {

// The filter every workbook dialog uses.
inline constexpr const char* kWorkbookFilter = "Excel (*.xls;*.xlsx)|*.xls;*.xlsx|";

// "Excel (*.xls;*.xlsx)|*.xls;*.xlsx|" -> "Excel (*.xls *.xlsx)": pairs of description and
// patterns separated by "|", patterns by ";", in the form of a Qt file dialog (";;" between
// filters). A last pair without its trailing "|" still counts; a description without
// patterns filters by itself.
std::string qtFileFilter(const std::string& filter);

// The folder part of a full path, up to and including its last separator ("/" or "\");
// empty when it has none.
std::string folderPart(const std::string& path);

}  // namespace lorvane::shell
