#pragma once
// Scans of a sheet over its real bounds (1,048,576 rows, 16,384 columns): the last filled
// column of a row and the last filled row of a block of columns.
#include "automation/Variant.h"

namespace lorvane {
class Worksheet;
}

namespace lorvane::runs {

// Empty, or a text of no characters: what the scans pass over.
bool isEmptyText(const Variant& v);

// The last filled column of a row over the whole width of the sheet (0 when the row is empty).
int lastColumnInRow(Worksheet& ws, int row);

// The last row, from `top` up to `floor` + 1, that holds something in one of columns 1..cols;
// 0 when none does.
int lastFilledRow(Worksheet& ws, int top, int floor, int cols);

}  // namespace lorvane::runs
