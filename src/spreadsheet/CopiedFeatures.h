#pragma once
// What a copy carries besides cells: the conditional formats and validations over the copied
// cells, and a copied sheet's tables, which become tables of their own in the target workbook.
#include "spreadsheet/BookData.h"
#include "spreadsheet/Package.h"

namespace lorvane::sheet {

// The conditional formats and validations of `from` over `src`, cut to it, moved by
// (dRow, dCol) and added to `to` (whose own rules over the target block give way first).
// Relative references inside their formulas move with them; differential formats are
// brought into `toBook` when it is another workbook.
void copyRangeRules(const BookData& fromBook, const SheetData& from, const CellRect& src, BookData& toBook, SheetData& to,
                    int dRow, int dCol);

// For a sheet copy's package: conditional formats re-pointed at differential formats of
// `toBook` (copied there when it is another workbook).
void remapConditionalFormats(SheetPackage& copy, const BookData& fromBook, BookData& toBook);

// The tables of `source` carried into its copy's package, each with a table name and id no
// other table of `toBook` has.
void carryTables(const SheetData& source, const BookData& fromBook, const BookData& toBook, SheetPackage& copy);

}  // namespace lorvane::sheet
