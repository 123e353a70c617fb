#pragma once
// Reading and writing workbook files. Everything else sees only BookData.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/AutomationError.h"

#include "spreadsheet/BookData.h"

namespace lorvane::sheet {

// Ods and Csv are read only: a workbook from such a file is written as .xlsx.
enum class FileFormat { Xlsx, Xlsm, Xls, Ods, Csv };

// The format a path names by its extension (".xlsx" when it has none we know).
FileFormat formatForPath(const std::string& path);

// When the worksheets of a workbook are parsed: all while reading, or each when something first
// looks at it (a workbook read as the input of a run, which uses one or two of its sheets).
enum class SheetParsing { AllNow, OnFirstUse };

// Reads a workbook; failures are AutomationErrors with a Chinese description.
std::unique_ptr<BookData> readWorkbookFile(const std::string& path, SheetParsing parsing = SheetParsing::AllNow);

// Parses a sheet left for first use (nothing to do for others). Reading is no change of the
// workbook, so this takes it as it is; a damaged part gives an AutomationError naming the file.
void ensureSheetParsed(const BookData& book, const SheetData& sheet);
void ensureAllSheetsParsed(const BookData& book);

// Writes a workbook safely: a temporary file beside the target, renamed over it when complete.
void writeWorkbookFile(const BookData& book, const std::string& path, FileFormat format);

// Builds the package now and leaves putting it on disk (temporary file, flush, rename) to a
// helper thread, so that the caller goes on meanwhile; a few packages wait at most. What can be
// checked before writing (the folder, a read-only target) fails here; the rest is collected for
// takeBackgroundSaveFailures(). .xls files are saved at once.
void saveWorkbookFileInBackground(const BookData& book, const std::string& path, FileFormat format);
// Waits until every file handed over is on disk (or failed).
void waitForBackgroundSaves();
struct SaveFailure {
    std::string path, message;
};
// Waits as above and returns the saves that failed since the last call.
std::vector<SaveFailure> takeBackgroundSaveFailures();

// Reads several workbooks; legacy .xls files among them are converted in one LibreOffice start.
// Each result holds the workbook or the error that file gave.
struct WorkbookReadResult {
    std::unique_ptr<BookData> book;
    std::optional<AutomationError> error;
};
std::vector<WorkbookReadResult> readWorkbookFiles(const std::vector<std::string>& paths,
                                                 SheetParsing parsing = SheetParsing::AllNow);

// False for a chartsheet (or dialog/macro sheet) kept from the file: it has no cells of its own.
bool isWorksheet(const SheetData& sheet);

// What a copy of `source` (from workbook `from`, going into workbook `to`) keeps of the parts
// the engine does not model: a copy of them, or nothing; never a second pointer to the same part.
std::shared_ptr<SheetPackage> copiedSheetPackage(const SheetData& source, const BookData& from, BookData& to);

}  // namespace lorvane::sheet
