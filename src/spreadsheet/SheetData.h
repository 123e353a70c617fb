#pragma once
// The cell store of one sheet: rows of sparse cells sorted by column, row and column
// properties, merged areas. Strings and formats are indices into the workbook's tables.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/CellAddress.h"

namespace lorvane::sheet {

enum class CellKind : std::uint8_t { Blank, Number, Text, Boolean, Error };

enum CellFlag : std::uint8_t {
    FormulaStale = 1,   // the cached result may no longer match the formula
    ArrayFormula = 2,   // the formula is the anchor of an array formula
};

struct Cell {
    std::uint16_t col = 0;   // 1-based; 16384 columns fit
    CellKind kind = CellKind::Blank;
    std::uint8_t flags = 0;
    std::uint32_t style = 0;    // index into the workbook's StyleTable
    std::uint32_t formula = 0;  // 0 = none, else 1 + index into the workbook's formula texts
    union {
        double number;          // Number, Boolean (0/1)
        std::uint32_t text;     // Text: index into the workbook's StringPool
        std::uint16_t error;    // Error: ErrorValue code
    };
    Cell() : number(0.0) {}
    bool holdsValue() const { return kind != CellKind::Blank || formula != 0; }
};

enum RowFlag : std::uint8_t {
    RowHidden = 1, RowCustomHeight = 2, RowCustomFormat = 4, RowCollapsed = 8,
    RowThickTop = 16, RowThickBottom = 32,
};

struct RowData {
    std::vector<Cell> cells;  // sorted by column
    std::uint32_t style = 0;  // meaningful with RowCustomFormat
    float height = 0.0f;      // points; 0 = the sheet's default
    std::uint8_t flags = 0;
    std::uint8_t outline = 0;
    bool empty() const { return cells.empty() && flags == 0 && outline == 0 && height == 0.0f; }
};

struct ColumnData {
    // Characters; kDefaultWidth = the sheet's default. Zero is a width of its own: a hidden
    // column that was narrowed to nothing opens at zero width when unhidden.
    static constexpr double kDefaultWidth = -1.0;
    double width = kDefaultWidth;
    std::uint32_t style = 0;
    bool hidden = false, customWidth = false, bestFit = false, collapsed = false;
    std::uint8_t outline = 0;
    bool isDefault() const {
        return width < 0 && style == 0 && !hidden && !customWidth && !bestFit && !collapsed && outline == 0;
    }
    friend bool operator==(const ColumnData&, const ColumnData&) = default;
};

// What the file layer keeps of a sheet that the engine does not model (defined in the file code).
struct SheetPackage;

class SheetData {
public:
    std::string name;
    enum class Visibility : std::uint8_t { Visible, Hidden, VeryHidden } visibility = Visibility::Visible;
    double defaultRowHeight = 13.5;   // points
    double defaultColumnWidth = 8.43; // characters
    int activeRow = 1, activeColumn = 1;
    std::vector<CellRect> merges;
    std::shared_ptr<SheetPackage> package;  // null for sheets made in memory
    // The cells, sizes and kept elements are still in the file's bytes (a workbook read as the
    // input of a run): ensureSheetParsed() reads them on first use.
    bool parsePending = false;

    // Cells
    const Cell* find(int row, int col) const;
    Cell* find(int row, int col);
    // The cell record, created blank (with the row's or column's format) when missing.
    Cell& touch(int row, int col);
    void erase(int row, int col);
    // Appends a cell known to lie right of every cell of its row (file reading).
    Cell& appendCell(int row, int col);
    // The format a cell shows: its own, else its row's, else its column's.
    std::uint32_t styleAt(int row, int col) const;

    // Rows and columns
    int rowCount() const { return static_cast<int>(rows_.size()); }  // rows with a record
    const RowData* row(int r) const { return r >= 1 && r <= rowCount() ? &rows_[r - 1] : nullptr; }
    RowData& rowForWrite(int r);
    const ColumnData* column(int c) const { return c >= 1 && c <= static_cast<int>(cols_.size()) ? &cols_[c - 1] : nullptr; }
    ColumnData& columnForWrite(int c);
    int columnRecordCount() const { return static_cast<int>(cols_.size()); }
    double rowHeight(int r) const;
    double columnWidth(int c) const;

    // Bounds: the rectangle of all cells holding a value or a non-default format; false when none.
    bool usedBounds(CellRect& out) const;
    bool hasValue(int row, int col) const;
    // The last row with a value in a column at or above `fromRow` (0 when none).
    int lastValueRowInColumn(int col, int fromRow) const;

    // Structure changes; merged areas move with the cells. Formula references are the
    // workbook's business (they may point here from other sheets).
    void insertRows(int at, int count);          // rows at.. move down; new rows take row at-1's format
    void deleteRows(int at, int count);          // rows at..at+count-1 go, the rest move up
    void insertColumns(int at, int count);
    void deleteColumns(int at, int count);
    // Shifts the cells of a block of rows sideways or a block of columns up/down (partial-range
    // delete and insert); cells pushed off the sheet are lost.
    void deleteCellsShiftUp(const CellRect& r);
    void deleteCellsShiftLeft(const CellRect& r);
    void insertCellsShiftDown(const CellRect& r);
    void insertCellsShiftRight(const CellRect& r);
    void clearRect(const CellRect& r, bool contents, bool formats);

    // Releases all storage (a deleted sheet).
    void clearAll();
    std::size_t cellCount() const;

private:
    std::vector<RowData> rows_;
    std::vector<ColumnData> cols_;
};

}  // namespace lorvane::sheet
