#include "extract/ExtractColumns.h"

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/SheetNames.h"
#include "automation/Variant.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "runs/UiService.h"

namespace lorvane::extract {

namespace {

// Fills `target` (a new, empty sheet) with the values of the ticked columns: the source's
// formats pasted and trimmed to the ticked columns, the text format on titles and data, the
// title block shrunk to fit.
void writeValues(const ExtractPlan& plan, Worksheet& target) {
    Worksheet& src = *plan.sheet;
    const int t = plan.titleRows, C = plan.lastColumn, R = plan.lastRow;
    const int n = static_cast<int>(plan.columns.size());
    VariantArray titles(t, C);
    for (int j = 1; j <= n; ++j)
        for (int r = 1; r <= t; ++r) titles(r, j) = src.Cells(r, plan.columns[j - 1]).Value();
    src.Cells().Copy();
    Range a1 = target.GetRange("a1");
    a1.PasteSpecial(xlPasteFormats, xlPasteSpecialOperationNone, false, false);
    deleteOtherColumns(target, C, plan.columns);
    a1.Resize(R, n).SetNumberFormat("@");
    if (t > 0) {
        a1.Resize(t, C).SetValue(titles);
        a1.Resize(t, C).SetShrinkToFit(true);
    }
    // The data a column at a time: the same cells as one block, with a fraction of the memory
    // a block of every ticked column would hold beside both sheets.
    VariantArray data(R - t, 1);
    for (int j = 1; j <= n; ++j) {
        const int c = plan.columns[j - 1];
        for (int m = 1; m <= R - t; ++m) data(m, 1) = src.Cells(t + m, c).Value();
        a1.Offset(t, j - 1).Resize(R - t, 1).SetValue(data);
    }
    a1.Select();
}

// Every sheet of `book` named `name` in any letter case, except `keep`, deleted (alerts are off).
void deleteEarlierResults(Workbook& book, const std::string& name, const Worksheet* keep) {
    for (Worksheet* ws : book.Worksheets().all())
        if (ws != keep && sheetNamesEqual(ws->Name(), name)) ws->Delete();
}

// Switches off for the work, back on however it ends.
class QuietApplication {
public:
    explicit QuietApplication(Application& app) : app_(app) {
        app_.SetScreenUpdating(false);
        app_.SetDisplayAlerts(false);
    }
    ~QuietApplication() { restore(); }
    void restore() {
        app_.SetDisplayAlerts(true);
        app_.SetScreenUpdating(true);
    }

private:
    Application& app_;
};

runs::RunOutcome intoSameWorkbook(const ExtractPlan& plan, const ExtractRequest& request, Application& app,
                                  Workbook& source) {
    runs::RunOutcome out;
    Worksheet* made = nullptr;
    bool replaced = false;
    try {
        QuietApplication quiet(app);
        // The result is made under the name the application gives it and takes its own name
        // only when complete: a failure on the way leaves the earlier result in place.
        if (request.method == ExtractMethod::Values) {
            made = source.Worksheets().AddAfter(plan.sheet);
            writeValues(plan, *made);
        } else {
            made = plan.sheet->CopyAfter(plan.sheet);
            deleteOtherColumns(*made, plan.lastColumn, plan.columns);
            Range a1 = made->GetRange("a1");
            if (plan.titleRows > 0) a1.Resize(plan.titleRows, plan.lastColumn).SetShrinkToFit(true);
            a1.Select();
        }
        replaced = true;
        deleteEarlierResults(source, plan.resultName, made);
        made->SetName(plan.resultName);
        made->GetRange("a1").Select();
        out.made.push_back(plan.resultName);
    } catch (const std::exception& e) {
        out.status = runs::RunOutcome::Status::Failed;
        out.message = "提取没有完成：" + runs::errorText(e) + "\n\n";
        if (!replaced && made && made->alive()) {
            bool alerts = app.DisplayAlerts();
            app.SetDisplayAlerts(false);
            try {
                made->Delete();
            } catch (const std::exception&) {
            }
            app.SetDisplayAlerts(alerts);
            out.message += "工作簿没有任何改动。";
        } else if (replaced) {
            out.message += "工作簿已经有改动，没有保存，请检查后再决定是否保存。";
        } else {
            out.message += "工作簿没有任何改动。";
        }
        try {
            plan.sheet->Activate();
        } catch (const std::exception&) {
        }
    }
    return out;
}

runs::RunOutcome intoNewWorkbook(const ExtractPlan& plan, const ExtractRequest& request, Application& app,
                                 Workbook& source) {
    runs::RunOutcome out;
    Workbook* book = nullptr;
    try {
        QuietApplication quiet(app);
        Worksheet* result = nullptr;
        if (request.method == ExtractMethod::Values) {
            book = app.Workbooks().Add();
            result = book->GetSheets()(1);
            result->SetName(plan.resultName);
            writeValues(plan, *result);
        } else {
            book = plan.sheet->Copy();
            result = book->GetSheets()(1);
            result->SetName(plan.resultName);
            deleteOtherColumns(*result, plan.lastColumn, plan.columns);
            result->GetRange("a1").Select();
        }
        book->SaveAs(plan.outputPath, xlOpenXMLWorkbook, xlNoChange);
        out.made.push_back(book->FullName());
        source.Close(false);
    } catch (const std::exception& e) {
        out.status = runs::RunOutcome::Status::Failed;
        out.made.clear();
        out.message = "提取没有完成：" + runs::errorText(e) + "\n\n";
        if (book && book->isOpen())
            out.message += "提取结果没有保存到“" + plan.outputPath + "”，新工作薄仍然打开，可以另存到其他位置。";
        else
            out.message += "没有写入任何文件。";
        if (source.isOpen()) out.message += "\n源工作薄仍然打开，没有被修改。";
    }
    return out;
}

}  // namespace

runs::RunOutcome extractColumns(const ExtractRequest& request, Application& app, Workbook& source) {
    ExtractPlan plan;
    if (auto refusal = planExtract(request, source, plan)) return runs::RunOutcome::refused(*refusal);
    return request.target == ExtractTarget::SameWorkbook ? intoSameWorkbook(plan, request, app, source)
                                                         : intoNewWorkbook(plan, request, app, source);
}

runs::RunOutcome runExtractColumns(const ExtractRequest& request, Application& app, Workbook& source, runs::UiService& ui) {
    ui.showRunningNotice();
    runs::RunOutcome out = extractColumns(request, app, source);
    ui.hideRunningNotice();
    if (!out.ok()) ui.inform(out.message);
    ui.scheduleExit();
    return out;
}

}  // namespace lorvane::extract
