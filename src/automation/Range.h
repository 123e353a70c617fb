#pragma once
// A rectangle of cells of one worksheet, as the object model's Range: a small value that
// refers to its sheet, so Cells(r, c).Value() in a loop costs a lookup and nothing more.
#include <cstdint>
#include <string>

#include "base/CellAddress.h"
#include "automation/Variant.h"

namespace lorvane {

class Worksheet;
class BordersProxy;

class Range {
public:
    // How Count and item indexing see the range: as cells, as rows (Rows) or as columns (Columns).
    enum class View : std::uint8_t { Cells, Rows, Columns };

    Range(Worksheet* sheet, CellRect rect, View view = View::Cells) : sheet_(sheet), rect_(rect), view_(view) {}

    Worksheet* Parent() const { return sheet_; }
    const CellRect& rect() const { return rect_; }
    int Row() const { return rect_.row1; }
    int Column() const { return rect_.col1; }
    // Cells, rows or columns, depending on how the range was taken.
    long long Count() const;
    Range Rows() const { return Range(sheet_, rect_, View::Rows); }
    Range Columns() const { return Range(sheet_, rect_, View::Columns); }
    Range Rows(int i) const;     // the i-th row of the range (1-based)
    Range Columns(int i) const;  // the i-th column of the range
    Range Cells() const { return Range(sheet_, rect_); }
    Range Cells(int row, int col) const;  // relative to the top-left cell; may lie outside the range
    Range Resize(int rows, int cols) const;
    Range Offset(int rows, int cols) const;
    Range EntireRow() const;
    Range EntireColumn() const;
    // From the top-left cell in a direction (xlUp, xlDown, xlToLeft, xlToRight).
    Range End(int direction) const;
    std::string Address() const;  // "$A$1" or "$A$1:$C$5"

    // Values
    Variant Value() const;        // the top-left cell's value
    VariantArray Values() const;  // the whole range, 1-based
    void SetValue(const Variant& v) const;       // every cell of the range
    void SetValue(const VariantArray& a) const;  // from the array's top-left part; #N/A beyond it
    std::string Formula() const;  // "=..." or the value's text
    void SetFormula(const std::string& formula) const;
    bool HasFormula() const;
    std::string Text() const;     // the value as text (General; dates as date text)

    // Copying
    void Copy(const Range& destination) const;  // values, formulas and formats
    void Copy() const;                          // onto the application's clipboard
    // From the clipboard; Paste is xlPasteAll, xlPasteFormats or xlPasteValues.
    void PasteSpecial(int paste = -4104, int operation = -4142, bool skipBlanks = false, bool transpose = false) const;

    // Structure and contents
    void Delete(int shift = 0) const;  // 0: entire rows/columns as taken, else as shape suggests
    void Insert(int shift = 0) const;
    void ClearContents() const;
    void ClearFormats() const;
    void Clear() const;
    void Select() const;
    void Activate() const { Select(); }
    void AutoFit() const;  // columns (or rows of a row range) fit their contents
    void Merge() const;
    void UnMerge() const;
    bool MergeCells() const;

    // Formats
    std::string NumberFormat() const;
    void SetNumberFormat(const std::string& code) const;
    void SetHorizontalAlignment(int xlAlign) const;
    void SetVerticalAlignment(int xlAlign) const;
    int HorizontalAlignment() const;
    int VerticalAlignment() const;
    void SetWrapText(bool on) const;
    void SetShrinkToFit(bool on) const;
    bool WrapText() const;
    bool ShrinkToFit() const;
    void SetFontBold(bool on) const;
    void SetColumnWidth(double width) const;
    void SetRowHeight(double height) const;
    double ColumnWidth() const;
    double RowHeight() const;

    BordersProxy Borders() const;


private:
    Worksheet* sheet_;
    CellRect rect_;
    View view_;
};

// Range.Borders: the edges of every cell of the range.
class BordersProxy {
public:
    explicit BordersProxy(const Range& r) : range_(r) {}
    void SetLineStyle(int style) const;  // xlContinuous or xlLineStyleNone, on every edge
    int LineStyle() const;
private:
    Range range_;
};

inline BordersProxy Range::Borders() const { return BordersProxy(*this); }

}  // namespace lorvane
