#pragma once
// Total the values of many workbooks: the same cells (a block of columns, one column, or a
// list of single cells) of the same sheet position in every workbook of a folder added up, into
// a new workbook whose one sheet is a copy of that sheet of the first listed workbook, named
// after the chosen sheet + "(汇总表)", with the totals in place of the region.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/Variant.h"
#include "runs/RunOutcome.h"
#include "runs/RunProgress.h"
#include "summarize/TotalsRequest.h"

namespace lorvane {
class Application;
class Workbook;
class Worksheet;
namespace runs {
class UiService;
}
}  // namespace lorvane

namespace lorvane::summarize {

// A refusal of the totals window's entries: what the user is told and the control to correct.
struct TotalsRefusal {
    std::string message;
    std::string focus;  // objectName of the control at fault, empty when none
};

// The check made on leaving 位置1 or 位置2 in the column kinds: empty when the text passes
// (numbers, one to three letters of either case, empty); else the message. `end` names the
// field 结束列号 instead of 开始列号.
std::string columnEntryMessage(std::string_view text, bool end);

// The list of given cells: blanks removed, full-width commas read as commas, split at commas.
// Every piece must be one cell in A1 form ("D3", "$D$3"). Returns the message naming the first
// wrong piece ("第{2}个"), or nothing with `out` filled.
std::optional<std::string> parseCellList(std::string_view text, std::vector<TotalCell>& out);

// Every check of 确定 that needs no sheet, in the window's order, into `out` (dataRows left 0).
// `sheetsOfChosen` is the chosen workbook's sheet count.
std::optional<TotalsRefusal> checkTotals(const TotalsTexts& texts, int sheetsOfChosen, TotalsRequest& out);

// Measures the table on `chosen` (the chosen workbook's sheet at the request's position) and
// sets `request.dataRows`: the given cells' count, or the rows from below the titles to
// 最大行数 less the footer, or to the last filled row of columns 1..max(5, start column) above
// the footer. Refuses a table without data rows, and a totals table the memory cannot hold.
std::optional<std::string> measureTotals(Worksheet& chosen, TotalsRequest& request);

// What a cell adds to a total: a number itself, a text (a date: its date text) the number it
// begins with, anything else (empty, an error value, a truth value) 0.
double totalValueOf(const Variant& v);

// The work alone over `files`, in their order: each opened, read and closed at once, the first
// kept open until its sheet has been copied. `result` is the new workbook, unsaved, in `app`. A
// file that cannot be read or has fewer sheets ends the run with a message naming it, every
// workbook it opened closed and nothing written; so does a stop asked for through `progress`.
runs::RunOutcome totalBooks(const TotalsRequest& request, Application& app, const std::vector<std::string>& files,
                            Workbook*& result, runs::RunProgress* progress = nullptr);

// The whole operation from the window: the running notice, `folder` listed, the work, the
// report "合计完成，运行总时间：n秒！", the save dialog and SaveAs, and the question whether to open
// the result (`openResult` opens the saved file). `outcome.made` holds the saved path.
runs::RunOutcome runTotalBooks(const TotalsRequest& request, Application& app, const std::string& folder,
                               runs::UiService& ui, const std::function<void(const std::string&)>& openResult);

}  // namespace lorvane::summarize
