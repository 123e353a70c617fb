#pragma once
// Moving the cell references inside formula texts when rows or columns of a sheet are
// inserted or deleted, or a sheet is renamed or deleted.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/CellAddress.h"

namespace lorvane::sheet {

enum class Axis { Rows, Columns };

// One structure change of a sheet: `count` rows (Axis::Rows) or columns inserted at `at`
// (count > 0) or deleted from `at` on (count < 0). A partial-range shift (cells shifted down or
// up, right or left) moves only the band `bandFirst..bandLast` of the other axis (columns for a
// row shift); bandLast == 0 means the whole sheet width, as for entire rows or columns.
struct StructureEdit {
    Axis axis = Axis::Rows;
    int at = 1;
    int count = 0;
    int bandFirst = 1, bandLast = 0;

    bool whole() const { return bandLast == 0; }
    int limit() const { return axis == Axis::Rows ? kMaxRows : kMaxColumns; }
    static StructureEdit rows(int at, int count) { return {Axis::Rows, at, count, 1, 0}; }
    static StructureEdit columns(int at, int count) { return {Axis::Columns, at, count, 1, 0}; }
};

// The span lo..hi of the edit's axis after the edit: moved, grown (an insert inside it),
// shrunk (a delete that cuts it) or nullopt when every row (column) of it is deleted or pushed
// off the sheet. A span that covers the whole axis (a whole column A:A on a row edit) stays whole.
std::optional<std::pair<int, int>> moveSpan(int lo, int hi, const StructureEdit& e);

// A referenced area after the edit, as a formula reference moves: nullopt when it is deleted.
// A partial-range shift moves only areas that lie within its band; the rest keep their place.
std::optional<CellRect> moveArea(const CellRect& area, const StructureEdit& e);

// An area of a range list (conditional formats, validations, ...) after the edit: the part in a
// partial shift's band moves, the parts beside it stay, so one area may become up to three;
// none when all of it is deleted.
std::vector<CellRect> moveAreaSplitting(const CellRect& area, const StructureEdit& e);

// A space-separated range list ("A1:B5 D3") after the edit; areas deleted are left out, so the
// result is empty when nothing remains. `changed` tells whether anything moved. A list that does
// not parse is returned as it is (changed = false).
std::string moveSqref(std::string_view sqref, const StructureEdit& e, bool* changed = nullptr);

// Rewrites the references of `formula` that point into sheet `changed` after `count` rows or
// columns were inserted at `at` (count > 0) or deleted from `at` (count < 0). `onChangedSheet`
// tells whether unqualified references (no "Sheet!" prefix) point into that sheet.
// References to deleted cells become #REF!. Returns true when anything changed.
bool shiftReferences(std::string& formula, std::string_view changed, bool onChangedSheet, Axis axis, int at, int count);
// The same for any structure edit, partial-range shifts included. References into other
// workbooks ("[1]Sheet1!A1") never move, whatever their sheet is called.
bool shiftReferences(std::string& formula, std::string_view changed, bool onChangedSheet, const StructureEdit& e);

// Qualified references to sheet `from` are made to name `to`; with `to` empty they become #REF!.
bool renameSheetReferences(std::string& formula, std::string_view from, std::string_view to);

// Moves the relative parts of every reference by (rows, cols), as copying a formula to another
// cell does (also how a shared formula reads at a cell other than its anchor). Absolute parts
// ($A$1) stay; a reference pushed off the sheet becomes #REF!. Returns true when anything changed.
bool offsetReferences(std::string& formula, int rows, int cols);

// "Sheet1" stays as it is; names with spaces or punctuation are quoted: 'My sheet'.
std::string quotedSheetName(std::string_view name);

}  // namespace lorvane::sheet
