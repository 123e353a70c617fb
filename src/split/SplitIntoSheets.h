#pragma once
// Split a master sheet into one sheet per key value, appended to the same workbook and left
// unsaved in the workbook window for the user to check and save.
#include "runs/RunProgress.h"
#include "split/SplitPlan.h"

namespace lorvane {
class Application;
class Workbook;
namespace runs {
class UiService;
}
}  // namespace lorvane

namespace lorvane::split {

// The work alone: no notice, no messages. Refusals change nothing; a failure part-way leaves
// screen updating and alerts on and says in `message` what failed and what was done. `progress`
// names each key's sheet as it is made; a stop asked for there ends the run the same way
// (Cancelled), the sheets made so far staying in the unsaved workbook.
runs::RunOutcome splitIntoSheets(const SplitRequest& request, Application& app, Workbook& source,
                                 runs::RunProgress* progress = nullptr);

// The run the confirmation window starts (its windows already unloaded): running notice,
// the work, the running-time report or the refusal/failure message, then the scheduled exit.
runs::RunOutcome runSplitIntoSheets(const SplitRequest& request, Application& app, Workbook& source, runs::UiService& ui);

}  // namespace lorvane::split
