// A worksheet part read streaming: <sheetData>, <cols> and <mergeCells> go into the model as they
// arrive; every other top-level element is kept whole for writing back.
#include <charconv>
#include <cstring>

#include "base/AutomationError.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/FormulaRefs.h"
#include "spreadsheet/Package.h"
#include "spreadsheet/SheetXmlScanner.h"
#include "spreadsheet/ZipArchive.h"

namespace lorvane::sheet {

namespace {

constexpr double k1904Offset = 1462.0;  // days from 1900-01-00 to 1904-01-01 in serial terms

bool truthy(const char* v) { return v && (v[0] == '1' || std::strcmp(v, "true") == 0); }

// "AB12" -> column 28, row 12. Either part may be missing (0).
void parseCellRef(const char* s, int& col, int& row) {
    col = 0;
    row = 0;
    const char* p = s;
    if (*p == '$') ++p;
    while (*p) {
        char c = *p;
        if (c >= 'A' && c <= 'Z') col = col * 26 + (c - 'A' + 1);
        else if (c >= 'a' && c <= 'z') col = col * 26 + (c - 'a' + 1);
        else break;
        if (col > kMaxColumns) { col = kMaxColumns + 1; }
        ++p;
    }
    if (*p == '$') ++p;
    while (*p >= '0' && *p <= '9') {
        row = row * 10 + (*p - '0');
        if (row > kMaxRows) { row = kMaxRows + 1; break; }
        ++p;
    }
}

template <typename T>
T parseInt(const char* v, T fallback) {
    if (!v) return fallback;
    T out = fallback;
    std::from_chars(v, v + std::strlen(v), out);
    return out;
}

// A non-negative decimal index; UINT32_MAX when malformed (callers treat it as out of range).
std::uint32_t parseIndex(const char* v) {
    std::uint64_t n = 0;
    if (!*v) return UINT32_MAX;
    for (; *v; ++v) {
        if (*v < '0' || *v > '9') return UINT32_MAX;
        n = n * 10 + static_cast<std::uint64_t>(*v - '0');
        if (n >= UINT32_MAX) return UINT32_MAX;
    }
    return static_cast<std::uint32_t>(n);
}

double parseDouble(std::string_view s, bool& ok) {
    double d = 0;
    while (!s.empty() && (s.front() == ' ' || s.front() == '+')) s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
    ok = ec == std::errc() && p == s.data() + s.size();
    return d;
}

enum class Mode { Top, SheetData, Cols, Merges, Skip, Capture };

struct SharedMaster {
    int row = 0, col = 0;
    std::string text;
};

class WorksheetReader : public XmlScanner {
public:
    WorksheetReader(const std::string& part, SheetReadContext& ctx, SheetData& sheet, SheetPackage& kept)
        : XmlScanner(part), ctx_(ctx), book_(ctx.book), sheet_(sheet), kept_(kept) {
        text_.reserve(256);
    }

protected:
    void onStart(const char* name, const char** attrs) override {
        ++depth_;
        if (mode_ == Mode::Capture) {
            builder_.start(name, attrs);
            return;
        }
        if (mode_ == Mode::Skip) return;
        std::string_view l = localName(name);
        if (depth_ == 1) {
            kept_.rootName = name;
            for (int i = 0; attrs[i]; i += 2) kept_.rootAttrs.emplace_back(attrs[i], attrs[i + 1]);
            return;
        }
        if (depth_ == 2) {
            int rank = worksheetChildRank(l);
            currentRank_ = rank >= 0 ? 2 * rank : lastRank_ + 1;
            lastRank_ = rank >= 0 ? 2 * rank : lastRank_;
            if (l == "sheetData") mode_ = Mode::SheetData;
            else if (l == "cols") mode_ = Mode::Cols;
            else if (l == "mergeCells") mode_ = Mode::Merges;
            else if (l == "dimension") mode_ = Mode::Skip;
            else {
                mode_ = Mode::Capture;
                builder_.start(name, attrs);
            }
            return;
        }
        switch (mode_) {
        case Mode::SheetData: sheetDataStart(l, attrs); break;
        case Mode::Cols: if (l == "col") readColumn(attrs); break;
        case Mode::Merges: if (l == "mergeCell") readMerge(attrs); break;
        default: break;
        }
    }

    void onEnd(const char* name) override {
        --depth_;
        if (mode_ == Mode::Capture) {
            if (builder_.end()) {
                kept_.elements.push_back(builder_.take());
                kept_.elementRanks.push_back(currentRank_);
                noteCaptured(kept_.elements.back());
                mode_ = Mode::Top;
            }
            return;
        }
        if (depth_ == 1) {
            mode_ = Mode::Top;
            return;
        }
        if (mode_ == Mode::SheetData) sheetDataEnd(localName(name));
    }

    void onText(const char* s, int len) override {
        if (mode_ == Mode::Capture) builder_.text(s, len);
        else if (collecting_) text_.append(s, static_cast<std::size_t>(len));
        else if (inline_ == Inline::Tree) inlineBuilder_.text(s, len);
    }

private:
    [[noreturn]] void outOfRange() {
        throw AutomationError(errc::kBadFile, "工作表“" + sheet_.name + "”中的单元格位置超出了工作表的范围（文件“" +
                                                  ctx_.displayName + "”已损坏）。");
    }

    void sheetDataStart(std::string_view l, const char** attrs) {
        if (inline_ == Inline::Tree) {
            inlineBuilder_.start(l.data(), attrs);
            return;
        }
        if (inline_ == Inline::Plain) {
            if (depth_ == inlineDepth_ + 1 && l == "t" && !inlineHasT_) {
                inlineHasT_ = true;
                text_.clear();
                collecting_ = true;
                return;
            }
            // Runs or phonetic text: replay what was seen into a tree and go on from there.
            static const char* kNoAttrs[] = {nullptr};
            inline_ = Inline::Tree;
            collecting_ = false;
            inlineBuilder_.start("is", kNoAttrs);
            if (inlineHasT_) {
                inlineBuilder_.start("t", kNoAttrs);
                inlineBuilder_.text(text_.data(), static_cast<int>(text_.size()));
                inlineBuilder_.end();
            }
            inlineBuilder_.start(l.data(), attrs);
            return;
        }
        if (depth_ == 3 && l == "row") {
            startRow(attrs);
        } else if (depth_ == 4 && l == "c") {
            startCell(attrs);
        } else if (depth_ == 5 && inCell_) {
            if (l == "v") {
                text_.clear();
                collecting_ = true;
                hasValue_ = true;
            } else if (l == "f") {
                text_.clear();
                collecting_ = true;
                hasFormula_ = true;
                readFormulaAttrs(attrs);
            } else if (l == "is") {
                inline_ = Inline::Plain;
                inlineDepth_ = depth_;
                inlineHasT_ = false;
                text_.clear();
            }
        }
    }

    void sheetDataEnd(std::string_view l) {
        if (inline_ == Inline::Tree) {
            if (inlineBuilder_.end()) {
                XmlNode is = inlineBuilder_.take();
                inlineText_ = internRichText(book_.strings, is, ctx_.plainTwins);
                hasInline_ = true;
                inline_ = Inline::None;
            }
            return;
        }
        if (inline_ == Inline::Plain) {
            if (depth_ == inlineDepth_ + 1) {
                collecting_ = false;  // the end of <t>
            } else if (depth_ == inlineDepth_) {
                inlineText_ = internPlainText(book_.strings, inlineHasT_ ? std::string_view(text_) : std::string_view(), ctx_.plainTwins);
                hasInline_ = true;
                inline_ = Inline::None;
            }
            return;
        }
        if (depth_ == 4 && inCell_) {
            // Swapped, not copied: text_ is cleared before it collects again.
            if (l == "v") {
                value_.swap(text_);
                collecting_ = false;
            } else if (l == "f") {
                formula_.swap(text_);
                collecting_ = false;
            }
        } else if (depth_ == 3 && l == "c") {
            finishCell();
        }
    }

    void startRow(const char** attrs) {
        int r = 0;
        bool hasHeight = false, custom = false;
        float height = 0;
        std::uint32_t style = 0;
        std::uint8_t flags = 0, outline = 0;
        for (int i = 0; attrs[i]; i += 2) {
            std::string_view k = localName(attrs[i]);
            const char* v = attrs[i + 1];
            if (k == "r") r = parseInt<int>(v, 0);
            else if (k == "ht") {
                bool ok = false;
                double h = parseDouble(v, ok);
                if (ok) {
                    height = static_cast<float>(h);
                    hasHeight = true;
                }
            }
            else if (k == "customHeight" && truthy(v)) flags |= RowCustomHeight;
            else if (k == "hidden" && truthy(v)) flags |= RowHidden;
            else if (k == "s") style = parseInt<std::uint32_t>(v, 0);
            else if (k == "customFormat" && truthy(v)) custom = true;
            else if (k == "outlineLevel") outline = parseInt<std::uint8_t>(v, 0);
            else if (k == "collapsed" && truthy(v)) flags |= RowCollapsed;
            else if (k == "thickTop" && truthy(v)) flags |= RowThickTop;
            else if (k == "thickBot" && truthy(v)) flags |= RowThickBottom;
        }
        if (r == 0) r = row_ + 1;
        if (r < 1 || r > kMaxRows) outOfRange();
        row_ = r;
        col_ = 0;
        if (custom) flags |= RowCustomFormat;
        if (style >= book_.styles.size()) style = 0;
        if (flags || outline || hasHeight) {
            RowData& rd = sheet_.rowForWrite(r);
            rd.flags = flags;
            rd.outline = outline;
            if (hasHeight && height > 0 && height < 10000) rd.height = height;
            if (custom) rd.style = style;
        }
    }

    void startCell(const char** attrs) {
        inCell_ = true;
        hasValue_ = hasFormula_ = hasInline_ = false;
        type_ = 'n';
        style_ = 0;
        value_.clear();
        formula_.clear();
        formulaType_ = 0;
        sharedIndex_ = -1;
        cellAttrs_.clear();
        formulaAttrs_.clear();
        int col = 0, row = 0;
        for (int i = 0; attrs[i]; i += 2) {
            const char* k = attrs[i];
            const char* v = attrs[i + 1];
            if (k[0] == 'r' && k[1] == 0) parseCellRef(v, col, row);
            else if (k[0] == 's' && k[1] == 0) style_ = parseIndex(v);
            else if (k[0] == 't' && k[1] == 0) type_ = typeCode(v);
            else if (std::strcmp(k, "cm") == 0 || std::strcmp(k, "vm") == 0) {
                cellAttrs_ += ' ';
                cellAttrs_ += k;
                cellAttrs_ += "=\"";
                appendEscapedAttr(cellAttrs_, v);
                cellAttrs_ += '"';
            }
        }
        if (row == 0) row = row_ == 0 ? 1 : row_;
        if (col == 0) col = col_ + 1;
        if (row > kMaxRows || col > kMaxColumns || row < 1) outOfRange();
        if (row != row_) {
            row_ = row;
        }
        cellRow_ = row;
        col_ = col;
        if (style_ >= book_.styles.size()) style_ = 0;
    }

    static char typeCode(const char* t) {
        if (std::strcmp(t, "s") == 0) return 's';
        if (std::strcmp(t, "str") == 0) return 'f';
        if (std::strcmp(t, "inlineStr") == 0) return 'i';
        if (std::strcmp(t, "b") == 0) return 'b';
        if (std::strcmp(t, "e") == 0) return 'e';
        if (std::strcmp(t, "d") == 0) return 'd';
        return 'n';
    }

    void readFormulaAttrs(const char** attrs) {
        if (const char* t = findAttr(attrs, "t")) formulaType_ = t[0];  // 'n'ormal, 'a'rray, 's'hared, 'd'ataTable
        if (const char* si = findAttr(attrs, "si")) sharedIndex_ = parseInt<int>(si, -1);
        // Shared formulas are written out one by one; what else <f> carries is kept for the cell.
        bool plain = formulaType_ == 0 || formulaType_ == 'n' || formulaType_ == 's';
        for (int i = 0; attrs[i]; i += 2) {
            std::string_view k = attrs[i];
            if (k == "si" || (plain && (k == "t" || k == "ref"))) continue;
            formulaAttrs_ += ' ';
            formulaAttrs_ += k;
            formulaAttrs_ += "=\"";
            appendEscapedAttr(formulaAttrs_, attrs[i + 1]);
            formulaAttrs_ += '"';
        }
    }

    // The formula text of the cell, shared formulas expanded for their position.
    bool resolveFormula(std::string& text) {
        if (formulaType_ == 's') {
            if (sharedIndex_ < 0) return false;
            auto index = static_cast<std::size_t>(sharedIndex_);
            if (!formula_.empty()) {
                if (index >= shared_.size()) {
                    if (index > 1000000) return false;
                    shared_.resize(index + 1);
                }
                shared_[index] = {cellRow_, col_, formula_};
                text = formula_;
                return true;
            }
            if (index >= shared_.size() || shared_[index].text.empty()) return false;
            const SharedMaster& m = shared_[index];
            text = m.text;
            offsetReferences(text, cellRow_ - m.row, col_ - m.col);
            return true;
        }
        if (formula_.empty() && formulaType_ != 'd') return false;
        text = formula_;
        return true;
    }

    void finishCell() {
        inCell_ = false;
        collecting_ = false;
        std::string formulaText;
        bool hasFormula = hasFormula_ && resolveFormula(formulaText);
        if (!hasValue_ && !hasFormula && !hasInline_ && style_ == 0 && cellAttrs_.empty()) return;
        if (cellRow_ != filledRow_) {
            // Rows of a sheet tend to be alike: size a new row for as many cells as the last one.
            RowData& rd = sheet_.rowForWrite(cellRow_);
            if (rd.cells.empty() && lastRowCells_ > 0) rd.cells.reserve(lastRowCells_);
            if (filledRow_ > 0) lastRowCells_ = std::max<std::size_t>(1, sheet_.row(filledRow_)->cells.size());
            filledRow_ = cellRow_;
        }
        Cell& cell = sheet_.appendCell(cellRow_, col_);
        cell.style = style_;
        cell.kind = CellKind::Blank;
        if (hasInline_) {
            cell.kind = CellKind::Text;
            cell.text = inlineText_;
        } else if (hasValue_) {
            switch (type_) {
            case 's': {
                std::uint32_t index = 0;
                auto [p, ec] = std::from_chars(value_.data(), value_.data() + value_.size(), index);
                if (ec == std::errc() && index < ctx_.sharedStrings.size()) {
                    cell.kind = CellKind::Text;
                    cell.text = ctx_.sharedStrings[index];
                }
                break;
            }
            case 'f':
            case 'i':
                cell.kind = CellKind::Text;
                cell.text = internPlainText(book_.strings, value_, ctx_.plainTwins);
                break;
            case 'b':
                cell.kind = CellKind::Boolean;
                cell.number = (value_ == "1" || value_ == "true" || value_ == "TRUE") ? 1.0 : 0.0;
                break;
            case 'e':
                cell.kind = CellKind::Error;
                cell.error = errorCodeFromText(value_);
                break;
            case 'd': {
                double serial = 0;
                if (isoDateToSerial(value_, serial)) {
                    cell.kind = CellKind::Number;
                    cell.number = serial;
                } else {
                    cell.kind = CellKind::Text;
                    cell.text = internPlainText(book_.strings, value_, ctx_.plainTwins);
                }
                break;
            }
            default: {
                if (value_.empty()) break;
                bool ok = false;
                double d = parseDouble(value_, ok);
                if (ok) {
                    cell.kind = CellKind::Number;
                    cell.number = d;
                    if (book_.date1904 && book_.styles.isDate(style_)) cell.number += k1904Offset;
                } else {
                    // Not a number after all: keep what the file says rather than lose it.
                    cell.kind = CellKind::Text;
                    cell.text = internPlainText(book_.strings, value_, ctx_.plainTwins);
                }
            }
            }
        }
        if (hasFormula) {
            cell.formula = book_.addFormula(std::move(formulaText));
            if (formulaType_ == 'a') cell.flags |= ArrayFormula;
        }
        bool keepFormulaAttrs = hasFormula && (formulaType_ == 'a' || formulaType_ == 'd' || !formulaAttrs_.empty());
        if (!cellAttrs_.empty() || keepFormulaAttrs) {
            CellExtra& extra = kept_.cellExtras[cellKey(cellRow_, col_)];
            extra.formula = cell.formula;
            extra.cellAttrs = cellAttrs_;
            if (keepFormulaAttrs) extra.formulaAttrs = formulaAttrs_;
        }
    }

    void readColumn(const char** attrs) {
        int lo = parseInt<int>(findAttr(attrs, "min"), 0);
        int hi = parseInt<int>(findAttr(attrs, "max"), lo);
        if (lo < 1 || lo > kMaxColumns || hi < lo) return;
        hi = std::min(hi, kMaxColumns);
        ColumnData cd;
        bool ok = false;
        if (const char* w = findAttr(attrs, "width")) {
            cd.width = parseDouble(w, ok);
            if (!ok || !(cd.width >= 0 && cd.width <= 255)) cd.width = ColumnData::kDefaultWidth;
        }
        cd.style = parseInt<std::uint32_t>(findAttr(attrs, "style"), 0);
        if (cd.style >= book_.styles.size()) cd.style = 0;
        cd.hidden = truthy(findAttr(attrs, "hidden"));
        cd.customWidth = truthy(findAttr(attrs, "customWidth"));
        cd.bestFit = truthy(findAttr(attrs, "bestFit"));
        cd.collapsed = truthy(findAttr(attrs, "collapsed"));
        cd.outline = parseInt<std::uint8_t>(findAttr(attrs, "outlineLevel"), 0);
        if (cd.isDefault()) return;
        for (int c = hi; c >= lo; --c) sheet_.columnForWrite(c) = cd;
    }

    void readMerge(const char** attrs) {
        const char* ref = findAttr(attrs, "ref");
        CellRect rect;
        if (ref && parseReference(ref, rect) && (rect.rows() > 1 || rect.cols() > 1)) sheet_.merges.push_back(rect);
    }

    // Modelled attributes of kept elements: default sizes and the selected cell.
    void noteCaptured(const XmlNode& n) {
        std::string_view l = n.local();
        if (l == "sheetFormatPr") {
            bool ok = false;
            if (const char* v = n.attr("defaultRowHeight")) {
                double h = parseDouble(v, ok);
                if (ok && h > 0 && h < 10000) sheet_.defaultRowHeight = h;
            }
            if (const char* v = n.attr("defaultColWidth")) {
                double w = parseDouble(v, ok);
                if (ok && w > 0 && w < 256) sheet_.defaultColumnWidth = w;
            } else if (const char* b = n.attr("baseColWidth")) {
                double w = parseDouble(b, ok);
                if (ok && w > 0 && w < 256) sheet_.defaultColumnWidth = w + 0.43;
            }
            kept_.readDefaultRowHeight = sheet_.defaultRowHeight;
        } else if (l == "sheetViews") {
            const XmlNode* view = n.child("sheetView");
            if (!view) return;
            const XmlNode* pane = view->child("pane");
            const char* activePane = pane ? pane->attr("activePane") : nullptr;
            const XmlNode* chosen = nullptr;
            for (const XmlNode& c : view->children) {
                if (c.name.empty() || c.local() != "selection") continue;
                const char* p = c.attr("pane");
                if ((activePane && p && std::strcmp(p, activePane) == 0) || (!activePane && !p)) {
                    chosen = &c;
                    break;
                }
                if (!chosen) chosen = &c;
            }
            if (chosen)
                if (const char* cell = chosen->attr("activeCell")) {
                    int col = 0, row = 0;
                    parseCellRef(cell, col, row);
                    if (row >= 1 && row <= kMaxRows && col >= 1 && col <= kMaxColumns) {
                        sheet_.activeRow = row;
                        sheet_.activeColumn = col;
                    }
                }
            kept_.readActiveRow = sheet_.activeRow;
            kept_.readActiveColumn = sheet_.activeColumn;
        }
    }

    SheetReadContext& ctx_;
    BookData& book_;
    SheetData& sheet_;
    SheetPackage& kept_;
    XmlTreeBuilder builder_, inlineBuilder_;
    // An inline string: most are one plain <t>, read without building a tree; anything richer
    // switches to the tree builder.
    enum class Inline : std::uint8_t { None, Plain, Tree } inline_ = Inline::None;
    int inlineDepth_ = 0;
    bool inlineHasT_ = false;
    Mode mode_ = Mode::Top;
    int depth_ = 0;
    int lastRank_ = 0, currentRank_ = 0;
    int row_ = 0, col_ = 0, cellRow_ = 0, filledRow_ = 0;
    std::size_t lastRowCells_ = 0;
    bool inCell_ = false, collecting_ = false, hasValue_ = false, hasFormula_ = false, hasInline_ = false;
    char type_ = 'n';
    char formulaType_ = 0;
    int sharedIndex_ = -1;
    std::uint32_t style_ = 0, inlineText_ = 0;
    std::string text_, value_, formula_, cellAttrs_, formulaAttrs_;
    std::vector<SharedMaster> shared_;
};

}  // namespace

int worksheetChildRank(std::string_view l) {
    static constexpr std::string_view kOrder[] = {
        "sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData", "sheetCalcPr",
        "sheetProtection", "protectedRanges", "scenarios", "autoFilter", "sortState", "dataConsolidate",
        "customSheetViews", "mergeCells", "phoneticPr", "conditionalFormatting", "dataValidations", "hyperlinks",
        "printOptions", "pageMargins", "pageSetup", "headerFooter", "rowBreaks", "colBreaks", "customProperties",
        "cellWatches", "ignoredErrors", "smartTags", "drawing", "legacyDrawing", "legacyDrawingHF", "drawingHF",
        "picture", "oleObjects", "controls", "webPublishItems", "tableParts", "extLst"};
    for (std::size_t i = 0; i < std::size(kOrder); ++i)
        if (kOrder[i] == l) return static_cast<int>(i);
    return -1;
}

void readWorksheetFrom(const XmlChunkSource& source, const std::string& partName, SheetReadContext& ctx, SheetData& sheet,
                       SheetPackage& kept) {
    WorksheetReader reader(partName, ctx, sheet, kept);
    kept.readDefaultRowHeight = sheet.defaultRowHeight;
    source([&](const char* p, std::size_t n) { reader.feed(p, n); });
    reader.finish();
}

void readWorksheet(ZipReader& zip, const std::string& partName, SheetReadContext& ctx, SheetData& sheet, SheetPackage& kept) {
    readWorksheetFrom([&](const XmlChunkSink& sink) { zip.stream(partName, sink); }, partName, ctx, sheet, kept);
}

}  // namespace lorvane::sheet
