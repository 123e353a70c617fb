#pragma once
// Keeping a workbook consistent when rows or columns of one of its sheets are inserted or
// deleted. SheetData moves the cells, row and column records and merged areas; this carries
// the same edit through everything else that names cells of that sheet.
#include "spreadsheet/BookData.h"
#include "spreadsheet/FormulaRefs.h"

namespace lorvane::sheet {

// Call after the cells of `sheet` were moved by the edit. Moves, shrinks or drops:
// - formula references of every sheet and of the defined names that point into `sheet`
//   (formulas that changed lose their cached result); print areas and titles lose the areas
//   that were deleted, and go when none is left;
// - the cell markers kept from the file (cm, vm, array-formula ranges), with their cells;
// - the sheet's conditional formats, data validations (their ranges and formulas), hyperlinks,
//   autofilter, sort state, protected ranges, ignored-error ranges and page breaks, and the
//   formulas of other sheets' conditional formats and validations that point here;
// - the sheet's tables (range, autofilter, column list), comments and their note shapes,
//   picture, chart and shape anchors, and the series references of every chart.
// What cannot be moved correctly (a table cut by a partial shift or losing its header row, a
// part that does not parse) is removed with its relationship, so no part is left pointing at
// the wrong cells; the writer then leaves out the part and its content type.
void shiftSheetStructure(BookData& book, SheetData& sheet, const StructureEdit& edit);

}  // namespace lorvane::sheet
