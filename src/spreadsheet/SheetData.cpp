#include "spreadsheet/SheetData.h"

#include <algorithm>

namespace lorvane::sheet {

namespace {

auto columnLess = [](const Cell& cell, int col) { return cell.col < col; };

std::vector<Cell>::iterator lowerBound(std::vector<Cell>& cells, int col) {
    return std::lower_bound(cells.begin(), cells.end(), col, columnLess);
}

// Cells of one row within [c1, c2], taken out of the row.
std::vector<Cell> takeCells(std::vector<Cell>& cells, int c1, int c2) {
    auto first = lowerBound(cells, c1);
    auto last = lowerBound(cells, c2 + 1);
    std::vector<Cell> out(first, last);
    cells.erase(first, last);
    return out;
}

// Puts cells (sorted, all in one column band that the row has none in) back into a row.
void putCells(std::vector<Cell>& cells, std::vector<Cell>&& band) {
    if (band.empty()) return;
    auto at = lowerBound(cells, band.front().col);
    cells.insert(at, band.begin(), band.end());
}

bool keepsSomething(const Cell& c) { return c.holdsValue() || c.style != 0; }

// Moves a merged area for rows removed at [at, at+count-1]; false when the area vanishes.
bool shrinkSpan(int& lo, int& hi, int at, int count) {
    int end = at + count - 1;
    if (hi < at) return true;
    if (lo > end) {
        lo -= count;
        hi -= count;
        return true;
    }
    int newLo = lo < at ? lo : at;
    int removed = std::min(hi, end) - std::max(lo, at) + 1;
    int newHi = hi - removed;
    if (newHi < newLo) return false;
    lo = newLo;
    hi = newHi;
    return true;
}

void growSpan(int& lo, int& hi, int at, int count, int limit) {
    if (lo >= at) {
        lo += count;
        hi += count;
    } else if (hi >= at) {
        hi += count;
    }
    hi = std::min(hi, limit);
}

void dropSingleCellMerges(std::vector<CellRect>& merges, int limitRow, int limitCol) {
    merges.erase(std::remove_if(merges.begin(), merges.end(),
                                [&](const CellRect& m) {
                                    return (m.row1 == m.row2 && m.col1 == m.col2) || m.row1 > limitRow ||
                                           m.col1 > limitCol;
                                }),
                 merges.end());
}

}  // namespace

const Cell* SheetData::find(int row, int col) const {
    return const_cast<SheetData*>(this)->find(row, col);
}

Cell* SheetData::find(int row, int col) {
    if (row < 1 || row > rowCount()) return nullptr;
    auto& cells = rows_[row - 1].cells;
    // Dense rows (the common case) hold column c at index c-1.
    if (col >= 1 && static_cast<std::size_t>(col) <= cells.size() && cells[col - 1].col == col) return &cells[col - 1];
    auto it = lowerBound(cells, col);
    return it != cells.end() && it->col == col ? &*it : nullptr;
}

std::uint32_t SheetData::styleAt(int row, int col) const {
    if (const Cell* c = find(row, col)) return c->style;
    if (const RowData* r = this->row(row); r && (r->flags & RowCustomFormat)) return r->style;
    if (const ColumnData* c = column(col)) return c->style;
    return 0;
}

RowData& SheetData::rowForWrite(int r) {
    if (r > rowCount()) rows_.resize(static_cast<std::size_t>(r));
    return rows_[r - 1];
}

ColumnData& SheetData::columnForWrite(int c) {
    if (c > static_cast<int>(cols_.size())) cols_.resize(static_cast<std::size_t>(c));
    return cols_[c - 1];
}

Cell& SheetData::touch(int row, int col) {
    if (Cell* c = find(row, col)) return *c;
    std::uint32_t inherited = styleAt(row, col);
    auto& cells = rowForWrite(row).cells;
    auto it = lowerBound(cells, col);
    Cell cell;
    cell.col = static_cast<std::uint16_t>(col);
    cell.style = inherited;
    return *cells.insert(it, cell);
}

Cell& SheetData::appendCell(int row, int col) {
    auto& cells = rowForWrite(row).cells;
    if (!cells.empty() && cells.back().col >= col) return touch(row, col);
    Cell& cell = cells.emplace_back();
    cell.col = static_cast<std::uint16_t>(col);
    return cell;
}

void SheetData::erase(int row, int col) {
    if (row < 1 || row > rowCount()) return;
    auto& cells = rows_[row - 1].cells;
    auto it = lowerBound(cells, col);
    if (it != cells.end() && it->col == col) cells.erase(it);
}

double SheetData::rowHeight(int r) const {
    const RowData* rd = row(r);
    return rd && rd->height > 0 ? rd->height : defaultRowHeight;
}

double SheetData::columnWidth(int c) const {
    const ColumnData* cd = column(c);
    return cd && cd->width >= 0 ? cd->width : defaultColumnWidth;
}

bool SheetData::usedBounds(CellRect& out) const {
    int minRow = 0, maxRow = 0, minCol = kMaxColumns + 1, maxCol = 0;
    for (int r = 1; r <= rowCount(); ++r) {
        const auto& cells = rows_[r - 1].cells;
        int first = 0, last = 0;
        for (const Cell& c : cells)
            if (keepsSomething(c)) {
                first = c.col;
                break;
            }
        if (!first) continue;
        for (auto it = cells.rbegin(); it != cells.rend(); ++it)
            if (keepsSomething(*it)) {
                last = it->col;
                break;
            }
        if (!minRow) minRow = r;
        maxRow = r;
        minCol = std::min(minCol, first);
        maxCol = std::max(maxCol, last);
    }
    if (!minRow) return false;
    out = {minRow, minCol, maxRow, maxCol};
    return true;
}

bool SheetData::hasValue(int row, int col) const {
    const Cell* c = find(row, col);
    return c && c->holdsValue();
}

int SheetData::lastValueRowInColumn(int col, int fromRow) const {
    for (int r = std::min(fromRow, rowCount()); r >= 1; --r)
        if (hasValue(r, col)) return r;
    return 0;
}

void SheetData::insertRows(int at, int count) {
    if (count <= 0 || at < 1 || at > kMaxRows) return;
    if (at <= rowCount()) {
        // New rows take the format of the row above: its row format, height and cell formats.
        RowData fresh;
        if (const RowData* above = row(at - 1)) {
            fresh.style = above->style;
            fresh.height = above->height;
            fresh.flags = above->flags & (RowCustomFormat | RowCustomHeight);
            for (const Cell& c : above->cells)
                if (c.style != 0) {
                    Cell blank;
                    blank.col = c.col;
                    blank.style = c.style;
                    fresh.cells.push_back(blank);
                }
        }
        rows_.insert(rows_.begin() + (at - 1), static_cast<std::size_t>(count), fresh);
        if (rowCount() > kMaxRows) rows_.resize(kMaxRows);
    }
    for (CellRect& m : merges) growSpan(m.row1, m.row2, at, count, kMaxRows);
    dropSingleCellMerges(merges, kMaxRows, kMaxColumns);
    if (activeRow >= at) activeRow = std::min(activeRow + count, kMaxRows);
}

void SheetData::deleteRows(int at, int count) {
    if (count <= 0 || at < 1) return;
    if (at <= rowCount()) {
        int end = std::min(rowCount(), at + count - 1);
        rows_.erase(rows_.begin() + (at - 1), rows_.begin() + end);
        // Give back the row table of a sheet that shrank a lot (a split keeps a few rows of many).
        if (rows_.capacity() > 1024 && rows_.size() < rows_.capacity() / 4) rows_.shrink_to_fit();
    }
    std::vector<CellRect> kept;
    for (CellRect m : merges)
        if (shrinkSpan(m.row1, m.row2, at, count)) kept.push_back(m);
    merges = std::move(kept);
    dropSingleCellMerges(merges, kMaxRows, kMaxColumns);
    if (activeRow >= at + count) activeRow -= count;
    else if (activeRow >= at) activeRow = at;
}

void SheetData::insertColumns(int at, int count) {
    if (count <= 0 || at < 1 || at > kMaxColumns) return;
    for (RowData& rd : rows_) {
        auto& cells = rd.cells;
        std::uint32_t leftStyle = 0;
        if (auto it = lowerBound(cells, at - 1); at > 1 && it != cells.end() && it->col == at - 1) leftStyle = it->style;
        auto first = lowerBound(cells, at);
        for (auto it = first; it != cells.end(); ++it) it->col = static_cast<std::uint16_t>(std::min(it->col + count, kMaxColumns + 1));
        cells.erase(lowerBound(cells, kMaxColumns + 1), cells.end());
        if (leftStyle != 0) {
            std::vector<Cell> band;
            for (int c = at; c < at + count && c <= kMaxColumns; ++c) {
                Cell blank;
                blank.col = static_cast<std::uint16_t>(c);
                blank.style = leftStyle;
                band.push_back(blank);
            }
            putCells(cells, std::move(band));
        }
    }
    if (at <= static_cast<int>(cols_.size())) {
        ColumnData fresh = at > 1 ? cols_[at - 2] : ColumnData{};
        cols_.insert(cols_.begin() + (at - 1), static_cast<std::size_t>(count), fresh);
        if (cols_.size() > static_cast<std::size_t>(kMaxColumns)) cols_.resize(kMaxColumns);
    }
    for (CellRect& m : merges) growSpan(m.col1, m.col2, at, count, kMaxColumns);
    dropSingleCellMerges(merges, kMaxRows, kMaxColumns);
}

void SheetData::deleteColumns(int at, int count) {
    if (count <= 0 || at < 1) return;
    int end = at + count - 1;
    for (RowData& rd : rows_) {
        auto& cells = rd.cells;
        cells.erase(lowerBound(cells, at), lowerBound(cells, end + 1));
        for (auto it = lowerBound(cells, end + 1); it != cells.end(); ++it) it->col = static_cast<std::uint16_t>(it->col - count);
    }
    if (at <= static_cast<int>(cols_.size()))
        cols_.erase(cols_.begin() + (at - 1), cols_.begin() + std::min<int>(end, static_cast<int>(cols_.size())));
    std::vector<CellRect> kept;
    for (CellRect m : merges)
        if (shrinkSpan(m.col1, m.col2, at, count)) kept.push_back(m);
    merges = std::move(kept);
    dropSingleCellMerges(merges, kMaxRows, kMaxColumns);
}

void SheetData::deleteCellsShiftUp(const CellRect& r) {
    int h = r.rows();
    for (int row = r.row1; row <= rowCount(); ++row) {
        takeCells(rows_[row - 1].cells, r.col1, r.col2);
        int from = row + h;
        if (from <= rowCount()) {
            auto band = takeCells(rows_[from - 1].cells, r.col1, r.col2);
            putCells(rows_[row - 1].cells, std::move(band));
        }
    }
    std::vector<CellRect> kept;
    for (CellRect m : merges) {
        bool inBand = m.col1 >= r.col1 && m.col2 <= r.col2;
        if (!inBand || m.row2 < r.row1) {
            kept.push_back(m);
            continue;
        }
        if (shrinkSpan(m.row1, m.row2, r.row1, h)) kept.push_back(m);
    }
    merges = std::move(kept);
    dropSingleCellMerges(merges, kMaxRows, kMaxColumns);
}

void SheetData::insertCellsShiftDown(const CellRect& r) {
    int h = r.rows();
    int last = rowCount();
    if (last < r.row1) return;
    rowForWrite(std::min(last + h, kMaxRows));
    for (int row = std::min(last + h, kMaxRows); row >= r.row1; --row) {
        takeCells(rows_[row - 1].cells, r.col1, r.col2);
        int from = row - h;
        if (from >= r.row1) {
            auto band = takeCells(rows_[from - 1].cells, r.col1, r.col2);
            putCells(rows_[row - 1].cells, std::move(band));
        }
    }
    for (CellRect& m : merges)
        if (m.col1 >= r.col1 && m.col2 <= r.col2) growSpan(m.row1, m.row2, r.row1, h, kMaxRows);
}

void SheetData::deleteCellsShiftLeft(const CellRect& r) {
    int w = r.cols();
    for (int row = r.row1; row <= std::min(r.row2, rowCount()); ++row) {
        auto& cells = rows_[row - 1].cells;
        cells.erase(lowerBound(cells, r.col1), lowerBound(cells, r.col2 + 1));
        for (auto it = lowerBound(cells, r.col2 + 1); it != cells.end(); ++it) it->col = static_cast<std::uint16_t>(it->col - w);
    }
    std::vector<CellRect> kept;
    for (CellRect m : merges) {
        bool inBand = m.row1 >= r.row1 && m.row2 <= r.row2;
        if (!inBand || m.col2 < r.col1) {
            kept.push_back(m);
            continue;
        }
        if (shrinkSpan(m.col1, m.col2, r.col1, w)) kept.push_back(m);
    }
    merges = std::move(kept);
    dropSingleCellMerges(merges, kMaxRows, kMaxColumns);
}

void SheetData::insertCellsShiftRight(const CellRect& r) {
    int w = r.cols();
    for (int row = r.row1; row <= std::min(r.row2, rowCount()); ++row) {
        auto& cells = rows_[row - 1].cells;
        for (auto it = lowerBound(cells, r.col1); it != cells.end(); ++it)
            it->col = static_cast<std::uint16_t>(std::min(it->col + w, kMaxColumns + 1));
        cells.erase(lowerBound(cells, kMaxColumns + 1), cells.end());
    }
    for (CellRect& m : merges)
        if (m.row1 >= r.row1 && m.row2 <= r.row2) growSpan(m.col1, m.col2, r.col1, w, kMaxColumns);
}

void SheetData::clearRect(const CellRect& r, bool contents, bool formats) {
    for (int row = r.row1; row <= std::min(r.row2, rowCount()); ++row) {
        auto& cells = rows_[row - 1].cells;
        auto first = lowerBound(cells, r.col1);
        auto last = lowerBound(cells, r.col2 + 1);
        for (auto it = first; it != last; ++it) {
            if (contents) {
                it->kind = CellKind::Blank;
                it->formula = 0;
                it->flags = 0;
                it->number = 0.0;
            }
            if (formats) it->style = 0;
        }
        cells.erase(std::remove_if(first, last, [](const Cell& c) { return !keepsSomething(c); }), last);
    }
    if (formats) {
        merges.erase(std::remove_if(merges.begin(), merges.end(),
                                    [&](const CellRect& m) {
                                        return m.row1 >= r.row1 && m.row2 <= r.row2 && m.col1 >= r.col1 &&
                                               m.col2 <= r.col2;
                                    }),
                     merges.end());
    }
}

void SheetData::clearAll() {
    std::vector<RowData>().swap(rows_);
    std::vector<ColumnData>().swap(cols_);
    merges.clear();
    package.reset();
}

std::size_t SheetData::cellCount() const {
    std::size_t n = 0;
    for (const RowData& r : rows_) n += r.cells.size();
    return n;
}

}  // namespace lorvane::sheet
