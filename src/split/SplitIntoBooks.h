#pragma once
// Split a master sheet into one workbook per key value, saved in the folder 分表 beside the
// source workbook; the source workbook is closed without saving and the application quits.
#include <string>

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

// The work alone: no notice, no messages. `chosenPath` is the source workbook's file; 分表 is
// made in its folder. Refusals change nothing; a failure part-way leaves the application
// visible with alerts and screen updating on and the source workbook open, and says in
// `message` what failed and which files were written. `progress` names each file as it is
// made; a stop asked for there ends the run the same way (Cancelled): the files already written
// are whole and listed, no file is left half-written.
runs::RunOutcome splitIntoBooks(const SplitRequest& request, Application& app, Workbook& source, const std::string& chosenPath,
                                runs::RunProgress* progress = nullptr);

// The run the confirmation window starts: running notice, the work, the running-time report,
// the question whether to open 分表 (or the refusal/failure message), then the scheduled exit.
runs::RunOutcome runSplitIntoBooks(const SplitRequest& request, Application& app, Workbook& source,
                               const std::string& chosenPath, runs::UiService& ui);

}  // namespace lorvane::split
