#include "compare/CompareTables.h"

#include <algorithm>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/Conversions.h"
#include "automation/CreateObject.h"
#include "automation/KeyedCollection.h"
#include "automation/Range.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "base/CellAddress.h"
#include "runs/RunProgress.h"
#include "runs/RunTimer.h"
#include "runs/SheetScans.h"
#include "runs/UiService.h"

namespace lorvane::compare {

namespace {

// Rows per block written or read at once, so that a large table never needs one huge array.
constexpr int kBlockRows = 16384;

bool isVerdict(const Variant& v) { return v.isText() && (v.text() == kFound || v.text() == kNotFound); }

// The first column right of the table whose data-row cells are empty or hold verdicts of an
// earlier run; 0 when the sheet has none.
int verdictColumn(const KeyTable& one, int lastColumn) {
    for (int c = lastColumn + 1; c <= kMaxColumns; ++c) {
        bool free = true;
        for (int r = one.firstDataRow(); r <= one.lastDataRow && free; ++r) {
            Variant v = one.sheet->Cells(r, c).Value();
            free = runs::isEmptyText(v) || isVerdict(v);
        }
        if (free) return c;
    }
    return 0;
}

// Whether each data row of table one has its key among table two's key texts (index 0 is the
// first data row).
std::vector<char> findRows(const TwoTablePlan& plan, runs::RunProgress& progress) {
    auto keySet = CreateObjectAs<KeyedCollection>("scripting.dictionary");
    const KeyTable& two = plan.two;
    const long long total = two.dataRows() + plan.one.dataRows();
    long long done = 0;
    for (int r = two.firstDataRow(); r <= two.lastDataRow; ++r, ++done) {
        if ((done & 4095) == 0) {
            progress.working("读取关键字", done, total);
            progress.checkCancel();
        }
        Variant key(convert::keyText(two.sheet->Cells(r, two.keyColumn).Value()));
        if (!keySet->Exists(key)) keySet->SetItem(key, key);
    }
    const KeyTable& one = plan.one;
    std::vector<char> found(static_cast<std::size_t>(one.dataRows()));
    for (int r = one.firstDataRow(); r <= one.lastDataRow; ++r, ++done) {
        if ((done & 4095) == 0) {
            progress.working("读取关键字", done, total);
            progress.checkCancel();
        }
        found[static_cast<std::size_t>(r - one.firstDataRow())] =
            keySet->Exists(Variant(convert::keyText(one.sheet->Cells(r, one.keyColumn).Value())));
    }
    return found;
}

void mark(const TwoTablePlan& plan, const std::vector<char>& found, int column) {
    Worksheet& ws = *plan.one.sheet;
    const Variant yes(kFound), no(kNotFound);
    const int first = plan.one.firstDataRow(), n = plan.one.dataRows();
    for (int at = 0; at < n; at += kBlockRows) {
        const int rows = std::min(kBlockRows, n - at);
        VariantArray block(rows, 1);
        for (int i = 1; i <= rows; ++i) block(i, 1) = found[static_cast<std::size_t>(at + i - 1)] ? yes : no;
        ws.Cells(first + at, column).Resize(rows, 1).SetValue(block);
    }
    Range verdicts = ws.Columns(column);
    verdicts.SetHorizontalAlignment(xlCenter);
    verdicts.SetVerticalAlignment(xlCenter);
    verdicts.AutoFit();
    ws.Activate();
}

// One result sheet after the last sheet of workbook 1: table one's title rows, the rows
// `rows` in their order, table one's formats row for row, and the footer right under the rows.
void writeResultSheet(const TwoTablePlan& plan, const std::string& name, const std::vector<int>& rows,
                      std::vector<std::string>& deleted, std::vector<std::string>& made) {
    Workbook& book = *plan.book1;
    Worksheet& source = *plan.one.sheet;
    if (Worksheet* old = book.Worksheets().Find(name)) {
        std::string oldName = old->Name();
        old->Delete();
        deleted.push_back(oldName);
    }
    Sheets& sheets = book.Worksheets();
    Worksheet* added = sheets.AddAfter(sheets(sheets.Count()));
    added->SetName(name);
    made.push_back(name);

    const int titleRows = plan.one.titleRows, usedRows = plan.one.usedRows;
    const int footerRows = plan.one.footer ? plan.one.footerRows : 0;
    const int cols = std::max(1, plan.lastColumn);
    const int n = static_cast<int>(rows.size());
    Range a1 = added->GetRange("a1");
    // Titles and rows go into text cells (the pasted formats replace the text format after).
    if (titleRows + n > 0) a1.Resize(titleRows + n, cols).SetNumberFormat("@");
    if (titleRows > 0) a1.Resize(titleRows, cols).SetValue(source.Cells(1, 1).Resize(titleRows, cols).Values());
    for (int at = 0; at < n; at += kBlockRows) {
        const int count = std::min(kBlockRows, n - at);
        VariantArray block(count, cols);
        for (int i = 1; i <= count; ++i) {
            const int r = rows[static_cast<std::size_t>(at + i - 1)];
            for (int c = 1; c <= cols; ++c) block(i, c) = source.Cells(r, c).Value();
        }
        a1.Offset(titleRows + at, 0).Resize(count, cols).SetValue(block);
    }
    source.Cells().Copy();
    a1.PasteSpecial(xlPasteFormats, xlPasteSpecialOperationNone, false, false);
    // The formatted rows between the chosen rows and the footer's own formats go, so that the
    // footer's formats come up under the rows with its values.
    const long long surplus = static_cast<long long>(usedRows) - titleRows - n - footerRows;
    if (surplus > 0) a1.Offset(titleRows + n, 0).Resize(static_cast<int>(surplus), 1).EntireRow().Delete();
    if (footerRows > 0)
        a1.Offset(titleRows + n, 0)
            .Resize(footerRows, cols)
            .SetValue(source.Cells(usedRows - footerRows + 1, 1).Resize(footerRows, cols).Values());
    added->Activate();
    a1.Select();
}

}  // namespace

runs::RunOutcome compareTables(const TwoTablePlan& plan, Application& app, CompareCounts* counts, runs::UiService* ui) {
    runs::RunProgress progress(ui);
    std::vector<char> found;
    int column = 0;
    try {
        found = findRows(plan, progress);
        if (plan.mode == CompareMode::Mark) {
            column = verdictColumn(plan.one, plan.lastColumn);
            if (column == 0)
                return runs::RunOutcome::refused("“" + plan.one.sheet->Name() +
                                                 "”右侧没有可以存放对比结果的空列，对比已停止，没有做任何改动。");
        }
    } catch (const runs::RunCancelled&) {
        runs::RunOutcome out;
        out.status = runs::RunOutcome::Status::Cancelled;
        out.message = "已取消对比，没有做任何改动。";
        return out;
    } catch (const std::exception& e) {
        return runs::RunOutcome::refused("读取表格时出错：" + runs::errorText(e) + "\n\n对比已停止，没有做任何改动。");
    }
    CompareCounts local;
    CompareCounts& c = counts ? *counts : local;
    c = CompareCounts{};
    c.found = std::count(found.begin(), found.end(), 1);
    c.notFound = static_cast<long long>(found.size()) - c.found;
    c.verdictColumn = column;

    runs::RunOutcome out;
    std::vector<std::string> deleted;
    try {
        app.SetDisplayAlerts(false);
        app.SetScreenUpdating(false);
        if (plan.mode == CompareMode::Mark) {
            mark(plan, found, column);
        } else {
            std::vector<int> foundRows, notFoundRows;
            for (std::size_t i = 0; i < found.size(); ++i)
                (found[i] ? foundRows : notFoundRows).push_back(plan.one.firstDataRow() + static_cast<int>(i));
            if (plan.mode != CompareMode::Found) writeResultSheet(plan, kNotFoundSheet, notFoundRows, deleted, out.made);
            if (plan.mode != CompareMode::NotFound) writeResultSheet(plan, kFoundSheet, foundRows, deleted, out.made);
        }
        app.SetDisplayAlerts(true);
        app.SetScreenUpdating(true);
    } catch (const std::exception& e) {
        app.SetDisplayAlerts(true);
        app.SetScreenUpdating(true);
        out.status = runs::RunOutcome::Status::Failed;
        out.message = "对比没有完成：" + runs::errorText(e) + "\n\n";
        if (plan.mode == CompareMode::Mark)
            out.message += "“" + plan.one.sheet->Name() + "”的第" + columnLetters(column) + "列可能已写入部分对比结果。";
        if (!deleted.empty()) out.message += "已删除旧的对比结果工作表：" + runs::nameList(deleted) + "。";
        if (!out.made.empty()) out.message += "已新增的工作表：" + runs::nameList(out.made) + "（可能不完整）。";
        out.message += "\n工作簿没有保存，请检查后再决定是否保存。";
    }
    return out;
}

runs::RunOutcome runCompare(const TwoTablePlan& plan, Application& app, runs::UiService& ui, CompareCounts* counts) {
    ui.showRunningNotice();
    runs::RunTimer timer(ui);
    runs::RunOutcome out = compareTables(plan, app, counts, &ui);
    ui.hideRunningNotice();
    if (!out.ok()) {
        ui.inform(out.message);
        return out;
    }
    closeSecondWorkbook(plan);
    timer.report("对比完成，运行总时间：");
    ui.scheduleExit();
    return out;
}

}  // namespace lorvane::compare
