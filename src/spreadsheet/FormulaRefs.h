#pragma once
// Moving the cell references inside formula texts when rows or columns of a sheet are
// inserted or deleted, or a sheet is renamed or deleted.
#include <string>
#include <string_view>

namespace lorvane::sheet {

enum class Axis { Rows, Columns };

// Rewrites the references of `formula` that point into sheet `changed` after `count` rows or
// columns were inserted at `at` (count > 0) or deleted from `at` (count < 0). `onChangedSheet`
// tells whether unqualified references (no "Sheet!" prefix) point into that sheet.
// References to deleted cells become #REF!. Returns true when anything changed.
bool shiftReferences(std::string& formula, std::string_view changed, bool onChangedSheet, Axis axis, int at, int count);

// Qualified references to sheet `from` are made to name `to`; with `to` empty they become #REF!.
bool renameSheetReferences(std::string& formula, std::string_view from, std::string_view to);

// Moves the relative parts of every reference by (rows, cols), as copying a formula to another
// cell does (also how a shared formula reads at a cell other than its anchor). Absolute parts
// ($A$1) stay; a reference pushed off the sheet becomes #REF!. Returns true when anything changed.
bool offsetReferences(std::string& formula, int rows, int cols);

// "Sheet1" stays as it is; names with spaces or punctuation are quoted: 'My sheet'.
std::string quotedSheetName(std::string_view name);

}  // namespace lorvane::sheet
