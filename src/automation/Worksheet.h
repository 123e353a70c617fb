#pragma once
// One worksheet of a workbook in the object model. The object stays valid after Delete;
// every call then fails with an automation error instead of touching freed memory.
#include <string>

#include "automation/Range.h"

namespace lorvane {

namespace sheet {
class SheetData;
}
class Workbook;

// What an operation on a sheet changed, as the application's observer is told.
enum class SheetChange {
    Cells,   // values, formulas or formats of cells
    Layout,  // rows or columns moved, merges, column widths and row heights
};

class Worksheet {
public:
    Worksheet(Workbook* book, sheet::SheetData* data) : book_(book), data_(data) {}

    Workbook* Parent() const { return book_; }
    const std::string& Name() const;
    // Refused names (empty, over 31 characters, one of : \ / ? * [ ], a leading or trailing
    // apostrophe, or taken by another sheet in any letter case) fail with error 1004.
    void SetName(const std::string& name);
    int Index() const;  // 1-based tab position
    void Activate();
    void Select() { Activate(); }
    // With DisplayAlerts on, asks first; returns false when the user declined.
    bool Delete();
    // A copy in a new workbook, which becomes the active workbook.
    Workbook* Copy();
    // A copy after `after` (in this or another workbook), named "name (2)" or the next free number.
    Worksheet* CopyAfter(Worksheet* after);
    Worksheet* CopyBefore(Worksheet* before);
    bool Visible() const;
    void SetVisible(bool visible);
    // For this empty sheet: the same as source.Cells.Copy, Range("A1").PasteSpecial
    // xlPasteFormats and deleting the rows firstRow..firstRow+count-1, without making the rows
    // that go. Not empty: fails with error 1004.
    void PasteFormatsLeavingOutRows(Worksheet& source, int firstRow, int count);

    Range UsedRange();
    Range Cells() { return Range(this, CellRect{1, 1, kMaxRows, kMaxColumns}); }
    Range Cells(int row, int col);
    Range GetRange(const std::string& reference);  // Range("a1"), Range("C5:D9")
    Range GetRange(const Range& first, const Range& last);
    Range Rows() { return Range(this, CellRect{1, 1, kMaxRows, kMaxColumns}, Range::View::Rows); }
    Range Columns() { return Range(this, CellRect{1, 1, kMaxRows, kMaxColumns}, Range::View::Columns); }
    Range Rows(int i);
    Range Columns(int i);

    bool alive() const { return data_ != nullptr; }
    // The engine's storage; throws when the sheet was deleted.
    sheet::SheetData& data() const;
    sheet::SheetData* dataOrNull() const;
    void detach() { data_ = nullptr; }

private:
    Workbook* book_;
    sheet::SheetData* data_;
};

}  // namespace lorvane
