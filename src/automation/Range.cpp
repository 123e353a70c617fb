#include "automation/Range.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "automation/Application.h"
#include "base/AutomationError.h"
#include "automation/CellValues.h"
#include "automation/Constants.h"
#include "automation/Conversions.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/CopiedFeatures.h"
#include "spreadsheet/SheetCopy.h"
#include "spreadsheet/SheetStructure.h"

namespace lorvane {

using sheet::CellFormat;

namespace {

[[noreturn]] void outOfSheet() {
    throw AutomationError(errc::kMethodFailed, "区域超出工作表范围（最多 1048576 行、16384 列）。");
}

CellRect checked(int r1, int c1, int r2, int c2) {
    if (r1 < 1 || c1 < 1 || r2 > kMaxRows || c2 > kMaxColumns || r2 < r1 || c2 < c1) outOfSheet();
    return {r1, c1, r2, c2};
}

bool spansAllColumns(const CellRect& r) { return r.col1 == 1 && r.col2 == kMaxColumns; }
bool spansAllRows(const CellRect& r) { return r.row1 == 1 && r.row2 == kMaxRows; }

// Where a block of the size of `source` lands when pasted at (row, col), kept within the sheet.
CellRect pastedArea(int row, int col, const CellRect& source) {
    return {row, col, std::min(kMaxRows, row + source.rows() - 1), std::min(kMaxColumns, col + source.cols() - 1)};
}

// Display width of a text in character cells: CJK and full-width characters take two.
int displayWidth(const std::string& s) {
    int w = 0;
    for (std::size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : 4;
        w += len >= 3 ? 2 : 1;
        i += len;
    }
    return w;
}

std::string alignmentName(int xl, bool horizontal) {
    switch (xl) {
    case xlCenter: return "center";
    case xlLeft: return "left";
    case xlRight: return "right";
    case xlTop: return "top";
    case xlBottom: return "bottom";
    case xlGeneral: return horizontal ? "general" : "";
    default: throw AutomationError(errc::kMethodFailed, "无法设置对齐方式：不支持的取值 " + std::to_string(xl) + "。");
    }
}

int alignmentConstant(const std::string& name, bool horizontal) {
    if (name == "center") return xlCenter;
    if (name == "left") return xlLeft;
    if (name == "right") return xlRight;
    if (name == "top") return xlTop;
    if (name == "bottom" || (!horizontal && name.empty())) return xlBottom;
    return xlGeneral;
}

}  // namespace

// ---- Geometry ----------------------------------------------------------------------------------

long long Range::Count() const {
    switch (view_) {
    case View::Rows: return rect_.rows();
    case View::Columns: return rect_.cols();
    case View::Cells: break;
    }
    return static_cast<long long>(rect_.rows()) * rect_.cols();
}

Range Range::Rows(int i) const {
    return Range(sheet_, checked(rect_.row1 + i - 1, rect_.col1, rect_.row1 + i - 1, rect_.col2), View::Rows);
}

Range Range::Columns(int i) const {
    return Range(sheet_, checked(rect_.row1, rect_.col1 + i - 1, rect_.row2, rect_.col1 + i - 1), View::Columns);
}

Range Range::Cells(int row, int col) const {
    int r = rect_.row1 + row - 1, c = rect_.col1 + col - 1;
    return Range(sheet_, checked(r, c, r, c));
}

Range Range::Resize(int rows, int cols) const {
    if (rows < 1 || cols < 1)
        throw AutomationError(errc::kMethodFailed, "无法调整区域大小：行数和列数都必须至少为 1（给出的是 " + std::to_string(rows) + " 行、" + std::to_string(cols) + " 列）。");
    return Range(sheet_, checked(rect_.row1, rect_.col1, rect_.row1 + rows - 1, rect_.col1 + cols - 1), view_);
}

Range Range::Offset(int rows, int cols) const {
    return Range(sheet_, checked(rect_.row1 + rows, rect_.col1 + cols, rect_.row2 + rows, rect_.col2 + cols), view_);
}

Range Range::EntireRow() const { return Range(sheet_, CellRect{rect_.row1, 1, rect_.row2, kMaxColumns}, View::Rows); }
Range Range::EntireColumn() const { return Range(sheet_, CellRect{1, rect_.col1, kMaxRows, rect_.col2}, View::Columns); }

Range Range::End(int direction) const {
    const auto& s = sheet_->data();
    int r = rect_.row1, c = rect_.col1;
    int dr = 0, dc = 0;
    switch (direction) {
    case xlUp: dr = -1; break;
    case xlDown: dr = 1; break;
    case xlToLeft: dc = -1; break;
    case xlToRight: dc = 1; break;
    default: throw AutomationError(errc::kMethodFailed, "End 的方向参数无效：" + std::to_string(direction));
    }
    auto inside = [&](int rr, int cc) { return rr >= 1 && rr <= kMaxRows && cc >= 1 && cc <= kMaxColumns; };
    auto filled = [&](int rr, int cc) { return s.hasValue(rr, cc); };
    if (!inside(r + dr, c + dc)) return Range(sheet_, CellRect{r, c, r, c});
    if (filled(r, c) && filled(r + dr, c + dc)) {
        // Inside a run: its last cell that way.
        while (inside(r + dr, c + dc) && filled(r + dr, c + dc)) r += dr, c += dc;
    } else {
        // The next filled cell that way, or the edge. Beyond the stored cells there is nothing.
        int lastStored = dr != 0 ? s.rowCount() : (s.row(r) && !s.row(r)->cells.empty() ? s.row(r)->cells.back().col : 0);
        r += dr, c += dc;
        while (!filled(r, c)) {
            int pos = dr != 0 ? r : c;
            if ((dr > 0 || dc > 0) && pos > lastStored) {
                if (dr > 0) r = kMaxRows; else c = kMaxColumns;
                break;
            }
            if (!inside(r + dr, c + dc)) break;
            r += dr, c += dc;
        }
    }
    return Range(sheet_, CellRect{r, c, r, c});
}

std::string Range::Address() const {
    sheet_->data();
    return absoluteAddress(rect_);
}

// ---- Values ------------------------------------------------------------------------------------

Variant Range::Value() const {
    return readCell(sheet_->Parent()->data(), sheet_->data(), rect_.row1, rect_.col1);
}

VariantArray Range::Values() const {
    const auto& book = sheet_->Parent()->data();
    const auto& s = sheet_->data();
    VariantArray out(rect_.rows(), rect_.cols());
    int lastRow = std::min(rect_.row2, s.rowCount());
    for (int r = rect_.row1; r <= lastRow; ++r) {
        const auto* rd = s.row(r);
        if (!rd) continue;
        for (const auto& cell : rd->cells) {
            if (cell.col < rect_.col1) continue;
            if (cell.col > rect_.col2) break;
            if (cell.holdsValue()) out(r - rect_.row1 + 1, cell.col - rect_.col1 + 1) = readCell(book, &cell);
        }
    }
    return out;
}

void Range::SetValue(const Variant& v) const {
    auto& book = sheet_->Parent()->data();
    auto& s = sheet_->data();
    if (v.isEmpty()) {
        s.clearRect(rect_, true, false);
    } else {
        if (static_cast<long long>(rect_.rows()) * rect_.cols() > 20'000'000LL)
            throw AutomationError(errc::kMethodFailed, "区域过大，无法逐个写入单元格。");
        for (int r = rect_.row1; r <= rect_.row2; ++r)
            for (int c = rect_.col1; c <= rect_.col2; ++c) writeCell(book, s, r, c, v);
    }
    sheet_->Parent()->changed(sheet_, rect_);
}

void Range::SetValue(const VariantArray& a) const {
    auto& book = sheet_->Parent()->data();
    auto& s = sheet_->data();
    if (static_cast<long long>(rect_.rows()) * rect_.cols() > 20'000'000LL)
        throw AutomationError(errc::kMethodFailed, "区域过大，无法逐个写入单元格。");
    static const Variant notAvailable(ErrorValue::NA);
    for (int i = 1; i <= rect_.rows(); ++i)
        for (int j = 1; j <= rect_.cols(); ++j) {
            const Variant& v = i <= a.rows() && j <= a.cols() ? a(i, j) : notAvailable;
            writeCell(book, s, rect_.row1 + i - 1, rect_.col1 + j - 1, v);
        }
    sheet_->Parent()->changed(sheet_, rect_);
}

bool Range::HasFormula() const {
    const auto* c = sheet_->data().find(rect_.row1, rect_.col1);
    return c && c->formula;
}

std::string Range::Formula() const {
    const auto& book = sheet_->Parent()->data();
    const auto* c = sheet_->data().find(rect_.row1, rect_.col1);
    if (c && c->formula) return "=" + book.formulaText(c->formula);
    return Text();
}

void Range::SetFormula(const std::string& formula) const {
    if (formula.size() < 2 || formula[0] != '=') {
        SetValue(Variant(formula));
        return;
    }
    auto& book = sheet_->Parent()->data();
    auto& s = sheet_->data();
    for (int r = rect_.row1; r <= rect_.row2; ++r)
        for (int c = rect_.col1; c <= rect_.col2; ++c) {
            auto& cell = s.touch(r, c);
            cell.kind = sheet::CellKind::Blank;
            cell.number = 0.0;
            cell.formula = book.addFormula(formula.substr(1));
            cell.flags = sheet::FormulaStale;
        }
    book.needsRecalc = true;
    sheet_->Parent()->changed(sheet_, rect_);
}

std::string Range::Text() const { return convert::toText(Value()); }

// ---- Copying -----------------------------------------------------------------------------------

void Range::Copy(const Range& destination) const {
    Worksheet* target = destination.Parent();
    sheet::copyBlock(sheet_->Parent()->data(), sheet_->data(), rect_, target->Parent()->data(), target->data(),
                     destination.Row(), destination.Column(), sheet::CopyAll);
    sheet::copyRangeRules(sheet_->Parent()->data(), sheet_->data(), rect_, target->Parent()->data(), target->data(),
                          destination.Row() - rect_.row1, destination.Column() - rect_.col1);
    target->Parent()->changed(target, pastedArea(destination.Row(), destination.Column(), rect_), SheetChange::Layout);
}

void Range::Copy() const {
    sheet_->data();
    sheet_->Parent()->Parent()->setClipboard(sheet_, rect_);
}

void Range::PasteSpecial(int paste, int /*operation*/, bool /*skipBlanks*/, bool /*transpose*/) const {
    Application* app = sheet_->Parent()->Parent();
    const auto& clip = app->clipboard();
    if (!clip || !clip->sheet || !clip->sheet->alive())
        throw AutomationError(errc::kMethodFailed, "无法粘贴：剪贴板上没有复制的区域。");
    unsigned parts = paste == xlPasteFormats ? sheet::CopyFormats : paste == xlPasteValues ? sheet::CopyResults : sheet::CopyAll;
    sheet::copyBlock(clip->sheet->Parent()->data(), clip->sheet->data(), clip->rect, sheet_->Parent()->data(), sheet_->data(),
                     rect_.row1, rect_.col1, parts);
    if (parts & sheet::CopyFormats)
        sheet::copyRangeRules(clip->sheet->Parent()->data(), clip->sheet->data(), clip->rect, sheet_->Parent()->data(),
                              sheet_->data(), rect_.row1 - clip->rect.row1, rect_.col1 - clip->rect.col1);
    sheet_->Parent()->changed(sheet_, pastedArea(rect_.row1, rect_.col1, clip->rect), SheetChange::Layout);
}

// ---- Structure ---------------------------------------------------------------------------------

void Range::Delete(int shift) const {
    auto& book = sheet_->Parent()->data();
    auto& s = sheet_->data();
    if (spansAllColumns(rect_)) {
        s.deleteRows(rect_.row1, rect_.rows());
        shiftFormulas(book, s, true, rect_.row1, -rect_.rows());
    } else if (spansAllRows(rect_)) {
        s.deleteColumns(rect_.col1, rect_.cols());
        shiftFormulas(book, s, false, rect_.col1, -rect_.cols());
    } else {
        bool up = shift == xlShiftUp || (shift != xlShiftToLeft && rect_.cols() >= rect_.rows());
        if (up) s.deleteCellsShiftUp(rect_); else s.deleteCellsShiftLeft(rect_);
        sheet::shiftSheetStructure(book, s, up ? sheet::StructureEdit{sheet::Axis::Rows, rect_.row1, -rect_.rows(), rect_.col1, rect_.col2}
                                               : sheet::StructureEdit{sheet::Axis::Columns, rect_.col1, -rect_.cols(), rect_.row1, rect_.row2});
        // Ranges that reach partly into the shifted cells keep their place but not their contents.
        if (!book.formulas.empty()) book.allFormulasStale = book.needsRecalc = true;
    }
    sheet_->Parent()->changed(sheet_, CellRect{rect_.row1, rect_.col1, kMaxRows, kMaxColumns}, SheetChange::Layout);
}

void Range::Insert(int shift) const {
    auto& book = sheet_->Parent()->data();
    auto& s = sheet_->data();
    if (spansAllColumns(rect_)) {
        s.insertRows(rect_.row1, rect_.rows());
        shiftFormulas(book, s, true, rect_.row1, rect_.rows());
    } else if (spansAllRows(rect_)) {
        s.insertColumns(rect_.col1, rect_.cols());
        shiftFormulas(book, s, false, rect_.col1, rect_.cols());
    } else {
        bool down = shift == xlShiftDown || (shift != xlShiftToRight && rect_.cols() >= rect_.rows());
        if (down) s.insertCellsShiftDown(rect_); else s.insertCellsShiftRight(rect_);
        sheet::shiftSheetStructure(book, s, down ? sheet::StructureEdit{sheet::Axis::Rows, rect_.row1, rect_.rows(), rect_.col1, rect_.col2}
                                                 : sheet::StructureEdit{sheet::Axis::Columns, rect_.col1, rect_.cols(), rect_.row1, rect_.row2});
        // Ranges that reach partly into the shifted cells keep their place but not their contents.
        if (!book.formulas.empty()) book.allFormulasStale = book.needsRecalc = true;
    }
    sheet_->Parent()->changed(sheet_, CellRect{rect_.row1, rect_.col1, kMaxRows, kMaxColumns}, SheetChange::Layout);
}

void Range::ClearContents() const {
    auto& book = sheet_->Parent()->data();
    sheet_->data().clearRect(rect_, true, false);
    if (!book.formulas.empty()) book.allFormulasStale = book.needsRecalc = true;
    sheet_->Parent()->changed(sheet_, rect_);
}

void Range::ClearFormats() const {
    sheet_->data().clearRect(rect_, false, true);
    sheet_->Parent()->changed(sheet_, rect_);
}

void Range::Clear() const {
    ClearContents();
    ClearFormats();
}

void Range::Select() const {
    auto& s = sheet_->data();
    sheet_->Activate();
    s.activeRow = rect_.row1;
    s.activeColumn = rect_.col1;
    if (auto* o = sheet_->Parent()->Parent()->observer()) o->selectionChanged(sheet_);
}

void Range::Merge() const {
    auto& book = sheet_->Parent()->data();
    auto& s = sheet_->data();
    // The merged cell keeps the top-left value, as the application does.
    for (int r = rect_.row1; r <= std::min(rect_.row2, s.rowCount()); ++r)
        for (int c = rect_.col1; c <= rect_.col2; ++c)
            if ((r != rect_.row1 || c != rect_.col1) && s.hasValue(r, c)) writeCell(book, s, r, c, Variant());
    s.merges.erase(std::remove_if(s.merges.begin(), s.merges.end(), [&](const CellRect& m) { return m.intersects(rect_); }),
                   s.merges.end());
    if (rect_.rows() > 1 || rect_.cols() > 1) s.merges.push_back(rect_);
    sheet_->Parent()->changed(sheet_, rect_, SheetChange::Layout);
}

void Range::UnMerge() const {
    auto& s = sheet_->data();
    s.merges.erase(std::remove_if(s.merges.begin(), s.merges.end(), [&](const CellRect& m) { return m.intersects(rect_); }),
                   s.merges.end());
    sheet_->Parent()->changed(sheet_, rect_, SheetChange::Layout);
}

bool Range::MergeCells() const {
    for (const CellRect& m : sheet_->data().merges)
        if (m.contains(rect_.row1, rect_.col1)) return true;
    return false;
}

void Range::AutoFit() const {
    const auto& book = sheet_->Parent()->data();
    auto& s = sheet_->data();
    CellRect used;
    if (!s.usedBounds(used)) return;
    int c1 = std::max(rect_.col1, used.col1), c2 = std::min(rect_.col2, used.col2);
    int r1 = std::max(rect_.row1, used.row1), r2 = std::min(rect_.row2, used.row2);
    std::vector<int> widest(static_cast<std::size_t>(std::max(0, c2 - c1 + 1)), 0);
    for (int r = r1; r <= r2; ++r) {
        const auto* rd = s.row(r);
        if (!rd) continue;
        for (const auto& cell : rd->cells) {
            if (cell.col < c1) continue;
            if (cell.col > c2) break;
            if (!cell.holdsValue()) continue;
            int w = displayWidth(convert::toText(readCell(book, s, r, cell.col)));
            widest[cell.col - c1] = std::max(widest[cell.col - c1], w);
        }
    }
    for (int c = c1; c <= c2; ++c) {
        int w = widest[c - c1];
        if (w == 0) continue;
        auto& cd = s.columnForWrite(c);
        cd.width = std::min(255.0, w + 1.71);
        cd.customWidth = true;
        cd.bestFit = true;
    }
    sheet_->Parent()->changed(sheet_, rect_, SheetChange::Layout);
}

// ---- Formats -----------------------------------------------------------------------------------

namespace {

// Applies a change to the format of every cell of a range. Whole rows, whole columns and the
// whole sheet change the row and column formats instead of creating a million cells.
template <class Mutate>
void mutateFormats(Worksheet* ws, const CellRect& rect, Mutate mutate) {
    auto& book = ws->Parent()->data();
    auto& s = ws->data();
    constexpr std::uint32_t kUnmapped = 0xFFFFFFFFu;
    std::vector<std::uint32_t> mapped;  // old format index -> changed format index
    auto restyle = [&](std::uint32_t style) {
        if (style >= mapped.size()) mapped.resize(style + 1, kUnmapped);
        if (mapped[style] == kUnmapped) {
            CellFormat f = book.styles.at(style);
            mutate(f);
            std::uint32_t n = book.styles.intern(f);
            mapped[style] = n;
        }
        return mapped[style];
    };
    bool allCols = spansAllColumns(rect), allRows = spansAllRows(rect);
    if (allRows) {
        for (int c = rect.col1; c <= rect.col2; ++c) {
            auto& cd = s.columnForWrite(c);
            cd.style = restyle(cd.style);
        }
    }
    if (allCols) {
        int last = allRows ? s.rowCount() : rect.row2;
        for (int r = rect.row1; r <= last; ++r) {
            if (allRows && !(s.row(r) && (s.row(r)->flags & sheet::RowCustomFormat))) continue;
            auto& rd = s.rowForWrite(r);
            rd.style = restyle(rd.style);
            rd.flags |= sheet::RowCustomFormat;
        }
    }
    if (allCols || allRows) {
        if (allRows && !allCols) {
            // Rows with a row format would hide the column format: give them cells here.
            for (int r = 1; r <= s.rowCount(); ++r)
                if (s.row(r)->flags & sheet::RowCustomFormat)
                    for (int c = rect.col1; c <= rect.col2; ++c) s.touch(r, c);
        }
        for (int r = rect.row1; r <= std::min(rect.row2, s.rowCount()); ++r)
            for (auto& cell : s.rowForWrite(r).cells)
                if (cell.col >= rect.col1 && cell.col <= rect.col2) cell.style = restyle(cell.style);
    } else {
        // Every cell of the block gets a record: one merge pass per row.
        std::vector<sheet::Cell> merged;
        for (int r = rect.row1; r <= rect.row2; ++r) {
            auto& cells = s.rowForWrite(r).cells;
            auto first = std::lower_bound(cells.begin(), cells.end(), rect.col1,
                                          [](const sheet::Cell& c, int col) { return c.col < col; });
            merged.clear();
            merged.reserve(cells.size() + static_cast<std::size_t>(rect.cols()));
            merged.insert(merged.end(), cells.begin(), first);
            auto it = first;
            for (int c = rect.col1; c <= rect.col2; ++c) {
                sheet::Cell cell;
                if (it != cells.end() && it->col == c) {
                    cell = *it++;
                } else {
                    cell.col = static_cast<std::uint16_t>(c);
                    cell.style = s.styleAt(r, c);
                }
                cell.style = restyle(cell.style);
                merged.push_back(cell);
            }
            merged.insert(merged.end(), it, cells.end());
            cells.assign(merged.begin(), merged.end());
        }
    }
    ws->Parent()->changed(ws, rect);
}

const CellFormat& topLeftFormat(Worksheet* ws, const CellRect& rect) {
    return ws->Parent()->data().styles.at(ws->data().styleAt(rect.row1, rect.col1));
}

}  // namespace

std::string Range::NumberFormat() const { return topLeftFormat(sheet_, rect_).numberFormat; }

void Range::SetNumberFormat(const std::string& code) const {
    mutateFormats(sheet_, rect_, [&](CellFormat& f) {
        f.numberFormat = code;
        f.applyFlags |= sheet::ApplyNumberFormat;
    });
}

void Range::SetHorizontalAlignment(int xlAlign) const {
    std::string name = alignmentName(xlAlign, true);
    mutateFormats(sheet_, rect_, [&](CellFormat& f) {
        f.alignment.horizontal = name;
        f.applyFlags |= sheet::ApplyAlignment;
    });
}

void Range::SetVerticalAlignment(int xlAlign) const {
    std::string name = alignmentName(xlAlign, false);
    mutateFormats(sheet_, rect_, [&](CellFormat& f) {
        f.alignment.vertical = name == "bottom" ? "" : name;
        f.applyFlags |= sheet::ApplyAlignment;
    });
}

int Range::HorizontalAlignment() const { return alignmentConstant(topLeftFormat(sheet_, rect_).alignment.horizontal, true); }
int Range::VerticalAlignment() const { return alignmentConstant(topLeftFormat(sheet_, rect_).alignment.vertical, false); }

void Range::SetWrapText(bool on) const {
    mutateFormats(sheet_, rect_, [&](CellFormat& f) {
        f.alignment.wrapText = on;
        f.applyFlags |= sheet::ApplyAlignment;
    });
}

void Range::SetShrinkToFit(bool on) const {
    mutateFormats(sheet_, rect_, [&](CellFormat& f) {
        f.alignment.shrinkToFit = on;
        f.applyFlags |= sheet::ApplyAlignment;
    });
}

bool Range::WrapText() const { return topLeftFormat(sheet_, rect_).alignment.wrapText; }
bool Range::ShrinkToFit() const { return topLeftFormat(sheet_, rect_).alignment.shrinkToFit; }

void Range::SetFontBold(bool on) const {
    mutateFormats(sheet_, rect_, [&](CellFormat& f) {
        f.font.bold = on;
        f.applyFlags |= sheet::ApplyFont;
    });
}

void Range::SetColumnWidth(double width) const {
    auto& s = sheet_->data();
    for (int c = rect_.col1; c <= rect_.col2; ++c) {
        auto& cd = s.columnForWrite(c);
        cd.width = width;
        cd.customWidth = true;
    }
    sheet_->Parent()->changed(sheet_, rect_, SheetChange::Layout);
}

void Range::SetRowHeight(double height) const {
    auto& s = sheet_->data();
    for (int r = rect_.row1; r <= rect_.row2; ++r) {
        auto& rd = s.rowForWrite(r);
        rd.height = static_cast<float>(height);
        rd.flags |= sheet::RowCustomHeight;
    }
    sheet_->Parent()->changed(sheet_, rect_, SheetChange::Layout);
}

double Range::ColumnWidth() const { return sheet_->data().columnWidth(rect_.col1); }
double Range::RowHeight() const { return sheet_->data().rowHeight(rect_.row1); }

void BordersProxy::SetLineStyle(int style) const {
    std::string edge = style == xlContinuous ? "thin" : "";
    if (style != xlContinuous && style != xlLineStyleNone)
        throw AutomationError(errc::kMethodFailed, "不支持的边框线型：" + std::to_string(style));
    mutateFormats(range_.Parent(), range_.rect(), [&](CellFormat& f) {
        for (auto* e : {&f.border.left, &f.border.right, &f.border.top, &f.border.bottom}) {
            e->style = edge;
            e->color = sheet::Color{};
            if (!edge.empty()) e->color.kind = sheet::Color::Kind::Auto;
        }
        f.applyFlags |= sheet::ApplyBorder;
    });
}

int BordersProxy::LineStyle() const {
    const auto& b = topLeftFormat(range_.Parent(), range_.rect()).border;
    return b.left.style.empty() && b.top.style.empty() ? xlLineStyleNone : xlContinuous;
}

}  // namespace lorvane
