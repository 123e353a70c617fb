#pragma once
// What both summaries share: measuring a source sheet (its last column and last data row over
// the sheet's real bounds) and laying out the summary sheet from the first data sheet's formats.
#include "automation/Variant.h"
#include "runs/TableLayout.h"

namespace lorvane {
class Worksheet;
}

namespace lorvane::summarize {

// A source sheet as the summaries measure it.
struct SheetMeasure {
    int usedRows = 0;    // last row of the used range
    int lastColumn = 0;  // 最大列数, or the widest title row; never past the used range
    int lastRow = 0;     // last data row; at most the title rows when the sheet has no data
    bool hasData(const runs::TableLayout& layout) const { return lastRow > layout.titleRows; }
};

// Bottom = the used range's last row less the footer rows; the last row from the key column's
// lowest filled cell, or without a key column the lowest filled cell of columns 1..lastColumn.
SheetMeasure measureSourceSheet(Worksheet& ws, const runs::TableLayout& layout);

// Reads rows firstRow..lastRow, columns 1..columns, of `ws` into `block` from its row `at`.
void readRows(Worksheet& ws, int firstRow, int lastRow, int columns, VariantArray& block, int at);

// The first data sheet's formats pasted onto the empty `summary`, with its footer formats moved
// to just below `rows` collected rows (one block insert or delete); `firstUsedRows` is the
// first data sheet's last used row.
void pasteFormatsFor(Worksheet& first, Worksheet& summary, const runs::TableLayout& layout, int firstUsedRows, int rows);

// Below the `rows` written rows: the first data sheet's footer (values and formats) when kept,
// else the footer formats carried over are deleted.
void placeFooter(Worksheet& first, Worksheet& summary, const runs::TableLayout& layout, int firstUsedRows, int rows);

}  // namespace lorvane::summarize
