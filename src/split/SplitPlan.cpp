#include "split/SplitPlan.h"

#include <algorithm>

#include "automation/Application.h"
#include "base/AutomationError.h"
#include "base/CellAddress.h"
#include "automation/Constants.h"
#include "automation/SheetNames.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "runs/NameSet.h"

namespace lorvane::split {

namespace {

std::string rowNote(const KeyRows& k) { return "“" + k.text + "”（第" + std::to_string(k.rows.front()) + "行）"; }

// Every key's text as a name for `use`, and no two alike; the problems, one line each.
std::vector<std::string> keyProblems(const std::vector<KeyRows>& keys, NameUse use) {
    std::vector<std::string> problems;
    runs::NameSet seen;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const KeyRows& k = keys[i];
        if (k.key.isError()) {
            problems.push_back(rowNote(k) + "：单元格是错误值。");
            continue;
        }
        if (std::string p = keyNameProblem(k.text, use); !p.empty()) {
            problems.push_back(rowNote(k) + "：" + p);
            continue;
        }
        std::string name = use == NameUse::File ? workbookFileName(k.text) : k.text;
        int earlier = seen.insert(name, static_cast<int>(i));
        if (earlier < 0) continue;
        const KeyRows& other = keys[static_cast<std::size_t>(earlier)];
        std::string how = other.text == k.text                  ? "转成文字后相同"
                          : sheetNamesEqual(other.text, k.text) ? "只有字母大小写不同"
                                                                : "的文件名相同";
        problems.push_back(rowNote(k) + "与" + rowNote(other) + how + "。");
    }
    return problems;
}

// Whether a visible sheet remains once the sheets named like a key are deleted.
bool visibleSheetRemains(Workbook& source, const std::vector<KeyRows>& keys) {
    runs::NameSet keyNames;
    for (std::size_t i = 0; i < keys.size(); ++i) keyNames.insert(keys[i].text, static_cast<int>(i));
    for (Worksheet* ws : source.Worksheets().all())
        if (keyNames.find(ws->Name()) < 0 && ws->Visible()) return true;
    return false;
}

std::optional<std::string> planMasterSplit(const SplitRequest& request, Workbook& source, NameUse use, SplitPlan& plan);

}  // namespace

std::optional<std::string> planSplit(const SplitRequest& request, Workbook& source, NameUse use, SplitPlan& plan) {
    // Reading a master can fail (memory, a closed workbook): that is a refusal like the others,
    // made before anything has changed.
    try {
        return planMasterSplit(request, source, use, plan);
    } catch (const std::exception& e) {
        plan = SplitPlan{};
        return "读取总表时出错：" + runs::errorText(e) + "\n\n拆分已停止，" +
               (use == NameUse::Sheet ? "工作簿没有任何改动。" : "没有写入任何文件。");
    }
}

namespace {

std::optional<std::string> planMasterSplit(const SplitRequest& request, Workbook& source, NameUse use, SplitPlan& plan) {
    plan = SplitPlan{};
    runs::TableLayout given;
    if (auto m = runs::convertLayout(request, kKeyField, given)) return m;
    Worksheet* master = source.Worksheets().Find(request.sheetName);
    if (!master) return "工作簿中没有名为“" + request.sheetName + "”的工作表，请核对总表名称！没有做任何改动。";
    plan.master = master;

    if (auto refusal = runs::measureTable(*master, given, plan, "总表")) return refusal;
    plan.keys = collectKeyRows(*master, plan.layout.keyColumn, plan.layout.titleRows + 1, plan.lastDataRow);

    if (use == NameUse::Sheet)
        for (const KeyRows& k : plan.keys)
            if (!k.key.isError() && sheetNamesEqual(k.text, master->Name()))
                return "拆分依据列中的值" + rowNote(k) + "与总表名称“" + master->Name() +
                       "”相同：拆分时要先删除与拆分值同名的工作表，总表本身会被删除，数据将无法找回。\n\n"
                       "拆分已停止，工作簿没有任何改动。请核对总表名称和拆分依据列！";
    std::vector<std::string> problems = keyProblems(plan.keys, use);
    if (!problems.empty()) {
        std::string text = use == NameUse::Sheet
            ? "拆分依据列中有不能用作工作表名称的值，拆分已停止，工作簿没有任何改动：\n"
            : "拆分依据列中有不能用作文件名的值，拆分已停止，没有写入任何文件：\n";
        const std::size_t limit = 20;
        for (std::size_t i = 0; i < problems.size() && i < limit; ++i) text += "\n" + problems[i];
        if (problems.size() > limit) text += "\n……等共 " + std::to_string(problems.size()) + " 处";
        text += "\n\n请修改这些值后再拆分。";
        return text;
    }
    if (use == NameUse::Sheet && !visibleSheetRemains(source, plan.keys))
        return "总表“" + master->Name() + "”是隐藏的工作表，删除与拆分值同名的工作表后工作簿将没有可见的工作表。"
               "\n\n拆分已停止，工作簿没有任何改动。请先取消隐藏总表！";
    return std::nullopt;
}

}  // namespace

void MasterFormats::prepare() {
    std::size_t widest = 0;
    for (const KeyRows& k : plan_.keys) widest = std::max(widest, k.rows.size());
    const int titleRows = plan_.layout.titleRows;
    const int cut = plan_.usedRows - titleRows - static_cast<int>(widest) - (plan_.footerTaken ? plan_.layout.footerRows : 0);
    if (plan_.keys.size() < 2 || cut <= 0) return;
    Sheets& sheets = plan_.master->Parent()->Worksheets();
    copy_ = sheets.AddAfter(sheets(sheets.Count()));
    // The automatic name ("Sheet3") may be the very name a key's sheet needs later.
    copy_->SetName(helperSheetName());
    copy_->SetVisible(false);
    copy_->PasteFormatsLeavingOutRows(*plan_.master, titleRows + static_cast<int>(widest) + 1, cut);
    cut_ = cut;
}

std::string MasterFormats::helperSheetName() const {
    runs::NameSet taken;
    for (std::size_t i = 0; i < plan_.keys.size(); ++i) taken.insert(plan_.keys[i].text, 0);
    for (Worksheet* ws : plan_.master->Parent()->Worksheets().all())
        if (ws != copy_) taken.insert(ws->Name(), 0);
    std::string name = "拆分格式";
    for (int n = 2; taken.find(name) >= 0; ++n) name = "拆分格式 (" + std::to_string(n) + ")";
    return name;
}

void MasterFormats::remove() {
    if (!copy_) return;
    Application* app = copy_->Parent()->Parent();
    bool alerts = app->DisplayAlerts();
    app->SetDisplayAlerts(false);
    if (copy_->alive()) copy_->Delete();
    app->SetDisplayAlerts(alerts);
    copy_ = nullptr;
    cut_ = 0;
}

void MasterFormats::pasteInto(Worksheet& target, int k) const {
    Worksheet& from = copy_ ? *copy_ : *plan_.master;
    from.Cells().Copy();
    Range a1 = target.GetRange("a1");
    a1.PasteSpecial(xlPasteFormats, xlPasteSpecialOperationNone, false, false);
    const int titleRows = plan_.layout.titleRows;
    long long below = static_cast<long long>(plan_.usedRows) - k - titleRows -
                      (plan_.footerTaken ? plan_.layout.footerRows : 0) - cut_;
    if (below > 0) a1.Offset(titleRows + k, 0).Resize(static_cast<int>(below), 1).EntireRow().Delete();
}

void writeKeySheet(const SplitPlan& plan, const KeyRows& key, Worksheet& target, FormatOrder order,
                   const MasterFormats& formats) {
    const runs::TableLayout& layout = plan.layout;
    Worksheet& master = *plan.master;
    const int k = static_cast<int>(key.rows.size());
    const int titleRows = layout.titleRows, cols = layout.maxColumns, footerRows = layout.footerRows;

    // The key's rows, read cell by cell.
    VariantArray block(k, cols);
    for (int m = 1; m <= k; ++m)
        for (int c = 1; c <= cols; ++c) block(m, c) = master.Cells(key.rows[m - 1], c).Value();

    // The text format covers the rows of the used range that stay on the sheet: titles and data,
    // and for split workbooks (where it outlasts the master's formats) the footer rows that
    // come up under them. Values written into it become texts.
    Range a1 = target.GetRange("a1");
    auto textFormat = [&](int rows) {
        if (int upper = std::min(plan.usedRows, rows); upper >= 1) a1.Resize(upper, cols).SetNumberFormat("@");
    };
    if (order == FormatOrder::FormatsFirst) {
        formats.pasteInto(target, k);
        textFormat(titleRows + k + (plan.footerTaken ? footerRows : 0));
    } else {
        textFormat(titleRows + k);
    }
    if (plan.titles.rows() > 0) a1.Resize(plan.titles.rows(), cols).SetValue(plan.titles);
    if (k > 0) a1.Offset(titleRows, 0).Resize(k, cols).SetValue(block);
    if (order == FormatOrder::TextFirst) formats.pasteInto(target, k);
    if (plan.footerTaken) a1.Offset(titleRows + k, 0).Resize(footerRows, cols).SetValue(plan.footer);
    a1.Select();
}

}  // namespace lorvane::split
