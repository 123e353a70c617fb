#pragma once
// Fill one table from another by key: a copy of table one's sheet, "表名1（填充结果）", right after
// it, whose fill columns hold the values of the source columns of the first row of table two
// with the same key text. Rows without a match keep their cells; nothing is saved.
#include "compare/TwoTables.h"

namespace lorvane {
class Application;
namespace runs {
class UiService;
}
}  // namespace lorvane

namespace lorvane::compare {

struct FillCounts {
    long long matched = 0, unmatched = 0;
};

// The work alone on a plan: no notice, no report. A failure part-way restores alerts and screen
// updating and says in `message` what was done. Workbook 2 stays open.
runs::RunOutcome fillTable(const TwoTablePlan& plan, Application& app, FillCounts* counts = nullptr,
                           runs::UiService* ui = nullptr);

// The run the window starts once its checks passed: running notice, the work, then on success
// workbook 2 closed, "填充完成，运行总时间：n秒！" and the scheduled exit; otherwise the message.
runs::RunOutcome runFill(const TwoTablePlan& plan, Application& app, runs::UiService& ui, FillCounts* counts = nullptr);

}  // namespace lorvane::compare
