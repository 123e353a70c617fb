#include "compare/TwoTables.h"

#include <algorithm>
#include <cmath>

#include "automation/Constants.h"
#include "automation/Conversions.h"
#include "automation/Range.h"
#include "automation/SheetNames.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "base/CellAddress.h"
#include "runs/ColumnRef.h"
#include "runs/SheetScans.h"
#include "runs/TableLayout.h"

namespace lorvane::compare {

CompareMode compareModeOf(std::string_view text) {
    if (text == kModeMark) return CompareMode::Mark;
    if (text == kModeNotFound) return CompareMode::NotFound;
    if (text == kModeFound) return CompareMode::Found;
    return CompareMode::Both;
}

namespace {

// The entries of a list, split at every comma, the full-width comma included.
std::vector<std::string> entriesOf(std::string_view text) {
    static const std::string wide = "，";
    std::vector<std::string> out;
    std::string current;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ',') {
            out.push_back(current);
            current.clear();
            ++i;
        } else if (text.compare(i, wide.size(), wide) == 0) {
            out.push_back(current);
            current.clear();
            i += wide.size();
        } else {
            current += text[i++];
        }
    }
    out.push_back(current);
    return out;
}

bool allCapitals(std::string_view s) {
    for (char c : s)
        if (c < 'A' || c > 'Z') return false;  // the bytes of a Chinese character fail too
    return true;
}

// The words of the messages of one window for one table.
struct Words {
    const char* noBook;
    const char* noSheet;
    const char* titleRows;
    const char* noKey;
    const char* badKey;
    const char* footerRows;
    const char* table;      // the table in the messages added here: "第一个表格", "【填充表格】"
    const char* keyField;   // "对比列", "依据列"
};

const Words kCompare1 = {"您未选择第一个表格文件！", "您未选择第一个表格要对比的工作表名称！",
                         "第一个表格的标题行数未输入，或输入的行数不是数字。如果没有标题行，请输入“0”！",
                         "您未输入【表格一】中的【对比列】，请先输入！",
                         "您输入【表格一】中的【对比列】不是数字或大字字母，请重新输入！",
                         "请正确输入第一个表格的表底行数，如没有表底文字，请将“表格是否有表底文字”选为“否”！",
                         "第一个表格", "对比列"};
const Words kCompare2 = {"您未选择第二个表格文件！", "您未选择第二个表格要对比的工作表名称！",
                         "第二个表格的标题行数未输入，或输入的行数不是数字。如果没有标题行，请输入“0”！",
                         "您未输入【表格二】中的【对比列】，请先输入！",
                         "您输入【表格二】中的【对比列】不是数字或大字字母，请重新输入！",
                         "请正确输入第二个表格的表底行数，如没有表底文字，请将“表格是否有表底文字”选为“否”！",
                         "第二个表格", "对比列"};
const Words kFill1 = {"您未选择【填充表格】文件！", "您未选择【填充表格】中的【填充工作表名】！",
                      "【填充表格】中的【标题行数】未输入，或输入的行数不是数字。如果没有标题行，请输入“0”！",
                      "您未输入【填充表格】中的【依据列】，请先输入！",
                      "您输入【填充表格】中的【依据列】不是数字或大字字母，请重新输入！",
                      "请正确输入【填充表格】中的【表底文字行数】，如没有表底文字，请将【表格是否有表底文字】选为“否”！",
                      "【填充表格】", "依据列"};
const Words kFill2 = {"您未选择【调用表格】文件！", "您未选择【调用表格】中的【调用工作表名】！",
                      "【调用表格】中的【标题行数】未输入，或输入的行数不是数字。如果没有标题行，请输入“0”！",
                      "您未输入【调用表格】中的【依据列】，请先输入！",
                      "您输入【调用表格】中的【依据列】不是数字或大字字母，请重新输入！",
                      "请正确输入【调用表格】中的【表底文字行数】，如没有表底文字，请将【表格是否有表底文字】选为“否”！",
                      "【调用表格】", "依据列"};

struct OneTable {
    const std::string &book, &sheet, &titleRows, &key, &footer, &footerRows;
};

// The checks of one table, in the window's order.
std::optional<std::string> checkTable(const OneTable& t, const Words& w, const char* prompt) {
    if (t.book.empty()) return std::string(w.noBook);
    if (t.sheet == prompt) return std::string(w.noSheet);
    if (t.titleRows.empty() || !convert::isNumeric(t.titleRows)) return std::string(w.titleRows);
    int count = 0;
    if (auto m = runs::countFrom(t.titleRows, std::string(w.table) + "的标题行数", 0, kMaxRows - 1, count, true)) return m;
    if (t.key.empty()) return std::string(w.noKey);
    if (!convert::isNumeric(t.key) && (charCount(t.key) > 3 || !allCapitals(t.key))) return std::string(w.badKey);
    if (runs::columnIndex(t.key) == 0)
        return "您输入的" + std::string(w.table) + "的【" + w.keyField + "】“" + t.key +
               "”不是工作表中的列：请输入1到16384之间的整数列号，或A到XFD之间的列字母！";
    if (t.footer == "是") {
        if (!convert::isNumeric(t.footerRows)) return std::string(w.footerRows);
        if (auto m = runs::countFrom(t.footerRows, std::string(w.table) + "的表底文字行数", 0, kMaxRows - 1, count, true))
            return m;
    }
    return std::nullopt;
}

std::optional<std::string> checkList(const std::string& text, const char* field) {
    std::vector<std::string> messages = columnListMessages(text, field);
    if (!messages.empty()) return messages.front();
    std::vector<int> columns;
    const std::string where = std::string(field) == "填充列号" ? "【填充表格】中的【填充列号】" : "【调用表格】中的【调用列号】";
    return parseColumnList(text, where, columns);
}

}  // namespace

std::vector<std::string> columnListMessages(std::string_view text, std::string_view field) {
    const std::string f(field);
    if (text.empty()) return {"您未输入【填充表格】中的【" + f + "】，请先输入！"};
    if (convert::isNumeric(text)) return {};
    std::vector<std::string> out;
    for (const std::string& entry : entriesOf(text)) {
        const int length = charCount(entry);
        if (length == 0) continue;
        if (length > 3) out.push_back("您输入的【" + f + "】错误，请重新输入！");
        else if (!allCapitals(entry))
            out.push_back(length == 1 ? "您输入的【" + f + "】不是数字或大字字母，请重新输入！"
                                      : "您输入的【" + f + "】不是数字或大字字母或输入有误，请重新输入！");
    }
    return out;
}

std::optional<std::string> parseColumnList(std::string_view text, std::string_view where, std::vector<int>& out) {
    out.clear();
    const bool numeric = convert::isNumeric(text);
    const std::vector<std::string> entries = entriesOf(text);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& e = entries[i];
        const std::string place = std::string(where) + "“" + std::string(text) + "”中的第" + std::to_string(i + 1) + "个列号";
        if (e.find_first_not_of(' ') == std::string::npos)
            return place + "是空的，请检查逗号之间是否漏填了列号！";
        int column = 0;
        if (numeric) {
            double v = convert::leadingValue(e);
            if (v == std::floor(v) && v >= 1 && v <= kMaxColumns) column = static_cast<int>(v);
        } else if (allCapitals(e)) {
            column = columnNumber(e);
            if (column > kMaxColumns) column = 0;
        }
        if (column == 0)
            return place + "“" + e + "”不是工作表中的列：请输入1到16384之间的整数列号，或A到XFD之间的列字母！";
        out.push_back(column);
    }
    return std::nullopt;
}

std::optional<std::string> checkTexts(const TwoTableTexts& t, TwoTableKind kind) {
    const bool fill = kind == TwoTableKind::Fill;
    const OneTable one{t.book1, t.sheet1, t.titleRows1, t.key1, t.footer1, t.footerRows1};
    const OneTable two{t.book2, t.sheet2, t.titleRows2, t.key2, t.footer2, t.footerRows2};
    if (auto m = checkTable(one, fill ? kFill1 : kCompare1, fill ? kFillPrompt1 : kComparePrompt)) return m;
    if (fill)
        if (auto m = checkList(t.fillColumns, "填充列号")) return m;
    if (auto m = checkTable(two, fill ? kFill2 : kCompare2, fill ? kFillPrompt2 : kComparePrompt)) return m;
    if (fill) {
        if (auto m = checkList(t.sourceColumns, "调用列号")) return m;
        if (entriesOf(t.fillColumns).size() > entriesOf(t.sourceColumns).size())
            return std::string("【填充表格】中的【填充列号】数量不能大于【调用表格】中的【调用列号】数量，请核对！");
    }
    return std::nullopt;
}

int lastRowInColumn(Worksheet& ws, int column) {
    Range edge = ws.Cells(kMaxRows, column);
    if (!runs::isEmptyText(edge.Value())) return kMaxRows;
    Range last = edge.End(xlUp);
    return runs::isEmptyText(last.Value()) ? 0 : last.Row();
}

namespace {

KeyTable measure(Worksheet& ws, const std::string& titleRows, const std::string& key, const std::string& footer,
                 const std::string& footerRows) {
    KeyTable t;
    t.sheet = &ws;
    t.titleRows = static_cast<int>(convert::leadingValue(titleRows));
    t.keyColumn = runs::columnIndex(key);
    const int f = footer == "是" ? static_cast<int>(convert::leadingValue(footerRows)) : 0;
    t.footer = f > 0;
    t.footerRows = f;
    t.usedRows = ws.UsedRange().rect().row2;
    t.lastKeyRow = lastRowInColumn(ws, t.keyColumn);
    // Key cells inside the footer rows (a total, a signature) are not data.
    t.lastDataRow = std::min(t.lastKeyRow, t.usedRows - f);
    return t;
}

std::optional<std::string> planBoth(const TwoTableTexts& texts, TwoTableKind kind, Workbook* book1, Workbook* book2,
                                    TwoTablePlan& plan) {
    const bool fill = kind == TwoTableKind::Fill;
    const std::string first = fill ? "【填充表格】" : "第一个表格";
    const std::string second = fill ? "【调用表格】" : "第二个表格";
    if (auto m = checkTexts(texts, kind)) return m;
    plan = TwoTablePlan{};
    plan.kind = kind;
    if (!book1 || !book1->isOpen())
        return first + "的工作薄没有打开，请点击“选择”按钮选择表格文件！没有做任何改动。";
    const bool same = texts.sameWorkbook == "是";
    Workbook* from2 = same ? book1 : book2;
    if (!from2 || !from2->isOpen())
        return second + "的工作薄没有打开，请点击“选择”按钮选择表格文件！没有做任何改动。";
    Worksheet* sheet1 = book1->Worksheets().Find(texts.sheet1);
    if (!sheet1)
        return first + "的工作薄中没有名为“" + texts.sheet1 + "”的工作表，请重新选择工作表！没有做任何改动。";
    Worksheet* sheet2 = from2->Worksheets().Find(texts.sheet2);
    if (!sheet2)
        return second + "的工作薄中没有名为“" + texts.sheet2 + "”的工作表，请重新选择工作表！没有做任何改动。";
    plan.book1 = book1;
    plan.book2 = book2 && book2 != book1 ? book2 : nullptr;

    plan.one = measure(*sheet1, texts.titleRows1, texts.key1, texts.footer1, texts.footerRows1);
    plan.two = measure(*sheet2, texts.titleRows2, texts.key2, texts.footer2, texts.footerRows2);
    if (plan.one.dataRows() == 0)
        return first + "“" + sheet1->Name() + "”在标题行（" + std::to_string(plan.one.titleRows) +
               "行）以下没有数据行，请核对标题行数、" + (fill ? "依据列" : "对比列") + "和表底文字行数！没有做任何改动。";

    // Table one's width: its widest title row (rows 1-10 without titles), over the whole sheet width.
    const int scanRows = std::min(plan.one.titleRows > 0 ? plan.one.titleRows : 10, plan.one.usedRows);
    for (int r = 1; r <= scanRows; ++r) plan.lastColumn = std::max(plan.lastColumn, runs::lastColumnInRow(*sheet1, r));

    // A result sheet replaces any sheet of its name: never one the run reads.
    auto readSheetNamed = [&](const std::string& name) -> std::string {
        if (sheetNamesEqual(name, sheet1->Name())) return first + "“" + sheet1->Name() + "”";
        if (sheet2->Parent() == book1 && sheetNamesEqual(name, sheet2->Name())) return second + "“" + sheet2->Name() + "”";
        return {};
    };
    if (!fill) {
        plan.mode = compareModeOf(texts.mode);
        std::vector<std::string> results;
        if (plan.mode == CompareMode::NotFound || plan.mode == CompareMode::Both) results.push_back(kNotFoundSheet);
        if (plan.mode == CompareMode::Found || plan.mode == CompareMode::Both) results.push_back(kFoundSheet);
        for (const std::string& name : results)
            if (std::string read = readSheetNamed(name); !read.empty())
                return "对比结果要放在新建的工作表“" + name + "”中，而" + read +
                       "正是这个名称：新建时会先删除同名的工作表，要对比的表格会被删除。\n\n请先给该工作表改名！没有做任何改动。";
        return std::nullopt;
    }

    const std::string where1 = "【填充表格】中的【填充列号】", where2 = "【调用表格】中的【调用列号】";
    if (auto m = parseColumnList(texts.fillColumns, where1, plan.fillColumns)) return m;
    if (auto m = parseColumnList(texts.sourceColumns, where2, plan.sourceColumns)) return m;
    plan.sourceColumns.resize(plan.fillColumns.size());
    plan.resultName = sheet1->Name() + kFillSuffix;
    if (charCount(plan.resultName) > kMaxSheetNameChars)
        return "填充结果要放在新建的工作表“" + plan.resultName + "”中，但工作表名称最多31个字符：请先把" + first + "“" +
               sheet1->Name() + "”的名称改短到" + std::to_string(kMaxSheetNameChars - charCount(kFillSuffix)) +
               "个字符以内！没有做任何改动。";
    if (std::string read = readSheetNamed(plan.resultName); !read.empty())
        return "填充结果要放在新建的工作表“" + plan.resultName + "”中，而" + read +
               "正是这个名称：新建时会先删除同名的工作表，要调用的表格会被删除。\n\n请先给该工作表改名！没有做任何改动。";
    return std::nullopt;
}

}  // namespace

std::optional<std::string> planTwoTables(const TwoTableTexts& texts, TwoTableKind kind, Workbook* book1, Workbook* book2,
                                         TwoTablePlan& plan) {
    try {
        return planBoth(texts, kind, book1, book2, plan);
    } catch (const std::exception& e) {
        plan = TwoTablePlan{};
        return "读取表格时出错：" + runs::errorText(e) + "\n\n没有做任何改动。";
    }
}

void closeSecondWorkbook(const TwoTablePlan& plan) {
    if (!plan.book2) return;
    try {
        if (plan.book2->isOpen()) plan.book2->Close(false);
    } catch (const std::exception&) {
    }
}

}  // namespace lorvane::compare
