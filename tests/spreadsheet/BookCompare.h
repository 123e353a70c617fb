#pragma once
// Compares two workbooks as the engine sees them: values, formulas, formats, sizes, merges,
// names. Used to check that what was written reads back as what was read.
#include <sstream>
#include <string>
#include <vector>

#include "spreadsheet/BookData.h"

namespace lorvane::sheet::compare {

inline std::string describeFormat(const CellFormat& f) {
    std::ostringstream s;
    s << "numFmt=" << f.numberFormat << " font=" << f.font.name << "/" << f.font.size << (f.font.bold ? "/b" : "")
      << " fill=" << f.fill.pattern << " border=" << f.border.left.style << "," << f.border.top.style
      << " align=" << f.alignment.horizontal;
    return s.str();
}

inline bool sameFormat(const CellFormat& a, const CellFormat& b) {
    return a.numberFormat == b.numberFormat && a.font == b.font && a.fill == b.fill && a.border == b.border &&
           a.alignment == b.alignment && a.protection == b.protection;
}

// Differences between a and b, at most `limit` of them.
inline std::vector<std::string> bookDifferences(const BookData& a, const BookData& b, std::size_t limit = 10) {
    std::vector<std::string> out;
    auto note = [&](const std::string& what) {
        if (out.size() < limit) out.push_back(what);
    };
    if (a.sheets.size() != b.sheets.size()) {
        note("sheet count " + std::to_string(a.sheets.size()) + " vs " + std::to_string(b.sheets.size()));
        return out;
    }
    if (a.date1904 != b.date1904) note("date system differs");
    if (a.activeSheet != b.activeSheet) note("active sheet differs");
    for (std::size_t i = 0; i < a.sheets.size(); ++i) {
        const SheetData& x = *a.sheets[i];
        const SheetData& y = *b.sheets[i];
        std::string where = "sheet '" + x.name + "': ";
        if (x.name != y.name) note(where + "name differs: " + y.name);
        if (x.visibility != y.visibility) note(where + "visibility differs");
        if (x.merges != y.merges) note(where + "merged areas differ");
        if (x.defaultRowHeight != y.defaultRowHeight) note(where + "default row height differs");
        int rows = std::max(x.rowCount(), y.rowCount());
        for (int r = 1; r <= rows && out.size() < limit; ++r) {
            const RowData* rx = x.row(r);
            const RowData* ry = y.row(r);
            static const RowData kEmpty;
            const RowData& px = rx ? *rx : kEmpty;
            const RowData& py = ry ? *ry : kEmpty;
            if (px.height != py.height || px.flags != py.flags || px.outline != py.outline)
                note(where + "row " + std::to_string(r) + " properties differ");
            if ((px.flags & RowCustomFormat) && !sameFormat(a.styles.at(px.style), b.styles.at(py.style)))
                note(where + "row " + std::to_string(r) + " format differs");
            std::size_t n = std::max(px.cells.size(), py.cells.size());
            std::size_t ix = 0, iy = 0;
            auto meaningful = [](const Cell& c) { return c.holdsValue() || c.style != 0; };
            for (std::size_t k = 0; k < n * 2 + 2; ++k) {
                while (ix < px.cells.size() && !meaningful(px.cells[ix])) ++ix;
                while (iy < py.cells.size() && !meaningful(py.cells[iy])) ++iy;
                if (ix >= px.cells.size() && iy >= py.cells.size()) break;
                std::string at = where + columnLetters(ix < px.cells.size() ? px.cells[ix].col : py.cells[iy].col) + std::to_string(r) + ": ";
                if (ix >= px.cells.size() || iy >= py.cells.size() || px.cells[ix].col != py.cells[iy].col) {
                    note(at + "cell present in only one");
                    break;
                }
                const Cell& cx = px.cells[ix++];
                const Cell& cy = py.cells[iy++];
                if (cx.kind != cy.kind) {
                    note(at + "kind differs");
                    continue;
                }
                switch (cx.kind) {
                case CellKind::Number:
                case CellKind::Boolean:
                    if (cx.number != cy.number) note(at + "value " + std::to_string(cx.number) + " vs " + std::to_string(cy.number));
                    break;
                case CellKind::Text:
                    if (a.strings.at(cx.text) != b.strings.at(cy.text)) note(at + "text '" + a.strings.at(cx.text) + "' vs '" + b.strings.at(cy.text) + "'");
                    break;
                case CellKind::Error:
                    if (cx.error != cy.error) note(at + "error differs");
                    break;
                case CellKind::Blank: break;
                }
                if ((cx.formula == 0) != (cy.formula == 0)) note(at + "formula present in only one");
                else if (cx.formula && a.formulaText(cx.formula) != b.formulaText(cy.formula))
                    note(at + "formula '" + a.formulaText(cx.formula) + "' vs '" + b.formulaText(cy.formula) + "'");
                if (!sameFormat(a.styles.at(cx.style), b.styles.at(cy.style)))
                    note(at + "format " + describeFormat(a.styles.at(cx.style)) + " vs " + describeFormat(b.styles.at(cy.style)));
            }
        }
        int cols = std::max(x.columnRecordCount(), y.columnRecordCount());
        for (int c = 1; c <= cols && out.size() < limit; ++c) {
            ColumnData cx = x.column(c) ? *x.column(c) : ColumnData{};
            ColumnData cy = y.column(c) ? *y.column(c) : ColumnData{};
            bool sameStyle = sameFormat(a.styles.at(cx.style), b.styles.at(cy.style));
            cx.style = cy.style = 0;
            if (!(cx == cy) || !sameStyle) note(where + "column " + columnLetters(c) + " differs");
        }
    }
    if (a.names.size() != b.names.size()) {
        note("defined name count differs");
    } else {
        for (std::size_t i = 0; i < a.names.size(); ++i)
            if (a.names[i].name != b.names[i].name || a.names[i].formula != b.names[i].formula ||
                a.names[i].localSheet != b.names[i].localSheet || a.names[i].hidden != b.names[i].hidden)
                note("defined name " + a.names[i].name + " differs");
    }
    return out;
}

}  // namespace lorvane::sheet::compare
