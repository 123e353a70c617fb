#include "compare/FillTable.h"

#include <algorithm>

#include "automation/Application.h"
#include "automation/Conversions.h"
#include "automation/CreateObject.h"
#include "automation/KeyedCollection.h"
#include "automation/Range.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "runs/RunProgress.h"
#include "runs/RunTimer.h"
#include "runs/UiService.h"

namespace lorvane::compare {

namespace {

// For each data row of table one (index 0 is the first), the row of table two holding the same
// key text first, or 0.
std::vector<int> matchRows(const TwoTablePlan& plan, runs::RunProgress& progress) {
    auto sourceRowMap = CreateObjectAs<KeyedCollection>("scripting.dictionary");
    const KeyTable& two = plan.two;
    const KeyTable& one = plan.one;
    const long long total = two.dataRows() + one.dataRows();
    long long done = 0;
    for (int r = two.firstDataRow(); r <= two.lastDataRow; ++r, ++done) {
        if ((done & 4095) == 0) {
            progress.working("读取关键字", done, total);
            progress.checkCancel();
        }
        Variant key(convert::keyText(two.sheet->Cells(r, two.keyColumn).Value()));
        if (!sourceRowMap->Exists(key)) sourceRowMap->SetItem(key, Variant(static_cast<double>(r)));
    }
    std::vector<int> match(static_cast<std::size_t>(one.dataRows()));
    for (int r = one.firstDataRow(); r <= one.lastDataRow; ++r, ++done) {
        if ((done & 4095) == 0) {
            progress.working("读取关键字", done, total);
            progress.checkCancel();
        }
        const Variant* s = sourceRowMap->Find(Variant(convert::keyText(one.sheet->Cells(r, one.keyColumn).Value())));
        match[static_cast<std::size_t>(r - one.firstDataRow())] = s ? static_cast<int>(s->number()) : 0;
    }
    return match;
}

// Writes the matched rows of one fill column, each run of consecutive matched rows as one block;
// unmatched rows are not written at all.
void fillColumn(const TwoTablePlan& plan, Worksheet& target, const std::vector<int>& match, int fillColumn,
                int sourceColumn) {
    Worksheet& source = *plan.two.sheet;
    const int first = plan.one.firstDataRow();
    const int n = static_cast<int>(match.size());
    constexpr int kBlockRows = 16384;
    for (int i = 0; i < n;) {
        if (match[static_cast<std::size_t>(i)] == 0) {
            ++i;
            continue;
        }
        int end = i;
        while (end < n && match[static_cast<std::size_t>(end)] != 0 && end - i < kBlockRows) ++end;
        VariantArray block(end - i, 1);
        for (int k = i; k < end; ++k) block(k - i + 1, 1) = source.Cells(match[static_cast<std::size_t>(k)], sourceColumn).Value();
        target.Cells(first + i, fillColumn).Resize(end - i, 1).SetValue(block);
        i = end;
    }
}

}  // namespace

runs::RunOutcome fillTable(const TwoTablePlan& plan, Application& app, FillCounts* counts, runs::UiService* ui) {
    runs::RunProgress progress(ui);
    std::vector<int> match;
    try {
        match = matchRows(plan, progress);
    } catch (const runs::RunCancelled&) {
        runs::RunOutcome out;
        out.status = runs::RunOutcome::Status::Cancelled;
        out.message = "已取消填充，没有做任何改动。";
        return out;
    } catch (const std::exception& e) {
        return runs::RunOutcome::refused("读取表格时出错：" + runs::errorText(e) + "\n\n填充已停止，没有做任何改动。");
    }
    FillCounts local;
    FillCounts& c = counts ? *counts : local;
    c.matched = static_cast<long long>(match.size()) - std::count(match.begin(), match.end(), 0);
    c.unmatched = static_cast<long long>(match.size()) - c.matched;

    runs::RunOutcome out;
    bool deleted = false;
    try {
        app.SetDisplayAlerts(false);
        app.SetScreenUpdating(false);
        Worksheet& sheet1 = *plan.one.sheet;
        if (plan.book2) sheet1.Activate();
        if (Worksheet* old = plan.book1->Worksheets().Find(plan.resultName)) {
            old->Delete();
            deleted = true;
        }
        Worksheet* copy = sheet1.CopyAfter(&sheet1);
        copy->SetName(plan.resultName);
        out.made.push_back(plan.resultName);
        copy->Activate();
        for (std::size_t i = 0; i < plan.fillColumns.size(); ++i)
            fillColumn(plan, *copy, match, plan.fillColumns[i], plan.sourceColumns[i]);
        app.SetDisplayAlerts(true);
        app.SetScreenUpdating(true);
    } catch (const std::exception& e) {
        app.SetDisplayAlerts(true);
        app.SetScreenUpdating(true);
        out.status = runs::RunOutcome::Status::Failed;
        out.message = "填充没有完成：" + runs::errorText(e) + "\n\n";
        if (deleted) out.message += "已删除旧的填充结果工作表“" + plan.resultName + "”。";
        if (!out.made.empty()) out.message += "已新增的工作表“" + plan.resultName + "”可能不完整。";
        out.message += "“" + plan.one.sheet->Name() + "”本身没有改动，工作簿没有保存。";
    }
    return out;
}

runs::RunOutcome runFill(const TwoTablePlan& plan, Application& app, runs::UiService& ui, FillCounts* counts) {
    ui.showRunningNotice();
    runs::RunTimer timer(ui);
    runs::RunOutcome out = fillTable(plan, app, counts, &ui);
    ui.hideRunningNotice();
    if (!out.ok()) {
        ui.inform(out.message);
        return out;
    }
    closeSecondWorkbook(plan);
    timer.report("填充完成，运行总时间：");
    ui.scheduleExit();
    return out;
}

}  // namespace lorvane::compare
