#include "summarize/TotalBooks.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <new>

#include "automation/Application.h"
#include "automation/Conversions.h"
#include "automation/SheetNames.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "base/AutomationError.h"
#include "base/CellAddress.h"
#include "runs/FolderListing.h"
#include "runs/MemoryBudget.h"
#include "runs/RunTimer.h"
#include "runs/SheetScans.h"
#include "runs/TableLayout.h"
#include "runs/UiService.h"

namespace lorvane::summarize {

namespace fs = std::filesystem;

namespace {

constexpr const char* kNothingWritten = "没有写入任何文件。";
constexpr const char* kNothingChanged = "没有做任何改动。";

// What one cell of the totals costs while the run holds it: the sum, the value written in the
// block, and the cell of the result sheet.
constexpr std::uint64_t kBytesPerTotal = sizeof(double) + sizeof(Variant) + 32;

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string trimmed(std::string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return std::string(s);
}

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

bool capitalsOnly(std::string_view s) {
    for (char c : s)
        if (c < 'A' || c > 'Z') return false;  // bytes of a Chinese character fail too
    return true;
}

bool fitsInMemory(long long rows, int columns) {
    return runs::fitsInMemory(static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(columns), kBytesPerTotal);
}

std::string fileNameOf(const std::string& path) { return fs::path(path).filename().string(); }

std::string cellsMessage(std::size_t part) {
    return "您输入的第{" + std::to_string(part) +
           "}个【指定单元格】错误，“指定单元格”形式为EXCEL表格中的形式，如第3行第4个单元格为:D3，请重新输入！";
}

// The OK check of one column entry and its column number. `field` is 开始列号 or 结束列号.
std::optional<TotalsRefusal> columnAtOk(const std::string& text, const char* field, const char* control, int& column) {
    const std::string s = upper(trimmed(text));
    const std::string name(field);
    if (s.empty()) return TotalsRefusal{"您未输入的【" + name + "】，请先输入！", control};
    const std::string wrong = "您输入的【" + name + "】错误，请重新输入！";
    if (convert::isNumeric(s)) {
        // A column number names a column of the sheet: a whole number 1..16384.
        const double v = convert::leadingValue(s);
        if (v != std::floor(v) || v < 1 || v > kMaxColumns) return TotalsRefusal{wrong, control};
        column = static_cast<int>(v);
        return std::nullopt;
    }
    if (charCount(s) > 3) return TotalsRefusal{wrong, control};
    if (!capitalsOnly(s)) return TotalsRefusal{"您输入的【" + name + "】不是数字或字母，请重新输入！", control};
    column = columnNumber(s);  // 0 past XFD
    if (column == 0) return TotalsRefusal{wrong, control};
    return std::nullopt;
}

// The workbooks read so far and what the run keeps of them.
struct Reading {
    std::vector<double> sums;  // dataRows x columns, row by row
    Workbook* first = nullptr;  // the first listed workbook, open until its sheet is copied
    Worksheet* template_ = nullptr;
};

// Adds the region of `ws` to the sums. Cells past the used range are empty and add nothing.
void addSheet(Worksheet& ws, const TotalsRequest& r, std::vector<double>& sums) {
    if (r.kind == TotalKind::Cells) {
        for (std::size_t i = 0; i < r.cells.size(); ++i) sums[i] += totalValueOf(ws.Cells(r.cells[i].row, r.cells[i].column).Value());
        return;
    }
    const CellRect used = ws.UsedRange().rect();
    const int columns = r.columnCount;
    const int top = r.titleRows + 1;
    const int bottom = std::min(r.titleRows + r.dataRows, used.row2);
    const int left = std::max(r.startColumn, used.col1);
    const int right = std::min(r.startColumn + columns - 1, used.col2);
    for (int row = std::max(top, used.row1); row <= bottom; ++row) {
        double* line = sums.data() + static_cast<std::size_t>(row - top) * static_cast<std::size_t>(columns);
        for (int col = left; col <= right; ++col) {
            const Variant v = ws.Cells(row, col).Value();
            if (!v.isEmpty()) line[col - r.startColumn] += totalValueOf(v);
        }
    }
}

// Opens, checks and reads one workbook; closes it unless it is the first.
void readWorkbook(const std::string& path, const TotalsRequest& r, Application& app, Reading& reading) {
    Workbook* wb = app.Workbooks().OpenInput(path);
    const bool first = reading.first == nullptr;
    try {
        Sheets& sheets = wb->Worksheets();
        if (sheets.Count() < r.sheetNumber)
            throw AutomationError(errc::kSubscript, "工作薄只有 " + std::to_string(sheets.Count()) + " 个工作表，没有第 " +
                                                        std::to_string(r.sheetNumber) + " 个工作表。");
        Worksheet* ws = sheets(r.sheetNumber);
        addSheet(*ws, r, reading.sums);
        if (first) {
            reading.first = wb;
            reading.template_ = ws;
        }
    } catch (...) {
        wb->Close(false);
        throw;
    }
    if (!first) wb->Close(false);
}

// The copy of the first workbook's sheet with the totals in place of the region.
Workbook* writeResult(const TotalsRequest& r, Reading& reading) {
    Workbook* out = reading.template_->Copy();
    Worksheet* sheet = out->Worksheets()(1);
    sheet->SetName(r.resultName);
    reading.first->Close(false);
    reading.first = nullptr;
    reading.template_ = nullptr;
    if (r.kind == TotalKind::Cells) {
        for (std::size_t i = 0; i < r.cells.size(); ++i) {
            Range cell = sheet->Cells(r.cells[i].row, r.cells[i].column);
            cell.ClearContents();
            cell.SetValue(Variant(reading.sums[i]));
        }
    } else {
        Range block = sheet->Cells(r.titleRows + 1, r.startColumn).Resize(r.dataRows, r.columnCount);
        block.ClearContents();
        VariantArray values(r.dataRows, r.columnCount);
        for (int i = 1; i <= r.dataRows; ++i)
            for (int j = 1; j <= r.columnCount; ++j)
                values(i, j) = Variant(reading.sums[static_cast<std::size_t>(i - 1) * r.columnCount + (j - 1)]);
        reading.sums = std::vector<double>();  // the block holds them now
        block.SetValue(values);
    }
    sheet->Activate();
    sheet->GetRange("a1").Select();
    return out;
}

}  // namespace

std::string columnEntryMessage(std::string_view text, bool end) {
    const std::string s = upper(trimmed(text));
    if (s.empty() || convert::isNumeric(s)) return {};
    const std::string name = end ? "结束列号" : "开始列号";
    if (charCount(s) > 3) return "您输入的【" + name + "】错误，请重新输入！";
    if (!capitalsOnly(s)) return "您输入的【" + name + "】不是数字或大字字母，请重新输入！";
    return {};
}

std::optional<std::string> parseCellList(std::string_view text, std::vector<TotalCell>& out) {
    out.clear();
    std::string s;
    const std::string_view fullWidthComma = "，", fullWidthBlank = "　";
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i, fullWidthComma.size()) == fullWidthComma) {
            s += ',';
            i += fullWidthComma.size();
        } else if (text.substr(i, fullWidthBlank.size()) == fullWidthBlank) {
            i += fullWidthBlank.size();
        } else {
            if (!blank(text[i])) s += text[i];
            ++i;
        }
    }
    std::size_t part = 1, from = 0;
    while (true) {
        const std::size_t comma = s.find(',', from);
        const std::string piece = s.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        CellRect rect;
        // One cell, written as one: "D3" or "$D$3"; not "D3:D5", "D:D" or "D3:D3".
        if (piece.empty() || piece.find(':') != std::string::npos || !parseReference(piece, rect) || rect.rows() != 1 ||
            rect.cols() != 1)
            return cellsMessage(part);
        out.push_back(TotalCell{piece, rect.row1, rect.col1});
        if (comma == std::string::npos) return std::nullopt;
        from = comma + 1;
        ++part;
    }
}

std::optional<TotalsRefusal> checkTotals(const TotalsTexts& t, int sheetsOfChosen, TotalsRequest& out) {
    out = TotalsRequest{};
    // The sheet position: read in every workbook, so it must exist in the chosen one.
    {
        const std::string number = trimmed(t.sheetNumber);
        const double v = convert::isNumeric(number) ? convert::leadingValue(number) : 0;
        if (number.empty() || v != std::floor(v) || v < 1 || v > std::max(sheetsOfChosen, 1))
            return TotalsRefusal{"您选择的工作表号“" + t.sheetNumber + "”不对：请选择1 到 " + std::to_string(std::max(sheetsOfChosen, 1)) +
                                     " 之间的工作表号！",
                                 "工作表号"};
        out.sheetNumber = static_cast<int>(v);
    }
    if (!convert::isNumeric(t.titleRows)) return TotalsRefusal{"您输入的标题行数不是数字，请重新输入！", "标题行数"};
    if (auto m = runs::countFrom(t.titleRows, "标题行数", 0, kMaxRows - 1, out.titleRows)) return TotalsRefusal{*m, "标题行数"};

    if (t.totalType == "单元格区域") out.kind = TotalKind::Range;
    else if (t.totalType == "指定某一列") out.kind = TotalKind::Column;
    else if (t.totalType == "指定单元格") out.kind = TotalKind::Cells;
    else return TotalsRefusal{"请在“选择想要合计的类型”中选择“单元格区域”、“指定某一列”或“指定单元格”！", "合计类型"};

    int end = 0;
    if (out.kind != TotalKind::Cells) {
        if (auto m = columnAtOk(t.position1, "开始列号", "位置1", out.startColumn)) return m;
        if (out.kind == TotalKind::Range)
            if (auto m = columnAtOk(t.position2, "结束列号", "位置2", end)) return m;
    } else {
        if (trimmed(t.position1).empty())
            return TotalsRefusal{"您未输入的【指定单元格】，“指定单元格”形式为EXCEL表格中的形式，如第3行第4个单元格为:D3，请重新输入！", "位置1"};
        if (auto m = parseCellList(t.position1, out.cells)) return TotalsRefusal{*m, "位置1"};
    }
    // The footer only counts where it is shown: the given cells have no table below them.
    const bool footer = out.kind != TotalKind::Cells && t.footer == "是";
    if (footer && t.footerRows.empty())
        return TotalsRefusal{"请正确输入表底行数，如没有表底文字，请将“表格是否有表底文字”选为“否”！", "表底文字行数"};
    if (out.kind == TotalKind::Range && end < out.startColumn)
        return TotalsRefusal{"您输入的【结束列号】小于【开始列号】，请重新输入！", "位置2"};
    out.columnCount = out.kind == TotalKind::Range ? end - out.startColumn + 1 : out.kind == TotalKind::Column ? 1 : 0;
    if (footer)
        if (auto m = runs::countFrom(t.footerRows, "表底文字行数", 0, kMaxRows - 1, out.footerRows))
            return TotalsRefusal{*m, "表底文字行数"};
    if (out.kind != TotalKind::Cells && convert::isNumeric(t.maxRows))
        if (auto m = runs::countFrom(t.maxRows, "最大行数", 0, kMaxRows, out.maxRows)) return TotalsRefusal{*m, "最大行数"};

    out.sheetName = t.sheetName;
    out.resultName = t.sheetName + "(汇总表)";
    if (std::string problem = sheetNameProblem(out.resultName); !problem.empty())
        return TotalsRefusal{"合计结果的工作表要命名为“" + out.resultName + "”，但这个名称不能使用：" + problem +
                                 "\n\n请把“工作表名称”改短或改掉不能用的字符（加上“(汇总表)”后最多31个字符），再按“确  定”。",
                             "工作表名"};
    return std::nullopt;
}

std::optional<std::string> measureTotals(Worksheet& chosen, TotalsRequest& r) {
    r.dataRows = 0;
    if (r.kind == TotalKind::Cells) {
        r.dataRows = static_cast<int>(r.cells.size());
        if (r.dataRows < 1) return std::string("没有要合计的单元格，请在【指定单元格】中输入，如：D3。") + kNothingChanged;
        return std::nullopt;
    }
    int lastRow = 0;
    std::string how;
    if (r.maxRows != 0) {
        lastRow = r.maxRows - r.footerRows;
        how = "按最大行数 " + std::to_string(r.maxRows) + "、表底文字行数 " + std::to_string(r.footerRows) + " 算，数据到第 " +
              std::to_string(lastRow) + " 行为止";
    } else {
        const CellRect used = chosen.UsedRange().rect();
        const int scanned = std::min(r.startColumn < 5 ? 5 : r.startColumn, used.col2);
        lastRow = runs::lastFilledRow(chosen, used.row2 - r.footerRows, r.titleRows, scanned);
        how = lastRow > 0 ? "工作表“" + chosen.Name() + "”的数据到第 " + std::to_string(lastRow) + " 行为止"
                          : "工作表“" + chosen.Name() + "”在标题行和表底文字之间没有数据";
    }
    const long long rows = static_cast<long long>(lastRow) - r.titleRows;
    if (rows < 1)
        return "没有要合计的数据行：" + how + "，标题行数为 " + std::to_string(r.titleRows) +
               "。请核对标题行数、表底文字行数和最大行数！" + kNothingChanged;
    if (!fitsInMemory(rows, r.columnCount))
        return "要合计的区域有 " + std::to_string(rows) + " 行 × " + std::to_string(r.columnCount) +
               " 列，内存容纳不下这么大的合计表。请用“最大行数”或列号缩小要合计的区域！" + kNothingChanged;
    r.dataRows = static_cast<int>(rows);
    return std::nullopt;
}

double totalValueOf(const Variant& v) {
    switch (v.type()) {
    case Variant::Type::Number: return v.number();
    case Variant::Type::Text: return convert::leadingValue(v.text());
    case Variant::Type::Date: return convert::leadingValue(convert::toText(v));
    default: return 0;  // empty, error values, truth values ("True" begins with no number)
    }
}

runs::RunOutcome totalBooks(const TotalsRequest& r, Application& app, const std::vector<std::string>& files,
                            Workbook*& result, runs::RunProgress* progress) {
    result = nullptr;
    if (r.dataRows < 1 || r.columns() < 1 || r.sheetNumber < 1)
        return runs::RunOutcome::refused(std::string("没有要合计的数据行或单元格。") + kNothingWritten);
    if (!fitsInMemory(r.dataRows, r.columns()))
        return runs::RunOutcome::refused(std::string("内存容纳不下这么大的合计表。请用“最大行数”或列号缩小要合计的区域！") + kNothingWritten);
    if (files.empty()) return runs::RunOutcome::refused(std::string("文件夹中没有表格文件。") + kNothingWritten);
    Reading reading;
    runs::RunOutcome out;
    const bool alerts = app.DisplayAlerts(), updating = app.ScreenUpdating();
    std::string step = "准备合计表";
    std::size_t read = 0;
    auto cleanUp = [&] {
        if (reading.first && reading.first->isOpen()) reading.first->Close(false);
        if (result && result->isOpen()) result->Close(false);
        result = nullptr;
        app.SetDisplayAlerts(alerts);
        app.SetScreenUpdating(updating);
    };
    try {
        app.SetScreenUpdating(false);
        reading.sums.assign(static_cast<std::size_t>(r.dataRows) * static_cast<std::size_t>(r.columns()), 0.0);
        auto ahead = app.Workbooks().ReadAhead(files, r.sheetNumber);
        for (const std::string& path : files) {
            if (progress) progress->reading(static_cast<int>(read) + 1, static_cast<int>(files.size()), path);
            step = "读取“" + fileNameOf(path) + "”";
            readWorkbook(path, r, app, reading);
            ++read;
        }
        step = "写合计表";
        app.SetDisplayAlerts(false);
        result = writeResult(r, reading);
        app.SetDisplayAlerts(alerts);
        app.SetScreenUpdating(updating);
    } catch (const runs::RunCancelled&) {
        cleanUp();
        out.status = runs::RunOutcome::Status::Cancelled;
        out.message = "已取消合计：已读取 " + std::to_string(read) + " 个工作薄（共 " + std::to_string(files.size()) + " 个）。\n\n" +
                      kNothingWritten;
    } catch (const std::bad_alloc&) {
        cleanUp();
        out.status = runs::RunOutcome::Status::Failed;
        out.message = "合计没有完成：" + step + "时内存不足，合计表太大。请用“最大行数”或列号缩小要合计的区域！\n\n" + kNothingWritten;
    } catch (const std::exception& e) {
        cleanUp();
        out.status = runs::RunOutcome::Status::Failed;
        out.message = "合计没有完成：" + step + "时出错：" + runs::errorText(e) + "\n\n" + kNothingWritten;
    }
    return out;
}

runs::RunOutcome runTotalBooks(const TotalsRequest& request, Application& app, const std::string& folder,
                               runs::UiService& ui, const std::function<void(const std::string&)>& openResult) {
    ui.showRunningNotice();
    runs::RunTimer timer(ui);
    runs::RunOutcome out;
    Workbook* result = nullptr;
    try {
        std::vector<std::string> files = runs::listFolder(folder);
        runs::RunProgress progress(&ui);
        out = totalBooks(request, app, files, result, &progress);
    } catch (const std::exception& e) {
        out = runs::RunOutcome::refused("合计没有完成：" + runs::errorText(e) + "\n\n" + kNothingWritten);
    }
    ui.hideRunningNotice();
    if (!out.ok()) {
        ui.inform(out.message);
        return out;
    }
    timer.report("合计完成，运行总时间：");
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
        out.message = "合计结果没有保存：" + runs::errorText(e);
        ui.inform(out.message);
        return out;
    }
    if (ui.askYesNo("合计完成，是否要打开汇总结果？", "温馨提示", runs::Icon::Question) && openResult)
        openResult(out.made.front());
    return out;
}

}  // namespace lorvane::summarize
