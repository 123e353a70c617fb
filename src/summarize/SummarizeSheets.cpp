#include "summarize/SummarizeSheets.h"

#include <algorithm>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/SheetNames.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "base/AutomationError.h"
#include "base/CellAddress.h"
#include "runs/RunTimer.h"
#include "runs/SheetScans.h"
#include "summarize/SummaryTable.h"
#include "runs/UiService.h"

namespace lorvane::summarize {

namespace {

constexpr const char* kPrompt = "请选择汇总表名称";
constexpr const char* kNothingChanged = "没有做任何改动。";

std::optional<std::string> nameProblem(const SummarizeSheetsRequest& request, Workbook& book, SummarizeSheetsPlan& plan) {
    const std::string& name = request.summaryName;
    if (name == kPrompt) return "您还未选择汇总表名称，请先选择汇总表名称！";
    if (name.empty()) return std::string("您未输入汇总表名称，请输入汇总表名称！") + kNothingChanged;
    if (std::string p = sheetNameProblem(name); !p.empty())
        return "汇总表名称“" + name + "”不能用作工作表名称：" + p + kNothingChanged;
    Worksheet* existing = book.Worksheets().Find(name);
    if (!plan.replace && existing)
        return "工作簿中已经有名为“" + existing->Name() + "”的工作表，请换一个汇总表名称，或将“是否已经存在汇总表”选为“是”！" +
               kNothingChanged;
    if (plan.replace && !existing)
        return "工作簿中没有名为“" + name + "”的工作表，无法替换汇总表：请核对汇总表名称，或将“是否已经存在汇总表”选为“否”！" +
               kNothingChanged;
    if (plan.replace && book.Worksheets().Count() == 1)
        return "“" + existing->Name() + "”是工作簿中唯一的工作表，没有可以汇总的分表。" + kNothingChanged;
    plan.oldSummary = existing;
    return std::nullopt;
}

std::optional<std::string> planChecked(const SummarizeSheetsRequest& request, Workbook& book, SummarizeSheetsPlan& plan) {
    plan = SummarizeSheetsPlan{};
    plan.summaryName = request.summaryName;
    plan.replace = request.exists == "是";
    if (auto m = nameProblem(request, book, plan)) return m;
    runs::TableLayoutTexts texts = request;
    if (request.footerFlag != "是") texts.footerRows.clear(), texts.keep = "否";
    if (auto m = runs::convertLayout(texts, "依据列", plan.layout, {.keyRequired = false, .wholeCounts = true}))
        return *m + kNothingChanged;
    const runs::TableLayout& layout = plan.layout;

    long long rows = 0;
    for (Worksheet* ws : book.Worksheets()) {
        if (sheetNamesEqual(ws->Name(), plan.summaryName)) continue;  // the sheet replaced
        const SheetMeasure m = measureSourceSheet(*ws, layout);
        if (!m.hasData(layout)) continue;
        DataSheet d;
        d.sheet = ws;
        d.firstRow = plan.sheets.empty() ? 1 : layout.titleRows + 1;
        d.lastRow = m.lastRow;
        plan.columns = std::max(plan.columns, m.lastColumn);
        d.columns = plan.columns;
        if (plan.sheets.empty()) plan.firstUsedRows = m.usedRows;
        plan.sheets.push_back(d);
        rows += m.lastRow - d.firstRow + 1;
    }
    if (plan.sheets.empty())
        return std::string("没有找到有数据的工作表：各工作表在标题行以下都没有数据。请核对标题行数、最大列数和依据列！") +
               kNothingChanged;
    if (rows > kMaxRows)
        return "汇总后共有 " + std::to_string(rows) + " 行，超过了工作表最多能容纳的 " + std::to_string(kMaxRows) +
               " 行，无法汇总。" + kNothingChanged;
    plan.rows = static_cast<int>(rows);
    return std::nullopt;
}

// The collected rows in one block: each sheet's rows as wide as the widest table met so far.
VariantArray collectRows(const SummarizeSheetsPlan& plan, runs::RunProgress* progress) {
    VariantArray block(plan.rows, plan.columns);
    int at = 1;
    long long done = 0;
    for (const DataSheet& d : plan.sheets) {
        if (progress) progress->working("“" + d.sheet->Name() + "”", done++, static_cast<long long>(plan.sheets.size()));
        readRows(*d.sheet, d.firstRow, d.lastRow, d.columns, block, at);
        at += d.lastRow - d.firstRow + 1;
    }
    return block;
}

void writeSummary(const SummarizeSheetsPlan& plan, Application& app, Workbook& book, const VariantArray& block) {
    const runs::TableLayout& layout = plan.layout;
    app.SetScreenUpdating(false);
    app.SetDisplayAlerts(false);
    if (plan.oldSummary) plan.oldSummary->Delete();
    Worksheet* summary = book.Worksheets().Add();
    summary->SetName(plan.summaryName);

    Worksheet* first = plan.sheets.front().sheet;
    const int n = plan.rows;
    pasteFormatsFor(*first, *summary, layout, plan.firstUsedRows, n);
    summary->Cells().SetNumberFormat("@");
    summary->GetRange("a1").Resize(n, plan.columns).SetValue(block);
    placeFooter(*first, *summary, layout, plan.firstUsedRows, n);
    // The data rows, whether or not the footer stayed below them.
    if (n > layout.titleRows) {
        Range area = summary->Cells(layout.titleRows + 1, 1).Resize(n - layout.titleRows, summary->UsedRange().rect().col2);
        area.SetHorizontalAlignment(xlCenter);
        area.SetVerticalAlignment(xlCenter);
        area.SetWrapText(true);
    }
    summary->Activate();
    summary->GetRange("a1").Select();
    app.SetDisplayAlerts(true);
    app.SetScreenUpdating(true);
}

}  // namespace

std::optional<std::string> planSummarizeSheets(const SummarizeSheetsRequest& request, Workbook& book,
                                               SummarizeSheetsPlan& plan) {
    try {
        return planChecked(request, book, plan);
    } catch (const std::exception& e) {
        plan = SummarizeSheetsPlan{};
        return "读取工作表时出错：" + runs::errorText(e) + "\n\n汇总已停止，" + kNothingChanged;
    }
}

runs::RunOutcome summarizeSheets(const SummarizeSheetsRequest& request, Application& app, Workbook& book,
                                 const SummarizeSheetsPlan* planned, runs::RunProgress* progress) {
    SummarizeSheetsPlan fresh;
    if (!planned) {
        if (auto refusal = planSummarizeSheets(request, book, fresh)) return runs::RunOutcome::refused(*refusal);
        planned = &fresh;
    }
    const SummarizeSheetsPlan& plan = *planned;
    VariantArray block;
    try {
        block = collectRows(plan, progress);
    } catch (const runs::RunCancelled&) {
        runs::RunOutcome cancelled;
        cancelled.status = runs::RunOutcome::Status::Cancelled;
        cancelled.message = std::string("已取消汇总，") + kNothingChanged;
        return cancelled;
    } catch (const std::exception& e) {
        return runs::RunOutcome::refused("读取各工作表的数据时出错：" + runs::errorText(e) + "\n\n汇总已停止，" + kNothingChanged);
    }
    runs::RunOutcome out;
    try {
        writeSummary(plan, app, book, block);
        out.made.push_back(plan.summaryName);
    } catch (const std::exception& e) {
        app.SetDisplayAlerts(true);
        app.SetScreenUpdating(true);
        out.status = runs::RunOutcome::Status::Failed;
        out.message = "汇总没有完成：" + runs::errorText(e) + "\n\n";
        if (plan.oldSummary) out.message += "原来的汇总表“" + plan.summaryName + "”已删除。";
        out.message += "工作簿没有保存，请检查后再决定是否保存。";
    }
    return out;
}

runs::RunOutcome runSummarizeSheets(const SummarizeSheetsRequest& request, Application& app, Workbook& book,
                                    runs::UiService& ui, const SummarizeSheetsPlan* planned) {
    ui.showRunningNotice();
    runs::RunTimer timer(ui);
    runs::RunProgress progress(&ui);
    runs::RunOutcome out = summarizeSheets(request, app, book, planned, &progress);
    if (out.ok()) {
        try {
            ui.showProgress("正在写入：" + book.Name());
            book.Save();
        } catch (const std::exception& e) {
            out.status = runs::RunOutcome::Status::Failed;
            out.message = "汇总表已经做好，但保存工作簿“" + book.Name() + "”时出错：" + runs::errorText(e) +
                          "\n\n工作簿没有保存，请检查后再决定是否保存。";
        }
    }
    ui.hideRunningNotice();
    if (out.ok()) timer.report("汇总完成，运行总时间：");
    else ui.inform(out.message);
    ui.scheduleExit();
    return out;
}

}  // namespace lorvane::summarize
