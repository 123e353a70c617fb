#pragma once
// A table model over one sheet of the engine: values shown through their number formats,
// fonts, fills and alignment. Nothing is materialised: a million rows cost nothing until
// they are scrolled to.
#include <QAbstractTableModel>
#include <QColor>
#include <string>

namespace lorvane::sheet {
struct BookData;
class SheetData;
struct Cell;
struct Color;
}  // namespace lorvane::sheet

namespace lorvane::window {

class SheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int StyleRole = Qt::UserRole + 1;  // the cell's format index

    explicit SheetModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    // Shows `sheet` of `book` (either may be null: an empty grid).
    void setSheet(const sheet::BookData* book, const sheet::SheetData* sheet);
    // Re-reads the sheet after changes.
    void refresh();
    const sheet::BookData* book() const { return book_; }
    const sheet::SheetData* sheet() const { return sheet_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void measure();
    const sheet::BookData* book_ = nullptr;
    const sheet::SheetData* sheet_ = nullptr;
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
