#pragma once
// Comma- or tab-separated text files, opened as workbooks of one sheet.
#include <memory>
#include <string>
#include <string_view>

#include "spreadsheet/BookData.h"

namespace lorvane::sheet {

// The text of a CSV file as UTF-8: UTF-8 with or without a byte-order mark, UTF-16 with one,
// and otherwise GB18030 (which GBK and GB2312 are part of), the encoding Chinese systems export.
std::string csvTextAsUtf8(std::string bytes);

// The field separator: a tab when the first record has more tabs than commas, else a comma.
char csvSeparator(std::string_view text);

// Reads `path` into a workbook whose one sheet is named after the file. Fields that read as
// plain numbers become numbers (quoted or not), except where that would lose digits (leading zeros, more than
// 15 significant digits: account and identity numbers stay text); everything else is text.
// Failures are AutomationErrors naming `displayName`.
std::unique_ptr<BookData> readCsvFile(const std::string& path, const std::string& displayName);

}  // namespace lorvane::sheet
