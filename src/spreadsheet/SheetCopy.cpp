#include "spreadsheet/SheetCopy.h"

#include <algorithm>
#include <vector>

#include "spreadsheet/FormulaRefs.h"
#include "spreadsheet/WorkbookFile.h"

namespace lorvane::sheet {

std::uint32_t StyleMapper::map(std::uint32_t style) {
    if (&from_ == &to_ || style == 0) return style;
    if (style >= cache_.size()) cache_.resize(from_.styles.size(), 0);
    if (cache_[style] == 0) cache_[style] = to_.styles.intern(from_.styles.at(style));
    return cache_[style];
}

namespace {

struct TakenCell {
    int row;
    Cell cell;
};

// The value part of a cell carried into another workbook: texts and formulas re-homed.
void carryValue(const BookData& fromBook, const Cell& src, BookData& toBook, Cell& dst, int dRow, int dCol, bool results) {
    dst.kind = src.kind;
    dst.flags = src.flags;
    if (src.kind == CellKind::Text)
        dst.text = &fromBook == &toBook ? src.text : toBook.strings.intern(fromBook.strings.at(src.text));
    else
        dst.number = src.number;
    dst.formula = 0;
    if (results) dst.flags = 0;
    if (src.formula && !results) {
        std::string text = fromBook.formulaText(src.formula);
        if (offsetReferences(text, dRow, dCol)) dst.flags |= FormulaStale;
        dst.formula = toBook.addFormula(std::move(text));
        if (&fromBook != &toBook) dst.flags |= FormulaStale;  // references may name sheets the target lacks
        toBook.needsRecalc = toBook.needsRecalc || (dst.flags & FormulaStale);
    }
}

bool spansAllColumns(const CellRect& r) { return r.col1 == 1 && r.col2 == kMaxColumns; }
bool spansAllRows(const CellRect& r) { return r.row1 == 1 && r.row2 == kMaxRows; }

}  // namespace

void copyBlock(const BookData& fromBook, const SheetData& from, const CellRect& src,
               BookData& toBook, SheetData& to, int destRow, int destCol, unsigned parts) {
    int dRow = destRow - src.row1, dCol = destCol - src.col1;
    CellRect dest{destRow, destCol, std::min(kMaxRows, src.row2 + dRow), std::min(kMaxColumns, src.col2 + dCol)};
    StyleMapper styles(fromBook, toBook);

    // Take the source cells first: source and target may overlap.
    std::vector<TakenCell> taken;
    int lastRow = std::min(src.row2, from.rowCount());
    for (int r = src.row1; r <= lastRow; ++r) {
        const RowData* rd = from.row(r);
        if (!rd) continue;
        auto first = std::lower_bound(rd->cells.begin(), rd->cells.end(), src.col1,
                                      [](const Cell& c, int col) { return c.col < col; });
        for (auto it = first; it != rd->cells.end() && it->col <= src.col2; ++it) taken.push_back({r, *it});
    }
    std::vector<std::uint32_t> sourceStyles;  // effective source format of each target cell kept
    if (parts & CopyFormats) {
        // Target cells without a source cell take the source's row/column format.
        for (int r = dest.row1; r <= std::min(dest.row2, to.rowCount()); ++r) {
            const RowData* rd = to.row(r);
            if (!rd) continue;
            for (const Cell& c : rd->cells)
                if (c.col >= dest.col1 && c.col <= dest.col2) sourceStyles.push_back(from.styleAt(r - dRow, c.col - dCol));
        }
    }

    bool wholeRows = spansAllColumns(src) && dCol == 0;
    bool wholeCols = spansAllRows(src) && dRow == 0;
    if (parts & CopyFormats) {
        if (wholeRows) {
            int last = std::max(from.rowCount(), to.rowCount());
            for (int r = src.row1; r <= std::min(src.row2, last); ++r) {
                int tr = r + dRow;
                if (tr < 1 || tr > kMaxRows) continue;
                const RowData* s = from.row(r);
                if (!s && !to.row(tr)) continue;
                RowData& t = to.rowForWrite(tr);
                t.height = s ? s->height : 0.0f;
                t.flags = s ? s->flags : 0;
                t.outline = s ? s->outline : 0;
                t.style = s ? styles.map(s->style) : 0;
            }
        }
        if (wholeCols) {
            int last = std::max(from.columnRecordCount(), to.columnRecordCount());
            for (int c = src.col1; c <= std::min(src.col2, last); ++c) {
                int tc = c + dCol;
                if (tc < 1 || tc > kMaxColumns) continue;
                const ColumnData* s = from.column(c);
                if (!s && !to.column(tc)) continue;
                ColumnData cd = s ? *s : ColumnData{};
                cd.style = styles.map(cd.style);
                to.columnForWrite(tc) = cd;
            }
        }
        // Existing target cells in the block take the source's effective format.
        std::size_t k = 0;
        for (int r = dest.row1; r <= std::min(dest.row2, to.rowCount()); ++r) {
            RowData& rd = to.rowForWrite(r);
            for (Cell& c : rd.cells)
                if (c.col >= dest.col1 && c.col <= dest.col2) c.style = styles.map(sourceStyles[k++]);
        }
        // Merged areas: the target block's go, the source block's come over.
        std::vector<CellRect> moved;
        for (const CellRect& m : from.merges)
            if (m.row1 >= src.row1 && m.row2 <= src.row2 && m.col1 >= src.col1 && m.col2 <= src.col2)
                moved.push_back({m.row1 + dRow, m.col1 + dCol, m.row2 + dRow, m.col2 + dCol});
        to.merges.erase(std::remove_if(to.merges.begin(), to.merges.end(),
                                       [&](const CellRect& m) { return m.intersects(dest); }),
                        to.merges.end());
        for (const CellRect& m : moved)
            if (m.row2 <= kMaxRows && m.col2 <= kMaxColumns) to.merges.push_back(m);
    }
    if (parts & CopyValues) to.clearRect(dest, true, false);

    for (const TakenCell& t : taken) {
        int tr = t.row + dRow, tc = t.cell.col + dCol;
        if (tr < 1 || tr > kMaxRows || tc < 1 || tc > kMaxColumns) continue;
        bool needsCell = ((parts & CopyValues) && t.cell.holdsValue()) || ((parts & CopyFormats) && t.cell.style != 0);
        Cell* dst = needsCell ? &to.touch(tr, tc) : to.find(tr, tc);
        if (!dst) continue;
        if (parts & CopyFormats) dst->style = styles.map(t.cell.style);
        if (parts & CopyValues) carryValue(fromBook, t.cell, toBook, *dst, dRow, dCol, (parts & CopyResults) == CopyResults);
    }
}

std::unique_ptr<SheetData> copySheet(const BookData& fromBook, const SheetData& src, BookData& toBook) {
    auto copy = std::make_unique<SheetData>();
    copy->name = src.name;
    copy->visibility = src.visibility;
    copy->defaultRowHeight = src.defaultRowHeight;
    copy->defaultColumnWidth = src.defaultColumnWidth;
    copy->activeRow = src.activeRow;
    copy->activeColumn = src.activeColumn;
    copyBlock(fromBook, src, CellRect{1, 1, kMaxRows, kMaxColumns}, toBook, *copy, 1, 1, CopyAll);
    copy->package = copiedSheetPackage(src, fromBook, toBook);
    return copy;
}

}  // namespace lorvane::sheet
