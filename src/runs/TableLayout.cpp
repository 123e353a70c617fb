#include "runs/TableLayout.h"

#include <algorithm>
#include <cmath>

#include "automation/Conversions.h"
#include "automation/Range.h"
#include "automation/Worksheet.h"
#include "base/CellAddress.h"
#include "runs/ColumnRef.h"
#include "runs/SheetScans.h"

namespace lorvane::runs {

std::optional<std::string> countFrom(std::string_view text, std::string_view field, int low, int high, int& out,
                                     bool whole) {
    double read = convert::leadingValue(text);
    if (whole && read != std::floor(read))
        return "您输入的" + std::string(field) + "“" + std::string(text) + "”不是整数，请输入" + std::to_string(low) + "到" +
               std::to_string(high) + "之间的整数！";
    double v = convert::roundHalfEven(read);
    if (!(v >= low && v <= high))
        return "您输入的" + std::string(field) + "“" + std::string(text) + "”超出范围，请输入" + std::to_string(low) + "到" +
               std::to_string(high) + "之间的数！";
    out = static_cast<int>(v);
    return std::nullopt;
}

std::optional<std::string> convertLayout(const TableLayoutTexts& r, std::string_view keyField, TableLayout& out,
                                         LayoutRules rules) {
    out.keyColumn = 0;
    if (r.keyColumn.empty()) {
        if (rules.keyRequired) return "您未输入【" + std::string(keyField) + "】，请先输入！";
    } else {
        if (std::string m = keyColumnMessage(r.keyColumn, keyField); !m.empty()) return m;
        if (std::string m = columnRangeMessage(r.keyColumn, keyField); !m.empty()) return m;
        out.keyColumn = columnIndex(r.keyColumn);
    }
    if (!convert::isNumeric(r.titleRows))
        return std::string("您未输入标题行数或输入的标题行数不是数字，请重新输入！\n\n如果没有标题行，请输入“0”！");
    const bool whole = rules.wholeCounts;
    if (auto m = countFrom(r.titleRows, "标题行数", 0, kMaxRows - 1, out.titleRows, whole)) return m;
    if (auto m = countFrom(r.maxRows, "最大行数", 0, kMaxRows, out.maxRows, whole)) return m;
    if (auto m = countFrom(r.maxColumns, "最大列数", 0, kMaxColumns, out.maxColumns, whole)) return m;
    if (auto m = countFrom(r.footerRows, "表底文字行数", 0, kMaxRows - 1, out.footerRows, whole)) return m;
    out.footerFlag = r.footerFlag == "是";
    out.keep = r.keep == "是";
    return std::nullopt;
}

std::optional<std::string> measureTable(Worksheet& ws, const TableLayout& given, MeasuredTable& out, std::string_view role) {
    out = MeasuredTable{};
    out.layout = given;
    TableLayout& layout = out.layout;
    // The used range by sheet rows: a table that does not begin in A1 keeps its row numbers.
    const CellRect used = ws.UsedRange().rect();
    out.usedRows = used.row2;
    if (layout.maxColumns == 0) {
        // The widest of the title rows (of rows 1-10 when there are none).
        int scanRows = std::min(layout.titleRows > 0 ? layout.titleRows : 10, out.usedRows);
        for (int i = 1; i <= scanRows; ++i) layout.maxColumns = std::max(layout.maxColumns, lastColumnInRow(ws, i));
    }
    layout.maxColumns = std::max(1, std::min(layout.maxColumns, used.col2));
    if (layout.maxRows == 0)
        out.lastDataRow = lastFilledRow(ws, out.usedRows - layout.footerRows, layout.titleRows, layout.maxColumns);
    else  // the entry counts the footer rows
        out.lastDataRow = std::min(layout.maxRows - layout.footerRows, out.usedRows);

    if (layout.footerFlag && layout.keep && layout.footerRows >= 1) {
        int first = out.usedRows - layout.footerRows + 1;
        if (first < 1)
            return "表底文字行数（" + std::to_string(layout.footerRows) + "）多于" + std::string(role) + "已用的行数（" +
                   std::to_string(out.usedRows) + "），请核对表底文字行数！没有做任何改动。";
        out.footer = ws.Cells(first, 1).Resize(layout.footerRows, layout.maxColumns).Values();
        out.footerTaken = true;
    }
    if (int rows = std::min(layout.titleRows, out.usedRows); rows > 0)
        out.titles = ws.GetRange("A1").Resize(rows, layout.maxColumns).Values();
    return std::nullopt;
}

}  // namespace lorvane::runs
