#include "runs/SheetScans.h"

#include <algorithm>

#include "automation/Constants.h"
#include "automation/Range.h"
#include "automation/Worksheet.h"
#include "base/CellAddress.h"

namespace lorvane::runs {

bool isEmptyText(const Variant& v) { return v.isEmpty() || (v.isText() && v.text().empty()); }

int lastColumnInRow(Worksheet& ws, int row) {
    Range edge = ws.Cells(row, kMaxColumns);
    if (!edge.Value().isEmpty()) return kMaxColumns;
    Range last = edge.End(xlToLeft);
    return last.Value().isEmpty() ? 0 : last.Column();
}

int lastFilledRow(Worksheet& ws, int top, int floor, int cols) {
    int best = 0;
    for (int c = 1; c <= cols; ++c)
        for (int r = top; r > std::max(best, floor); --r)
            if (!isEmptyText(ws.Cells(r, c).Value())) {
                best = r;
                break;
            }
    return best;
}

}  // namespace lorvane::runs
