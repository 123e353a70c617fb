#include "spreadsheet/SheetCopy.h"

#include <algorithm>
#include <tuple>
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

// The value part of a cell carried into another place: texts and formulas re-homed.
void carryValue(const BookData& fromBook, const Cell& src, BookData& toBook, Cell& dst, int dRow, int dCol, bool results) {
    dst.kind = src.kind;
    dst.flags = results ? 0 : src.flags;
    if (src.kind == CellKind::Text)
        dst.text = &fromBook == &toBook ? src.text : toBook.strings.intern(fromBook.strings.at(src.text));
    else
        dst.number = src.number;
    dst.formula = 0;
    if (src.formula && !results) {
        std::string text = fromBook.formulaText(src.formula);
        if (offsetReferences(text, dRow, dCol)) dst.flags |= FormulaStale;
        dst.formula = toBook.addFormula(std::move(text));
        if (&fromBook != &toBook) dst.flags |= FormulaStale;  // references may name sheets the target lacks
        toBook.needsRecalc = toBook.needsRecalc || (dst.flags & FormulaStale);
    }
}

void clearValue(Cell& c) {
    c.kind = CellKind::Blank;
    c.formula = 0;
    c.flags = 0;
    c.number = 0.0;
}

bool spansAllColumns(const CellRect& r) { return r.col1 == 1 && r.col2 == kMaxColumns; }
bool spansAllRows(const CellRect& r) { return r.row1 == 1 && r.row2 == kMaxRows; }

std::pair<const Cell*, const Cell*> band(const std::vector<Cell>& cells, int c1, int c2) {
    auto less = [](const Cell& c, int col) { return c.col < col; };
    auto first = std::lower_bound(cells.begin(), cells.end(), c1, less);
    auto last = std::lower_bound(first, cells.end(), c2 + 1, less);
    return {cells.data() + (first - cells.begin()), cells.data() + (last - cells.begin())};
}

// The format a new cell of the target takes when only values arrive: its row's or column's.
std::uint32_t inheritedStyle(const SheetData& s, int row, int col) {
    if (const RowData* r = s.row(row); r && (r->flags & RowCustomFormat)) return r->style;
    if (const ColumnData* c = s.column(col)) return c->style;
    return 0;
}

void copyRowAndColumnFormats(const SheetData& from, const CellRect& src, SheetData& to, int dRow, int dCol,
                             StyleMapper& styles) {
    if (spansAllColumns(src) && dCol == 0) {
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
    if (spansAllRows(src) && dRow == 0) {
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
}

void copyMerges(const SheetData& from, const CellRect& src, SheetData& to, const CellRect& dest, int dRow, int dCol) {
    std::vector<CellRect> moved;
    for (const CellRect& m : from.merges)
        if (m.row1 >= src.row1 && m.row2 <= src.row2 && m.col1 >= src.col1 && m.col2 <= src.col2 &&
            m.row2 + dRow <= kMaxRows && m.col2 + dCol <= kMaxColumns)
            moved.push_back({m.row1 + dRow, m.col1 + dCol, m.row2 + dRow, m.col2 + dCol});
    to.merges.erase(std::remove_if(to.merges.begin(), to.merges.end(), [&](const CellRect& m) { return m.intersects(dest); }),
                    to.merges.end());
    to.merges.insert(to.merges.end(), moved.begin(), moved.end());
}

}  // namespace

void copyBlock(const BookData& fromBook, const SheetData& from, const CellRect& src,
               BookData& toBook, SheetData& to, int destRow, int destCol, unsigned parts) {
    const int dRow = destRow - src.row1, dCol = destCol - src.col1;
    const CellRect dest{destRow, destCol, std::min(kMaxRows, src.row2 + dRow), std::min(kMaxColumns, src.col2 + dCol)};
    const bool formats = parts & CopyFormats, values = parts & CopyValues;
    const bool results = (parts & CopyResults) == CopyResults;
    StyleMapper styles(fromBook, toBook);

    // Copying a block over itself: read the source from a snapshot of its rows.
    std::unique_ptr<SheetData> snapshot;
    const SheetData* source = &from;
    if (&from == &to && src.intersects(dest) && (dRow != 0 || dCol != 0)) {
        snapshot = std::make_unique<SheetData>();
        for (int r = src.row1; r <= std::min(src.row2, from.rowCount()); ++r)
            if (const RowData* rd = from.row(r)) snapshot->rowForWrite(r) = *rd;
        for (int c = src.col1; c <= std::min(src.col2, from.columnRecordCount()); ++c) snapshot->columnForWrite(c) = *from.column(c);
        snapshot->merges = from.merges;
        source = snapshot.get();
    }

    if (formats) {
        copyRowAndColumnFormats(*source, src, to, dRow, dCol, styles);
        copyMerges(*source, src, to, dest, dRow, dCol);
    }

    // Row by row: merge the source band into the target row's cells in one pass.
    const int lastSourceRow = std::min(src.row2, source->rowCount());
    const int lastTargetRow = std::min(dest.row2, to.rowCount());
    const int lastRow = std::max(lastSourceRow + dRow, lastTargetRow);
    std::vector<Cell> merged;
    for (int tr = dest.row1; tr <= lastRow; ++tr) {
        const int r = tr - dRow;
        const Cell *s = nullptr, *sEnd = nullptr;
        if (const RowData* rd = source->row(r)) std::tie(s, sEnd) = band(rd->cells, src.col1, src.col2);
        const RowData* existing = to.row(tr);
        if (s == sEnd && (!existing || existing->cells.empty())) continue;
        std::vector<Cell> none;
        const std::vector<Cell>& target = existing ? existing->cells : none;
        auto [t, tEnd] = band(target, dest.col1, dest.col2);
        merged.clear();
        merged.reserve(target.size() + static_cast<std::size_t>(sEnd - s));
        merged.insert(merged.end(), target.data(), t);
        while (s != sEnd || t != tEnd) {
            const int sc = s != sEnd ? s->col + dCol : kMaxColumns + 1;
            const int tc = t != tEnd ? t->col : kMaxColumns + 1;
            if (sc > kMaxColumns && tc > kMaxColumns) break;
            Cell cell;
            if (sc < tc) {  // only in the source
                if (!((values && s->holdsValue()) || (formats && s->style != 0))) { ++s; continue; }
                cell.col = static_cast<std::uint16_t>(sc);
                cell.style = formats ? styles.map(s->style) : inheritedStyle(to, tr, sc);
                if (values) carryValue(fromBook, *s, toBook, cell, dRow, dCol, results);
                ++s;
            } else if (tc < sc) {  // only in the target: takes the source's row/column format, loses its value
                cell = *t;
                if (formats) cell.style = styles.map(source->styleAt(r, tc - dCol));
                if (values) clearValue(cell);
                ++t;
            } else {
                cell = *t;
                if (formats) cell.style = styles.map(s->style);
                if (values) carryValue(fromBook, *s, toBook, cell, dRow, dCol, results);
                ++s, ++t;
            }
            if (cell.holdsValue() || cell.style != 0) merged.push_back(cell);
        }
        merged.insert(merged.end(), tEnd, target.data() + target.size());
        to.rowForWrite(tr).cells.assign(merged.begin(), merged.end());
    }
}

void copyFormatsLeavingOutRows(const BookData& fromBook, const SheetData& from, BookData& toBook, SheetData& to,
                               int at, int count) {
    const CellRect whole{1, 1, kMaxRows, kMaxColumns};
    StyleMapper styles(fromBook, toBook);
    copyRowAndColumnFormats(from, whole, to, 0, 0, styles);
    copyMerges(from, whole, to, whole, 0, 0);
    for (int r = 1; r <= from.rowCount(); ++r) {
        if (r >= at && r - at < count) continue;  // deleted below anyway
        const RowData* rd = from.row(r);
        if (!rd) continue;
        std::size_t styled = 0;
        for (const Cell& c : rd->cells) styled += c.style != 0;
        if (styled == 0) continue;
        std::vector<Cell>& cells = to.rowForWrite(r).cells;
        cells.reserve(styled);
        for (const Cell& c : rd->cells) {
            if (c.style == 0) continue;
            Cell cell;
            cell.col = c.col;
            cell.style = styles.map(c.style);
            cells.push_back(cell);
        }
    }
    to.deleteRows(at, count);
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
