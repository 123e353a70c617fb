#include "extract/ExtractPlan.h"

#include <algorithm>
#include <filesystem>

#include "automation/Conversions.h"
#include "automation/SheetNames.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "base/CellAddress.h"
#include "runs/ColumnRef.h"
#include "runs/RunOutcome.h"
#include "runs/TableLayout.h"

namespace lorvane::extract {

namespace fs = std::filesystem;

SheetExtent extentOf(Worksheet& ws) {
    const CellRect used = ws.UsedRange().rect();
    return {used.col2, used.row2};
}

std::optional<std::string> titleRowsFrom(std::string_view text, int& out) {
    if (text.empty()) return std::string(kTitleRowsEmpty);
    if (!convert::isNumeric(text)) return std::string(kTitleRowsNotNumber);
    return runs::countFrom(text, "标题行数", 0, kMaxRows - 1, out, true);
}

std::string resultFileBeside(const Workbook& source) {
    if (source.Path().empty()) return {};
    std::string base = source.Name();
    if (auto dot = base.rfind('.'); dot != std::string::npos) base.resize(dot);
    return (fs::path(source.Path()) / (base + kResultSuffix + ".xlsx")).string();
}

namespace {

std::string columnName(int c) { return columnLetters(c) + "（第" + std::to_string(c) + "列）"; }

std::optional<std::string> checkOutputFile(const ExtractRequest& request, const Workbook& source, ExtractPlan& plan) {
    std::string path = request.outputPath.empty() ? resultFileBeside(source) : request.outputPath;
    if (path.empty())
        return std::string("源工作薄还没有保存到文件夹中，无法在它旁边保存提取结果，请先保存源工作薄或选择“提取到本工作薄”。");
    fs::path p = fs::absolute(path).lexically_normal();
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext != ".xlsx") p += ".xlsx";
    std::error_code ec;
    if (fs::is_directory(p, ec)) return "“" + p.string() + "”是一个文件夹，无法用这个名称保存提取结果。没有做任何改动。";
    if (!source.FullName().empty() && fs::equivalent(p, fs::path(source.FullName()), ec))
        return "提取结果不能保存在源文件“" + p.string() + "”上：源文件不会被改写。";
    plan.outputPath = p.string();
    return std::nullopt;
}

std::optional<std::string> planOrRefuse(const ExtractRequest& request, Workbook& source, ExtractPlan& plan) {
    plan = ExtractPlan{};
    if (request.sheetName.empty() || request.sheetName == kSheetListPrompt)
        return std::string("您还未选择需要提取的工作表，请先选择要提取的工作表名！");
    Worksheet* ws = source.Worksheets().Find(request.sheetName);
    if (!ws) return "工作簿中没有名为“" + request.sheetName + "”的工作表，请从列表中选择要提取的工作表！";
    plan.sheet = ws;
    if (auto m = titleRowsFrom(request.titleRows, plan.titleRows)) return m;

    SheetExtent extent = extentOf(*ws);
    plan.lastColumn = extent.lastColumn;
    plan.lastRow = extent.lastRow;
    if (request.boxLimit > 0 && plan.lastColumn > request.boxLimit)
        return std::string(request.boxLimit <= kNameBoxes ? kNameFormLimit : kNumberFormLimit);

    plan.columns = request.columns;
    std::sort(plan.columns.begin(), plan.columns.end());
    plan.columns.erase(std::unique(plan.columns.begin(), plan.columns.end()), plan.columns.end());
    if (plan.columns.empty()) return std::string("您还未勾选需要提取的列，请先勾选要提取的列！");
    for (int c : plan.columns)
        if (c < 1 || c > plan.lastColumn)
            return (c >= 1 && c <= kMaxColumns ? columnName(c) : "第" + std::to_string(c) + "列") + "不在工作表“" +
                   ws->Name() + "”的已用区域内（最后一列是" + columnName(plan.lastColumn) + "），请重新选择要提取的列！";

    if (plan.lastRow <= plan.titleRows)
        return "工作表“" + ws->Name() + "”在标题行以下没有数据行（已用区域到第" + std::to_string(plan.lastRow) +
               "行，标题行数为" + std::to_string(plan.titleRows) + "），无法提取！请核对标题行数。";

    plan.resultName = ws->Name() + kResultSuffix;
    if (std::string p = sheetNameProblem(plan.resultName); !p.empty())
        return "提取结果的工作表名称“" + plan.resultName + "”不能使用：" + p + "\n\n请先把工作表“" + ws->Name() +
               "”改成较短的名称（最多" + std::to_string(kMaxSheetNameChars - charCount(kResultSuffix)) + "个字符）再提取。";
    if (request.target == ExtractTarget::NewWorkbook)
        if (auto m = checkOutputFile(request, source, plan)) return m;
    return std::nullopt;
}

}  // namespace

std::optional<std::string> planExtract(const ExtractRequest& request, Workbook& source, ExtractPlan& plan) {
    try {
        return planOrRefuse(request, source, plan);
    } catch (const std::exception& e) {
        plan = ExtractPlan{};
        return "读取工作表时出错：" + runs::errorText(e) + "\n\n提取已停止，没有做任何改动。";
    }
}

void deleteOtherColumns(Worksheet& ws, int lastColumn, const std::vector<int>& kept) {
    auto k = kept.rbegin();
    int c = lastColumn;
    while (c >= 1) {
        while (k != kept.rend() && *k > c) ++k;
        if (k != kept.rend() && *k == c) {
            --c;
            continue;
        }
        // Columns from the next kept one (exclusive) up to c go together.
        int first = k == kept.rend() ? 1 : *k + 1;
        ws.Cells(1, first).Resize(1, c - first + 1).EntireColumn().Delete();
        c = first - 1;
    }
}

std::optional<std::string> parseColumnList(std::string_view text, std::vector<int>& out) {
    out.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view part = text.substr(start, end - start);
        while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
        int c = runs::columnIndex(part);
        if (c == 0)
            return "“" + std::string(part) + "”不是列：请用大写列字母（如 B）或列号（如 2），多个列用逗号分隔，如 B,C,F 或 2,3,6。";
        out.push_back(c);
        start = end + 1;
    }
    return std::nullopt;
}

}  // namespace lorvane::extract
