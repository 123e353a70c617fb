#pragma once
// Compare two tables by key: every data row of table one is found ("存在") or not found
// ("不存在") among the key texts of table two's data rows. The verdicts are marked beside
// table one, or the rows are copied to new result sheets of workbook 1; nothing is saved.
#include "compare/TwoTables.h"

namespace lorvane {
class Application;
namespace runs {
class UiService;
}
}  // namespace lorvane

namespace lorvane::compare {

inline constexpr const char* kFound = "存在";
inline constexpr const char* kNotFound = "不存在";

struct CompareCounts {
    long long found = 0, notFound = 0;
    int verdictColumn = 0;  // the marking mode's column
};

// The work alone on a plan: no notice, no report. Refusals (no free column for the verdicts)
// change nothing; a failure part-way restores alerts and screen updating and says in `message`
// what was done. Workbook 2 stays open. `ui` (optional) shows progress and may cancel the
// reading of the keys.
runs::RunOutcome compareTables(const TwoTablePlan& plan, Application& app, CompareCounts* counts = nullptr,
                               runs::UiService* ui = nullptr);

// The run the window starts once its checks passed: running notice, the work, then on success
// workbook 2 closed, "对比完成，运行总时间：n秒！" and the scheduled exit; otherwise the message
// (the window comes back for correction).
runs::RunOutcome runCompare(const TwoTablePlan& plan, Application& app, runs::UiService& ui, CompareCounts* counts = nullptr);

}  // namespace lorvane::compare
