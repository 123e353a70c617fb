#pragma once
// Copying cells, formats and whole sheets, within a workbook or into another one. Formats are
// re-mapped into the target workbook's style table, texts into its string pool.
#include <memory>
#include <vector>

#include "spreadsheet/BookData.h"

namespace lorvane::sheet {

// Maps format indices of one workbook to equal formats of another (identity within one book).
class StyleMapper {
public:
    StyleMapper(const BookData& from, BookData& to) : from_(from), to_(to) {}
    std::uint32_t map(std::uint32_t style);

private:
    const BookData& from_;
    BookData& to_;
    std::vector<std::uint32_t> cache_;  // by source index; 0 = not mapped yet (index 0 maps to 0)
};

// CopyResults: values only, formulas replaced by their cached results.
enum CopyParts : unsigned { CopyValues = 1, CopyFormats = 2, CopyAll = 3, CopyResults = 5 };

// Copies the block `src` of sheet `from` so that its top-left cell lands on (destRow, destCol)
// of sheet `to`. Formats include merged areas inside the block, and the heights and formats
// of whole rows (when the block spans whole rows) and widths of whole columns likewise.
// Source and target may be the same sheet, overlapping.
void copyBlock(const BookData& fromBook, const SheetData& from, const CellRect& src,
               BookData& toBook, SheetData& to, int destRow, int destCol, unsigned parts);

// The formats of the whole of `from` pasted into the empty sheet `to` (copyBlock of the whole
// sheet with CopyFormats), then rows at..at+count-1 of `to` deleted, the rows below moving up.
// The same result without ever making the cells of the rows that go: a trimmed copy of a long
// sheet's formats costs only the rows it keeps.
void copyFormatsLeavingOutRows(const BookData& fromBook, const SheetData& from, BookData& toBook, SheetData& to,
                               int at, int count);

// A full copy of a sheet for workbook `to` (which may be `from`), named like the source.
std::unique_ptr<SheetData> copySheet(const BookData& fromBook, const SheetData& src, BookData& toBook);

}  // namespace lorvane::sheet
