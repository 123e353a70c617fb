#include "summarize/SummarizeBooks.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/Conversions.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "base/AutomationError.h"
#include "base/CellAddress.h"
#include "runs/FolderListing.h"
#include "runs/RunTimer.h"
#include "runs/UiService.h"
#include "summarize/SummaryTable.h"

namespace lorvane::summarize {

namespace fs = std::filesystem;

namespace {

constexpr const char* kNothingWritten = "没有写入任何文件。";

struct Collected {
    std::vector<VariantArray> blocks;  // each data workbook's rows, as wide as the table was then
    long long rows = 0;
    int columns = 1;
    Workbook* first = nullptr;  // the first workbook with data, open until its formats are taken
    Worksheet* firstSheet = nullptr;
    int firstUsedRows = 0;
};

std::string fileNameOf(const std::string& path) { return fs::path(path).filename().string(); }

// Opens, measures and reads one workbook; closes it unless it is the first with data.
void readWorkbook(const std::string& path, const SummarizeBooksSettings& s, Application& app, Collected& c) {
    Workbook* wb = app.Workbooks().OpenInput(path);
    bool keep = false;
    try {
        Sheets& sheets = wb->Worksheets();
        if (sheets.Count() < s.sheetNumber)
            throw AutomationError(errc::kSubscript, "工作薄只有 " + std::to_string(sheets.Count()) + " 个工作表，没有第 " +
                                                        std::to_string(s.sheetNumber) + " 个工作表。");
        Worksheet* ws = sheets(s.sheetNumber);
        const SheetMeasure m = measureSourceSheet(*ws, s.layout);
        if (m.hasData(s.layout)) {
            const int firstRow = c.first ? s.layout.titleRows + 1 : 1;
            c.columns = std::max(c.columns, m.lastColumn);
            VariantArray block(m.lastRow - firstRow + 1, c.columns);
            readRows(*ws, firstRow, m.lastRow, c.columns, block, 1);
            c.rows += block.rows();
            c.blocks.push_back(std::move(block));
            if (c.rows > kMaxRows)
                throw AutomationError(errc::kMethodFailed, "汇总后的行数超过了工作表最多能容纳的 " + std::to_string(kMaxRows) + " 行。");
            if (!c.first) {
                c.first = wb;
                c.firstSheet = ws;
                c.firstUsedRows = m.usedRows;
                keep = true;
            }
        }
    } catch (...) {
        wb->Close(false);
        throw;
    }
    if (!keep) wb->Close(false);
}

Workbook* writeResult(const SummarizeBooksSettings& s, Application& app, Collected& c) {
    const runs::TableLayout& layout = s.layout;
    const int n = static_cast<int>(c.rows);
    Workbook* out = app.Workbooks().Add();
    Worksheet* summary = out->Worksheets()(1);
    summary->SetName("汇总表");
    pasteFormatsFor(*c.firstSheet, *summary, layout, c.firstUsedRows, n);
    summary->Cells().SetNumberFormat("@");
    // Each workbook's block goes to its place and is freed: the rows are never held twice.
    int at = 1;
    for (VariantArray& block : c.blocks) {
        summary->Cells(at, 1).Resize(block.rows(), block.cols()).SetValue(block);
        at += block.rows();
        block = VariantArray();
    }
    summary->Cells().SetHorizontalAlignment(xlCenter);
    summary->Cells().SetVerticalAlignment(xlCenter);
    placeFooter(*c.firstSheet, *summary, layout, c.firstUsedRows, n);
    const CellRect used = summary->UsedRange().rect();
    if (used.row2 > layout.titleRows)
        summary->Cells(layout.titleRows + 1, 1).Resize(used.row2 - layout.titleRows, used.col2).SetWrapText(true);
    // The data rows get borders whether or not the footer stayed below them.
    if (n > layout.titleRows)
        summary->Cells(layout.titleRows + 1, 1).Resize(n - layout.titleRows, used.col2).Borders().SetLineStyle(xlContinuous);
    summary->Activate();
    summary->GetRange("a1").Select();
    return out;
}

}  // namespace

std::optional<std::string> checkSummarizeBooks(const SummarizeBooksRequest& request, int sheetsOfChosen,
                                               SummarizeBooksSettings& out) {
    out = SummarizeBooksSettings{};
    runs::TableLayoutTexts texts = request;
    if (request.footerFlag != "是") texts.footerRows.clear(), texts.keep = "否";
    if (auto m = runs::convertLayout(texts, "依据列", out.layout, {.keyRequired = false, .wholeCounts = true}))
        return *m + kNothingWritten;
    const std::string& number = request.sheetNumber;
    double v = convert::isNumeric(number) ? convert::leadingValue(number) : 0;
    const double most = sheetsOfChosen > 0 ? sheetsOfChosen : 1e6;  // no workbook holds a million sheets
    if (number.empty() || v != std::floor(v) || v < 1 || v > most)
        return "您选择的工作表号“" + number + "”不对：请选择" +
               (sheetsOfChosen > 0 ? "1 到 " + std::to_string(sheetsOfChosen) + " 之间的工作表号！" : std::string("从 1 起的整数！")) +
               kNothingWritten;
    out.sheetNumber = static_cast<int>(v);
    return std::nullopt;
}

runs::RunOutcome summarizeBooks(const SummarizeBooksRequest& request, Application& app,
                                const std::vector<std::string>& files, Workbook*& result, runs::RunProgress* progress) {
    result = nullptr;
    SummarizeBooksSettings s;
    if (auto refusal = checkSummarizeBooks(request, 0, s)) return runs::RunOutcome::refused(*refusal);
    if (files.empty()) return runs::RunOutcome::refused(std::string("文件夹中没有表格文件。") + kNothingWritten);
    Collected c;
    runs::RunOutcome out;
    const bool alerts = app.DisplayAlerts(), updating = app.ScreenUpdating();
    std::string step;
    std::size_t read = 0;
    auto cleanUp = [&] {
        if (c.first && c.first->isOpen()) c.first->Close(false);
        if (result && result->isOpen()) result->Close(false);
        result = nullptr;
        app.SetDisplayAlerts(alerts);
        app.SetScreenUpdating(updating);
    };
    try {
        app.SetScreenUpdating(false);
        auto ahead = app.Workbooks().ReadAhead(files, s.sheetNumber);
        for (const std::string& path : files) {
            if (progress) progress->reading(static_cast<int>(read) + 1, static_cast<int>(files.size()), path);
            step = "读取“" + fileNameOf(path) + "”";
            readWorkbook(path, s, app, c);
            ++read;
        }
        if (!c.first) {
            app.SetScreenUpdating(updating);
            return runs::RunOutcome::refused(
                std::string("文件夹中没有找到有数据的工作薄：各工作薄的这个工作表在标题行以下都没有数据。请核对工作表号、标题行数、最大列数和依据列！") +
                kNothingWritten);
        }
        step = "写汇总表";
        app.SetDisplayAlerts(false);
        result = writeResult(s, app, c);
        c.first->Close(false);
        c.first = nullptr;
        app.SetDisplayAlerts(alerts);
        app.SetScreenUpdating(updating);
    } catch (const runs::RunCancelled&) {
        cleanUp();
        out.status = runs::RunOutcome::Status::Cancelled;
        out.message = "已取消汇总：已读取 " + std::to_string(read) + " 个工作薄（共 " + std::to_string(files.size()) + " 个）。\n\n" +
                      kNothingWritten;
    } catch (const std::exception& e) {
        cleanUp();
        out.status = runs::RunOutcome::Status::Failed;
        out.message = "汇总没有完成：" + step + "时出错：" + runs::errorText(e) + "\n\n" + kNothingWritten;
    }
    return out;
}

runs::RunOutcome runSummarizeBooks(const SummarizeBooksRequest& request, Application& app, const std::string& chosenPath,
                                   runs::UiService& ui, const std::function<void(const std::string&)>& openResult) {
    ui.showRunningNotice();
    runs::RunTimer timer(ui);
    runs::RunOutcome out;
    Workbook* result = nullptr;
    try {
        std::vector<std::string> files = runs::listFolder(fs::path(chosenPath).parent_path().string());
        runs::RunProgress progress(&ui);
        out = summarizeBooks(request, app, files, result, &progress);
    } catch (const std::exception& e) {
        out = runs::RunOutcome::refused("汇总没有完成：" + runs::errorText(e) + "\n\n" + kNothingWritten);
    }
    ui.hideRunningNotice();
    if (!out.ok()) {
        ui.inform(out.message);
        return out;
    }
    timer.report("汇总完成，运行总时间：");
    std::string target = ui.fileDialog(true, "请选择要保存在的文件夹", "Excel (*.xls;*.xlsx)|*.xls;*.xlsx|");
    if (target.empty()) {
        result->Close(false);  // cancelled: the result is not kept
        return out;
    }
    try {
        result->SaveAs(target);
        out.made.push_back(result->FullName());
        result->Close(false);
    } catch (const std::exception& e) {
        if (result->isOpen()) result->Close(false);
        out.status = runs::RunOutcome::Status::Failed;
        out.message = "汇总结果没有保存：" + runs::errorText(e);
        ui.inform(out.message);
        return out;
    }
    if (ui.askYesNo("汇总完成，是否要打开汇总结果？", "温馨提示", runs::Icon::Question) && openResult)
        openResult(out.made.front());
    return out;
}

}  // namespace lorvane::summarize
