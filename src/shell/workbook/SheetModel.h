#pragma once
// A table model over one sheet of the engine: values shown through their number formats,
// fonts, fills and alignment. Nothing is materialised: a million rows cost nothing until
// they are scrolled to.
#include <QAbstractTableModel>
#include <QColor>
#include <string>

#include "base/CellAddress.h"

namespace lorvane {
class Worksheet;
}
namespace lorvane::sheet {
struct BookData;
class SheetData;
struct Cell;
struct Color;
}  // namespace lorvane::sheet

namespace lorvane::window {

// The model holds the sheet's object, never its storage: the object outlives a deleted sheet
// and a closed workbook, and the model reads nothing once the sheet is gone.
class SheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int StyleRole = Qt::UserRole + 1;  // the cell's format index

    explicit SheetModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    // Shows `sheet` (null: an empty grid), measured afresh.
    void setSheet(Worksheet* sheet);
    Worksheet* worksheet() const { return ws_; }
    // The shown sheet's storage and its workbook's; null when none is shown or it is gone.
    const sheet::BookData* book() const;
    const sheet::SheetData* sheet() const;
    // Measures the sheet again: rows and columns come and go at the ends of the grid.
    void remeasure();
    // Cells within `area` (1-based) changed: the grid grows at once to reach those that now
    // hold something, and repaints them. It shrinks only in remeasure().
    void cellsChanged(const CellRect& area);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void measure(int& rows, int& cols) const;
    void resizeTo(int rows, int cols);
    Worksheet* ws_ = nullptr;
    int rows_ = 0, cols_ = 0;
};

// The text a cell shows: numbers through their number format (dates as dates, General as
// the spreadsheet's General), texts as they are, booleans and errors as their literals.
QString displayText(const sheet::BookData& book, const sheet::Cell& cell, std::uint32_t style);
// A number through a number format code.
QString formatNumber(double value, const std::string& code, bool date1904 = false);
// A colour of the file format (RGB, theme or palette) as shown; invalid for automatic.
QColor toQColor(const sheet::Color& c);

}  // namespace lorvane::window
