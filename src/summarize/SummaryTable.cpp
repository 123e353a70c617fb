#include "summarize/SummaryTable.h"

#include <algorithm>

#include "automation/Constants.h"
#include "automation/Worksheet.h"
#include "base/CellAddress.h"
#include "runs/SheetScans.h"

namespace lorvane::summarize {

SheetMeasure measureSourceSheet(Worksheet& ws, const runs::TableLayout& layout) {
    SheetMeasure m;
    const CellRect used = ws.UsedRange().rect();
    m.usedRows = used.row2;
    const int bottom = used.row2 - layout.footerRows;
    // Columns past the used range hold nothing: a typed maximum costs what the sheet holds.
    m.lastColumn = std::min(layout.maxColumns, used.col2);
    if (layout.maxColumns == 0)
        for (int t = 1; t <= std::min(layout.titleRows, used.row2); ++t)
            m.lastColumn = std::max(m.lastColumn, runs::lastColumnInRow(ws, t));
    if (layout.keyColumn == 0) {
        m.lastRow = runs::lastFilledRow(ws, bottom, layout.titleRows, m.lastColumn);
    } else {
        for (int r = bottom; r > layout.titleRows && m.lastRow == 0; --r)
            if (!runs::isEmptyText(ws.Cells(r, layout.keyColumn).Value())) m.lastRow = r;
    }
    return m;
}

void readRows(Worksheet& ws, int firstRow, int lastRow, int columns, VariantArray& block, int at) {
    for (int r = firstRow; r <= lastRow; ++r, ++at)
        for (int c = 1; c <= columns; ++c) block(at, c) = ws.Cells(r, c).Value();
}

void pasteFormatsFor(Worksheet& first, Worksheet& summary, const runs::TableLayout& layout, int firstUsedRows, int rows) {
    first.Cells().Copy();
    summary.GetRange("a1").PasteSpecial(xlPasteFormats);
    const int footerStart = firstUsedRows - layout.footerRows;
    if (rows > footerStart)
        summary.Rows(layout.titleRows + 2).Resize(rows - footerStart, 1).EntireRow().Insert();
    else if (rows < footerStart)
        summary.Rows(layout.titleRows + 1).Resize(footerStart - rows, 1).EntireRow().Delete();
}

void placeFooter(Worksheet& first, Worksheet& summary, const runs::TableLayout& layout, int firstUsedRows, int rows) {
    if (layout.footerRows <= 0) return;
    const int footerStart = firstUsedRows - layout.footerRows;
    Range below = summary.Rows(rows + 1).Resize(layout.footerRows, 1).EntireRow();
    if (layout.keep && footerStart >= 0) first.Rows(footerStart + 1).Resize(layout.footerRows, 1).EntireRow().Copy(below);
    else below.Delete();
}

}  // namespace lorvane::summarize
