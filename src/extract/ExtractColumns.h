#pragma once
// The two extraction runs: the values of the ticked columns under the source's formats
// (formulas become their values), or a copy of the sheet without the other columns (formulas
// and formats stay); each into a sheet <sheet>提取表 of the same workbook or into a new
// workbook saved as <base>提取表.xlsx.
#include "extract/ExtractPlan.h"
#include "runs/RunOutcome.h"

namespace lorvane {
class Application;
class Workbook;
namespace runs {
class UiService;
}
}  // namespace lorvane

namespace lorvane::extract {

// The work alone: no notice, no messages. Refusals change nothing. An earlier result sheet is
// replaced silently, a file of the result's name overwritten. Into the same workbook the result
// is made whole before the earlier one goes, and the workbook is not saved; into a new
// workbook the result is saved and the source closed without saving, the new workbook staying
// open. A failure part-way (a save refused by the disk, say) leaves alerts and screen updating
// on, the source open and unchanged, and says in `message` what happened.
// `made` holds the result sheet's name, or the written file.
runs::RunOutcome extractColumns(const ExtractRequest& request, Application& app, Workbook& source);

// The run a button of 提取方法 starts (its windows already unloaded): running notice, the work,
// the message of a refusal or failure (success says nothing), then the scheduled exit.
runs::RunOutcome runExtractColumns(const ExtractRequest& request, Application& app, Workbook& source, runs::UiService& ui);

}  // namespace lorvane::extract
