#pragma once
// Reading and writing one cell of the engine as a Variant, by the object model's rules.
#include "automation/Variant.h"
#include "spreadsheet/BookData.h"

namespace lorvane {

// The value of a cell (a formula cell gives its cached result); a number in a date format reads as a date.
Variant readCell(const sheet::BookData& book, const sheet::SheetData& sheet, int row, int col);
Variant readCell(const sheet::BookData& book, const sheet::Cell* cell);

// Stores a value. In a text-formatted ("@") cell every value is stored as its text; a date
// written into a cell with the General format gets a date format, as typing it would.
void writeCell(sheet::BookData& book, sheet::SheetData& sheet, int row, int col, const Variant& v);

// After rows/columns of `changed` moved (count > 0 inserted at `at`, count < 0 deleted from
// `at`): moves every reference of the workbook to its cells (formulas, names, conditional
// formats, validations, tables, comments, drawings...) and marks the formulas that changed.
void shiftFormulas(sheet::BookData& book, sheet::SheetData& changed, bool rows, int at, int count);

}  // namespace lorvane
