// A worksheet part written from the model: <dimension>, <cols>, <sheetData> and <mergeCells>
// generated, every other element as it was read, in the order the schema requires.
#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_set>

#include "spreadsheet/BookData.h"
#include "spreadsheet/Package.h"

namespace lorvane::sheet {

namespace {

constexpr double k1904Offset = 1462.0;

// Generated elements' places, doubled as in SheetPackage::elementRanks.
constexpr int kRankDimension = 2, kRankSheetViews = 4, kRankFormatPr = 6, kRankCols = 8, kRankSheetData = 10,
              kRankMerges = 28;

class Out {
public:
    Out(std::string& s, const XmlSink& sink) : s_(s), sink_(sink) {}
    // Hands what is written so far on once it has grown past a piece's size.
    void drainIfFull() {
        if (s_.size() >= kPieceSize) drain();
    }
    void drain() {
        sink_(s_);
        s_.clear();
    }
    Out& operator<<(std::string_view v) {
        s_.append(v);
        return *this;
    }
    Out& operator<<(char c) {
        s_.push_back(c);
        return *this;
    }
    void integer(long long v) {
        char buf[24];
        auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
        s_.append(buf, p);
    }
    void number(double v) {
        char buf[32];
        auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
        s_.append(buf, p);
    }
    void real(float v) {
        char buf[32];
        auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
        s_.append(buf, p);
    }
    std::string& str() { return s_; }

private:
    static constexpr std::size_t kPieceSize = 1u << 20;
    std::string& s_;
    const XmlSink& sink_;
};

bool referencesDropped(const XmlNode& n, const std::unordered_set<std::string>& dropped) {
    for (const auto& [k, v] : n.attrs)
        if (k.find(':') != std::string::npos && k.compare(k.size() - 3, 3, ":id") == 0 && dropped.count(v)) return true;
    for (const XmlNode& c : n.children)
        if (!c.name.empty() && referencesDropped(c, dropped)) return true;
    return false;
}

// An element of a copied sheet whose relationship did not come along: dropped, or (pageSetup,
// hyperlinks) stripped of what pointed at it. Returns false to drop the element.
bool detachDropped(XmlNode& n, const std::unordered_set<std::string>& dropped) {
    if (!referencesDropped(n, dropped)) return true;
    std::string_view l = n.local();
    if (l == "pageSetup") {
        std::erase_if(n.attrs, [&](const auto& kv) { return kv.first.size() > 3 && kv.first.compare(kv.first.size() - 3, 3, ":id") == 0; });
        return true;
    }
    if (l == "hyperlinks") {
        std::erase_if(n.children, [&](const XmlNode& c) { return !c.name.empty() && referencesDropped(c, dropped); });
        return !n.children.empty();
    }
    return false;
}

void setTabSelected(XmlNode& views, bool selected) {
    XmlNode* view = views.child("sheetView");
    if (!view) return;
    if (selected) view->setAttr("tabSelected", "1");
    else view->removeAttr("tabSelected");
}

void setActiveCell(XmlNode& views, int row, int col) {
    XmlNode* view = views.child("sheetView");
    if (!view) return;
    std::string ref = columnLetters(col) + std::to_string(row);
    const XmlNode* pane = view->child("pane");
    const char* activePane = pane ? pane->attr("activePane") : nullptr;
    std::string paneName = activePane ? activePane : "";
    XmlNode* chosen = nullptr;
    for (XmlNode& c : view->children) {
        if (c.name.empty() || c.local() != "selection") continue;
        const char* p = c.attr("pane");
        if ((activePane && p && paneName == p) || (!activePane && !p)) {
            chosen = &c;
            break;
        }
    }
    if (!chosen) {
        XmlNode sel;
        sel.name = "selection";
        if (!paneName.empty()) sel.attrs.emplace_back("pane", paneName);
        view->children.push_back(std::move(sel));
        chosen = &view->children.back();
    }
    chosen->removeAttr("activeCellId");
    chosen->setAttr("activeCell", ref);
    chosen->setAttr("sqref", ref);
}

void writeSheetViews(Out& out, const SheetData& sheet, bool tabSelected) {
    out << "<sheetViews><sheetView";
    if (tabSelected) out << " tabSelected=\"1\"";
    out << " workbookViewId=\"0\"";
    if (sheet.activeRow == 1 && sheet.activeColumn == 1) {
        out << "/></sheetViews>";
        return;
    }
    std::string ref = columnLetters(sheet.activeColumn) + std::to_string(sheet.activeRow);
    out << "><selection activeCell=\"" << ref << "\" sqref=\"" << ref << "\"/></sheetView></sheetViews>";
}

void writeFormatPr(Out& out, const SheetData& sheet) {
    out << "<sheetFormatPr defaultRowHeight=\"";
    out.number(sheet.defaultRowHeight);
    out << '"';
    if (sheet.defaultColumnWidth != 8.43) {
        out << " defaultColWidth=\"";
        out.number(sheet.defaultColumnWidth);
        out << '"';
    }
    out << "/>";
}

void writeDimension(Out& out, const SheetData& sheet) {
    CellRect r;
    out << "<dimension ref=\"";
    if (!sheet.usedBounds(r)) out << "A1";
    else if (r.row1 == r.row2 && r.col1 == r.col2) out << relativeAddress(r);
    else out << relativeAddress(r);
    out << "\"/>";
}

void writeCols(Out& out, const SheetData& sheet) {
    int n = sheet.columnRecordCount();
    bool any = false;
    for (int c = 1; c <= n;) {
        const ColumnData& cd = *sheet.column(c);
        int end = c;
        while (end + 1 <= n && *sheet.column(end + 1) == cd) ++end;
        if (!cd.isDefault()) {
            if (!any) out << "<cols>";
            any = true;
            out << "<col min=\"";
            out.integer(c);
            out << "\" max=\"";
            out.integer(end);
            out << '"';
            if (cd.width >= 0) {
                out << " width=\"";
                out.number(cd.width);
                out << '"';
            }
            if (cd.style) {
                out << " style=\"";
                out.integer(cd.style);
                out << '"';
            }
            if (cd.hidden) out << " hidden=\"1\"";
            if (cd.bestFit) out << " bestFit=\"1\"";
            if (cd.customWidth) out << " customWidth=\"1\"";
            if (cd.outline) {
                out << " outlineLevel=\"";
                out.integer(cd.outline);
                out << '"';
            }
            if (cd.collapsed) out << " collapsed=\"1\"";
            out << "/>";
        }
        c = end + 1;
    }
    if (any) out << "</cols>";
}

void writeMerges(Out& out, const SheetData& sheet) {
    if (sheet.merges.empty()) return;
    out << "<mergeCells count=\"";
    out.integer(static_cast<long long>(sheet.merges.size()));
    out << "\">";
    for (const CellRect& m : sheet.merges) out << "<mergeCell ref=\"" << relativeAddress(m) << "\"/>";
    out << "</mergeCells>";
}

class SheetDataWriter {
public:
    SheetDataWriter(const BookData& book, const SheetData& sheet, const SheetPackage* kept, bool keepCellAttrs)
        : book_(book), sheet_(sheet), kept_(kept), keepCellAttrs_(keepCellAttrs) {}

    void write(Out& out) {
        if (sheet_.rowCount() == 0) {
            out << "<sheetData/>";
            return;
        }
        out << "<sheetData>";
        bool extras = kept_ && !kept_->cellExtras.empty();
        for (int r = 1; r <= sheet_.rowCount(); ++r) {
            const RowData& row = *sheet_.row(r);
            if (row.empty()) continue;
            rowNumber_.clear();
            appendRowNumber(r);
            out << "<row r=\"" << rowNumber_ << '"';
            if (row.flags & RowCustomFormat) {
                out << " s=\"";
                out.integer(row.style);
                out << "\" customFormat=\"1\"";
            }
            if (row.height > 0) {
                out << " ht=\"";
                out.real(row.height);
                out << '"';
            }
            if (row.flags & RowHidden) out << " hidden=\"1\"";
            if (row.flags & RowCustomHeight) out << " customHeight=\"1\"";
            if (row.outline) {
                out << " outlineLevel=\"";
                out.integer(row.outline);
                out << '"';
            }
            if (row.flags & RowCollapsed) out << " collapsed=\"1\"";
            if (row.flags & RowThickTop) out << " thickTop=\"1\"";
            if (row.flags & RowThickBottom) out << " thickBot=\"1\"";
            if (row.cells.empty()) {
                out << "/>";
                continue;
            }
            out << '>';
            for (const Cell& c : row.cells) writeCell(out, r, c, extras);
            out << "</row>";
            out.drainIfFull();
        }
        out << "</sheetData>";
    }

private:
    void appendRowNumber(int r) {
        char buf[16];
        auto [p, ec] = std::to_chars(buf, buf + sizeof buf, r);
        rowNumber_.assign(buf, p);
    }

    const std::string& letters(int col) {
        if (static_cast<std::size_t>(col) >= colNames_.size()) colNames_.resize(static_cast<std::size_t>(col) + 1);
        std::string& s = colNames_[static_cast<std::size_t>(col)];
        if (s.empty()) s = columnLetters(col);
        return s;
    }

    void writeCell(Out& out, int r, const Cell& c, bool extras) {
        const CellExtra* extra = nullptr;
        if (extras) {
            auto it = kept_->cellExtras.find(cellKey(r, c.col));
            if (it != kept_->cellExtras.end() && it->second.formula == c.formula) extra = &it->second;
        }
        if (c.kind == CellKind::Blank && c.formula == 0 && c.style == 0 && !extra) return;
        out << "<c r=\"" << letters(c.col) << rowNumber_ << '"';
        if (c.style) {
            out << " s=\"";
            out.integer(c.style);
            out << '"';
        }
        bool stale = c.formula && (c.flags & FormulaStale);
        wroteStale_ = wroteStale_ || stale;
        CellKind kind = stale ? CellKind::Blank : c.kind;
        double number = c.number;
        if (kind == CellKind::Number && !std::isfinite(number)) kind = CellKind::Error;
        switch (kind) {
        case CellKind::Text: out << (c.formula ? " t=\"str\"" : " t=\"s\""); break;
        case CellKind::Boolean: out << " t=\"b\""; break;
        case CellKind::Error: out << " t=\"e\""; break;
        default: break;
        }
        if (extra && keepCellAttrs_) out << extra->cellAttrs;
        if (c.formula == 0 && kind == CellKind::Blank) {
            out << "/>";
            return;
        }
        out << '>';
        if (c.formula) {
            out << "<f";
            if (extra && !extra->formulaAttrs.empty()) out << extra->formulaAttrs;
            else if (c.flags & ArrayFormula) out << " t=\"array\" ref=\"" << letters(c.col) << rowNumber_ << '"';
            const std::string& text = book_.formulaText(c.formula);
            if (text.empty()) {
                out << "/>";
            } else {
                out << '>';
                appendEscapedText(out.str(), text);
                out << "</f>";
            }
        }
        switch (kind) {
        case CellKind::Number:
            out << "<v>";
            if (book_.date1904 && book_.styles.isDate(c.style)) number -= k1904Offset;
            out.number(number);
            out << "</v>";
            break;
        case CellKind::Text:
            if (c.formula) {
                // Readers trim a cached text's outer spaces unless told to keep them.
                const std::string& t = book_.strings.at(c.text);
                bool edgeSpace = !t.empty() && (std::isspace(static_cast<unsigned char>(t.front())) ||
                                                std::isspace(static_cast<unsigned char>(t.back())));
                out << (edgeSpace ? "<v xml:space=\"preserve\">" : "<v>");
                appendOoxmlEscaped(out.str(), t);
                out << "</v>";
            } else {
                out << "<v>";
                out.integer(c.text);
                out << "</v>";
            }
            break;
        case CellKind::Boolean: out << (c.number != 0.0 ? "<v>1</v>" : "<v>0</v>"); break;
        case CellKind::Error:
            out << "<v>" << (c.kind == CellKind::Error ? errorTextFromCode(c.error) : std::string_view("#NUM!")) << "</v>";
            break;
        case CellKind::Blank: break;
        }
        out << "</c>";
    }

public:
    bool wroteStale() const { return wroteStale_; }

private:
    const BookData& book_;
    const SheetData& sheet_;
    const SheetPackage* kept_;
    bool keepCellAttrs_;
    bool wroteStale_ = false;
    std::string rowNumber_;
    std::vector<std::string> colNames_;
};

}  // namespace

void writeWorksheet(const XmlSink& sink, const BookData& book, const SheetData& sheet, const SheetPackage* kept,
                    bool tabSelected, const std::vector<std::string>* droppedRelIds, bool* wroteStale) {
    std::string buffer(kXmlDeclaration);
    buffer.reserve((2u << 20) + 64 * 1024);
    Out out(buffer, sink);
    XmlNode root;
    if (kept && !kept->rootAttrs.empty()) {
        root.name = kept->rootName;
        root.attrs = kept->rootAttrs;
    } else {
        root.name = "worksheet";
        root.attrs.emplace_back("xmlns", std::string(ns::kMain));
        root.attrs.emplace_back("xmlns:r", std::string(ns::kRel));
    }
    adoptDefaultNamespace(root);
    writeStartTag(buffer, root, false);

    std::unordered_set<std::string> dropped;
    if (droppedRelIds) dropped.insert(droppedRelIds->begin(), droppedRelIds->end());
    // Cell markers that point into workbook-level parts (metadata) only hold in the workbook read.
    bool keepCellAttrs = kept && kept->owner != 0 && book.package && kept->owner == book.package->id;

    bool wroteDimension = false, wroteCols = false, wroteData = false, wroteMerges = false;
    bool sawViews = false, sawFormatPr = false;
    auto flushBefore = [&](int rank) {
        if (rank > kRankDimension && !wroteDimension) { writeDimension(out, sheet); wroteDimension = true; }
        if (rank > kRankSheetViews && !sawViews) { writeSheetViews(out, sheet, tabSelected); sawViews = true; }
        if (rank > kRankFormatPr && !sawFormatPr) { writeFormatPr(out, sheet); sawFormatPr = true; }
        if (rank > kRankCols && !wroteCols) { writeCols(out, sheet); wroteCols = true; }
        if (rank > kRankSheetData && !wroteData) {
            SheetDataWriter data(book, sheet, kept, keepCellAttrs);
            data.write(out);
            if (wroteStale) *wroteStale = data.wroteStale();
            wroteData = true;
        }
        if (rank > kRankMerges && !wroteMerges) { writeMerges(out, sheet); wroteMerges = true; }
    };
    if (kept) {
        for (std::size_t i = 0; i < kept->elements.size(); ++i) {
            const XmlNode& original = kept->elements[i];
            int rank = i < kept->elementRanks.size() ? kept->elementRanks[i] : 2 * worksheetChildRank(original.local());
            if (rank >= 0) flushBefore(rank);
            const XmlNode* node = &original;
            XmlNode edited;
            if (!dropped.empty() && referencesDropped(original, dropped)) {
                edited = original;
                if (!detachDropped(edited, dropped)) continue;
                node = &edited;
            }
            std::string_view l = original.local();
            if (l == "sheetViews") {
                sawViews = true;
                if (node != &edited) edited = original;
                setTabSelected(edited, tabSelected);
                if (sheet.activeRow != kept->readActiveRow || sheet.activeColumn != kept->readActiveColumn)
                    setActiveCell(edited, sheet.activeRow, sheet.activeColumn);
                node = &edited;
            } else if (l == "sheetFormatPr") {
                sawFormatPr = true;
                if (sheet.defaultRowHeight != kept->readDefaultRowHeight) {
                    if (node != &edited) edited = original;
                    char buf[32];
                    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, sheet.defaultRowHeight);
                    edited.setAttr("defaultRowHeight", std::string(buf, p));
                    edited.setAttr("customHeight", "1");
                    node = &edited;
                }
            }
            writeXmlNode(buffer, *node);
        }
    }
    flushBefore(1 << 20);
    out << "</" << root.name << '>';
    out.drain();
}

}  // namespace lorvane::sheet
