#pragma once
// Summarize the sheets of one workbook: the data rows of every other worksheet, in sheet order,
// into one summary sheet of the same workbook, with the titles and formats of the first sheet
// that has data and, when asked, its footer below the rows.
#include <optional>
#include <string>
#include <vector>

#include "automation/Variant.h"
#include "runs/RunOutcome.h"
#include "runs/RunProgress.h"
#include "runs/TableLayout.h"
#include "summarize/SummarizeRequest.h"

namespace lorvane {
class Application;
class Workbook;
class Worksheet;
namespace runs {
class UiService;
}
}  // namespace lorvane

namespace lorvane::summarize {

// One worksheet with data as the plan measured it.
struct DataSheet {
    Worksheet* sheet = nullptr;
    int firstRow = 0;  // 1 for the first data sheet (titles included), title rows + 1 after it
    int lastRow = 0;
    int columns = 0;   // the width of the collected table when this sheet was reached
};

struct SummarizeSheetsPlan {
    runs::TableLayout layout;  // footer rows 0 and keep off unless the footer is "是"
    std::string summaryName;
    bool replace = false;             // 是否存在 is "是"
    Worksheet* oldSummary = nullptr;  // the sheet replaced
    std::vector<DataSheet> sheets;
    int firstUsedRows = 0;  // last used row of the first data sheet
    int rows = 0;           // rows collected, the first data sheet's titles included
    int columns = 1;        // the widest table met
};

// Everything that can be checked before a change: the layout texts, the summary sheet's name
// (empty, not a sheet name, taken when a new sheet is asked for, missing or the only worksheet
// when it is to be replaced), sheets with data at all, a result within the sheet's rows.
// Measures every worksheet. Never throws; returns the message of the first refusal.
std::optional<std::string> planSummarizeSheets(const SummarizeSheetsRequest& request, Workbook& book,
                                               SummarizeSheetsPlan& plan);

// The work alone: the old summary sheet replaced or a new one added, the rows written with the
// first data sheet's formats, footer, alignment and wrap, A1 selected. No save, no messages.
// Refusals change nothing; a failure part-way restores alerts and screen updating and says in
// `message` what failed. `planned`: the plan a window has just made for this workbook, so the
// sheets are not measured twice. `progress` names each sheet as its rows are read; a stop asked
// for there changes nothing (Cancelled).
runs::RunOutcome summarizeSheets(const SummarizeSheetsRequest& request, Application& app, Workbook& book,
                                 const SummarizeSheetsPlan* planned = nullptr, runs::RunProgress* progress = nullptr);

// The whole operation from the window: the running notice, the work, saving in place, the timer
// report "汇总完成，运行总时间：n秒！" or the message of a refusal or failure, then the exit countdown.
runs::RunOutcome runSummarizeSheets(const SummarizeSheetsRequest& request, Application& app, Workbook& book,
                                    runs::UiService& ui, const SummarizeSheetsPlan* planned = nullptr);

}  // namespace lorvane::summarize
