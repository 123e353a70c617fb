#pragma once
// Summarize the information of many workbooks: the data rows of the same sheet position of
// every workbook of a folder, in the order the folder lists them, into a new workbook whose one
// sheet is "汇总表", with the titles, formats and (when asked) footer of the first workbook with
// data.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runs/RunOutcome.h"
#include "runs/RunProgress.h"
#include "runs/TableLayout.h"
#include "summarize/SummarizeRequest.h"

namespace lorvane {
class Application;
class Workbook;
namespace runs {
class UiService;
}
}  // namespace lorvane

namespace lorvane::summarize {

struct SummarizeBooksSettings {
    runs::TableLayout layout;  // footer rows 0 and keep off unless the footer is "是"
    int sheetNumber = 0;
};

// The checks made before anything is read: the layout texts and the sheet number (empty, not a
// whole number, 0, or beyond `sheetsOfChosen`, the chosen workbook's sheet count, when known).
std::optional<std::string> checkSummarizeBooks(const SummarizeBooksRequest& request, int sheetsOfChosen,
                                               SummarizeBooksSettings& out);

// The work alone over `files`: each opened, measured and closed as soon as it is read (the
// first one with data stays open until its formats and footer are taken). `result` is the new
// workbook, unsaved, in `app`. A file that cannot be read, or has fewer sheets, ends the run with
// a message naming it, every workbook it opened closed and nothing written. `progress` names
// each file as it is read; a stop asked for there ends the run the same way (Cancelled).
runs::RunOutcome summarizeBooks(const SummarizeBooksRequest& request, Application& app,
                                const std::vector<std::string>& files, Workbook*& result,
                                runs::RunProgress* progress = nullptr);

// The whole operation from the window: the folder of `chosenPath` listed, the running notice,
// the work, the report, the save dialog and SaveAs, and the question whether to open the result
// (`openResult` opens the saved file). Returns with `outcome.made` the saved path.
runs::RunOutcome runSummarizeBooks(const SummarizeBooksRequest& request, Application& app, const std::string& chosenPath,
                                   runs::UiService& ui, const std::function<void(const std::string&)>& openResult);

}  // namespace lorvane::summarize
