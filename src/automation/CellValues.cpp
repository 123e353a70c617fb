#include "automation/CellValues.h"

#include <cmath>

#include "automation/Conversions.h"
#include "spreadsheet/FormulaRefs.h"
#include "spreadsheet/SheetStructure.h"

namespace lorvane {

using sheet::Cell;
using sheet::CellKind;

Variant readCell(const sheet::BookData& book, const sheet::SheetData& sheet, int row, int col) {
    return readCell(book, sheet.find(row, col));
}

Variant readCell(const sheet::BookData& book, const Cell* c) {
    if (!c) return {};
    switch (c->kind) {
    case CellKind::Blank: return {};
    case CellKind::Number: return book.styles.isDate(c->style) ? Variant::date(c->number) : Variant(c->number);
    case CellKind::Text: return Variant::pooledText(book.strings.at(c->text), book.strings.tag(), c->text);
    case CellKind::Boolean: return Variant(c->number != 0.0);
    case CellKind::Error: return Variant(static_cast<ErrorValue>(c->error));
    }
    return {};
}

namespace {

void setText(sheet::BookData& book, Cell& cell, std::string_view text) {
    cell.kind = CellKind::Text;
    cell.text = book.strings.intern(text);
}

// A text read from this workbook goes back to its place in the pool without a lookup.
void setTextOf(sheet::BookData& book, Cell& cell, const Variant& v) {
    std::uint32_t index;
    if (v.pooledIn(book.strings.tag(), index) && book.strings.holdsPlain(index, v.text())) {
        cell.kind = CellKind::Text;
        cell.text = index;
        return;
    }
    setText(book, cell, v.text());
}

// A date written into a General cell shows as a date from then on.
void giveDateFormat(sheet::BookData& book, Cell& cell, double serial) {
    if (book.styles.isDate(cell.style)) return;
    const auto& current = book.styles.at(cell.style);
    if (current.numberFormat != "General") return;
    sheet::CellFormat f = current;
    f.numberFormat = serial != std::floor(serial) ? "yyyy/m/d h:mm" : "yyyy/m/d";
    f.applyFlags |= sheet::ApplyNumberFormat;
    cell.style = book.styles.intern(f);
}

}  // namespace

void writeCell(sheet::BookData& book, sheet::SheetData& sheet, int row, int col, const Variant& v) {
    if (v.isEmpty()) {
        Cell* existing = sheet.find(row, col);
        if (!existing) return;
        existing->kind = CellKind::Blank;
        existing->formula = 0;
        existing->flags = 0;
        existing->number = 0.0;
        if (existing->style == 0) sheet.erase(row, col);
        if (!book.formulas.empty()) book.allFormulasStale = book.needsRecalc = true;
        return;
    }
    Cell& cell = sheet.touch(row, col);
    cell.formula = 0;
    cell.flags = 0;
    if (!book.formulas.empty()) book.allFormulasStale = book.needsRecalc = true;
    if (book.styles.isText(cell.style)) {
        // A text-formatted cell keeps what is written as text: 1001 becomes "1001".
        if (v.isText()) setTextOf(book, cell, v);
        else setText(book, cell, v.isBoolean() ? (v.boolean() ? "TRUE" : "FALSE") : convert::toText(v));
        return;
    }
    switch (v.type()) {
    case Variant::Type::Number:
        cell.kind = CellKind::Number;
        cell.number = v.number();
        break;
    case Variant::Type::Date:
        cell.kind = CellKind::Number;
        cell.number = v.number();
        giveDateFormat(book, cell, v.number());
        break;
    case Variant::Type::Text: setTextOf(book, cell, v); break;
    case Variant::Type::Boolean:
        cell.kind = CellKind::Boolean;
        cell.number = v.boolean() ? 1.0 : 0.0;
        break;
    case Variant::Type::Error:
        cell.kind = CellKind::Error;
        cell.error = static_cast<std::uint16_t>(v.error());
        break;
    case Variant::Type::Empty: break;
    }
}

void shiftFormulas(sheet::BookData& book, sheet::SheetData& changed, bool rows, int at, int count) {
    sheet::shiftSheetStructure(book, changed, rows ? sheet::StructureEdit::rows(at, count) : sheet::StructureEdit::columns(at, count));
}

}  // namespace lorvane
