#include "spreadsheet/SheetStructure.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <set>
#include <tuple>

#include "base/AutomationError.h"
#include "spreadsheet/Package.h"

namespace lorvane::sheet {

namespace {

constexpr std::string_view kCtChart = "application/vnd.openxmlformats-officedocument.drawingml.chart+xml";

void setText(XmlNode& n, std::string text) {
    n.children.clear();
    XmlNode t;
    t.text = std::move(text);
    n.children.push_back(std::move(t));
}

bool isRelIdAttr(const std::string& k) { return k.size() > 3 && k.compare(k.size() - 3, 3, ":id") == 0; }

std::string relIdOf(const XmlNode& n) {
    for (const auto& [k, v] : n.attrs)
        if (isRelIdAttr(k)) return v;
    return {};
}

int toInt(std::string_view s, int fallback) {
    int v = fallback;
    auto first = s.data(), last = s.data() + s.size();
    while (first < last && *first == ' ') ++first;
    auto [p, ec] = std::from_chars(first, last, v);
    return ec == std::errc() ? v : fallback;
}

// A one-area reference attribute ("A1:D9") after the edit; false when it is deleted.
bool moveRefAttr(XmlNode& n, std::string_view attr, const StructureEdit& e) {
    const char* v = n.attr(attr);
    if (!v) return true;
    CellRect area;
    if (!parseReference(v, area)) return true;
    auto moved = moveArea(area, e);
    if (!moved) return false;
    if (!(*moved == area)) n.setAttr(attr, relativeAddress(*moved));
    return true;
}

// True when a partial shift moves some of `area`'s cells but not all of them: such an area
// (a table, an autofilter) cannot follow its cells and is dropped.
bool cutByPartialShift(const CellRect& area, const StructureEdit& e) {
    if (e.whole()) return false;
    const bool rows = e.axis == Axis::Rows;
    int lo = rows ? area.col1 : area.row1, hi = rows ? area.col2 : area.row2;
    int alongHi = rows ? area.row2 : area.col2;
    bool inside = lo >= e.bandFirst && hi <= e.bandLast;
    bool touches = hi >= e.bandFirst && lo <= e.bandLast && alongHi >= e.at;
    return touches && !inside;
}

// Formula texts of a subtree: every element whose local name is one of `names`.
bool shiftFormulaTexts(XmlNode& n, std::string_view sheetName, bool onSheet, const StructureEdit& e) {
    bool changed = false;
    for (XmlNode& c : n.children) {
        if (c.name.empty()) continue;
        std::string_view l = c.local();
        if (l == "formula" || l == "formula1" || l == "formula2" || l == "f" || l == "calculatedColumnFormula" ||
            l == "totalsRowFormula") {
            std::string text = c.textContent();
            if (shiftReferences(text, sheetName, onSheet, e)) {
                setText(c, std::move(text));
                changed = true;
            }
        } else {
            changed = shiftFormulaTexts(c, sheetName, onSheet, e) || changed;
        }
    }
    return changed;
}

// An autofilter or sort state over `ref` after the edit: filter columns (indexed from the
// range's first column) follow their columns, those deleted go. False when it must go.
bool moveFilter(XmlNode& n, const StructureEdit& e) {
    const char* v = n.attr("ref");
    CellRect area;
    if (!v || !parseReference(v, area)) return true;
    if (cutByPartialShift(area, e)) return false;
    auto moved = moveArea(area, e);
    if (!moved) return false;
    const bool columnsMove = e.axis == Axis::Columns && !(*moved == area);
    n.setAttr("ref", relativeAddress(*moved));
    std::erase_if(n.children, [&](XmlNode& c) {
        if (c.name.empty()) return false;
        std::string_view l = c.local();
        if (l == "filterColumn" && columnsMove) {
            int col = area.col1 + toInt(strAttr(c, "colId"), 0);
            auto span = moveSpan(col, col, e);
            if (!span) return true;
            c.setAttr("colId", std::to_string(span->first - moved->col1));
        } else if (l == "sortState") {
            return !moveFilter(c, e);
        } else if (l == "sortCondition") {
            return !moveRefAttr(c, "ref", e);
        }
        return false;
    });
    if (n.local() == "sortState")
        return std::any_of(n.children.begin(), n.children.end(), [](const XmlNode& c) { return !c.name.empty() && c.local() == "sortCondition"; });
    return true;
}

// Range lists inside an extension subtree (x14 conditional formats and validations, sparklines):
// an element whose <xm:sqref> loses every area goes. Returns false when `n` itself goes.
bool moveExtensionRanges(XmlNode& n, const StructureEdit& e) {
    for (XmlNode& c : n.children)
        if (!c.name.empty() && c.local() == "sqref") {
            std::string moved = moveSqref(c.textContent(), e);
            if (moved.empty()) return false;
            setText(c, std::move(moved));
        }
    std::erase_if(n.children, [&](XmlNode& c) { return !c.name.empty() && c.local() != "sqref" && !moveExtensionRanges(c, e); });
    return true;
}

// Children of a list element that keep a range attribute; `count` follows, and the list goes
// when it is empty.
bool moveRangeList(XmlNode& list, std::string_view attr, const StructureEdit& e) {
    std::erase_if(list.children, [&](XmlNode& c) {
        if (c.name.empty()) return false;
        const char* v = c.attr(attr);
        if (!v) return false;
        std::string moved = moveSqref(v, e);
        if (moved.empty()) return true;
        c.setAttr(attr, moved);
        return false;
    });
    int left = 0;
    for (const XmlNode& c : list.children) left += !c.name.empty();
    if (list.attr("count")) list.setAttr("count", std::to_string(left));
    return left > 0;
}

class StructureShifter {
public:
    StructureShifter(BookData& book, SheetData& sheet, const StructureEdit& e) : book_(book), sheet_(sheet), e_(e) {}

    void run() {
        shiftCellFormulas();
        shiftNames();
        moveCellExtras();
        for (auto& s : book_.sheets)
            if (s->package && s.get() != &sheet_) shiftOtherSheetFormulas(*s->package);
        if (!sheet_.package) return;
        SheetPackage& kept = *sheet_.package;
        moveElements(kept);
        BookPackage* pkg = book_.package.get();
        if (pkg && kept.owner == pkg->id && !kept.partName.empty()) {
            moveRelatedParts(*pkg, kept);
            if (!droppedRels_.empty()) detachRelationships(kept);
        } else if (!kept.carriedTables.empty()) {
            moveCarriedTables(kept);
            if (!droppedRels_.empty()) detachRelationships(kept);
        }
        if (pkg) shiftCharts(*pkg);
    }

private:
    // ---- Formulas and names ----

    void shiftCellFormulas() {
        if (book_.formulas.empty()) return;
        for (auto& s : book_.sheets) {
            bool same = s.get() == &sheet_;
            for (int r = 1; r <= s->rowCount(); ++r) {
                if (s->row(r)->cells.empty()) continue;
                for (Cell& c : s->rowForWrite(r).cells) {
                    if (!c.formula) continue;
                    if (shiftReferences(book_.formulas[c.formula - 1], sheet_.name, same, e_)) {
                        c.flags |= FormulaStale;
                        book_.needsRecalc = true;
                    }
                }
            }
        }
    }

    void shiftNames() {
        std::erase_if(book_.names, [&](DefinedName& n) {
            if (!shiftReferences(n.formula, sheet_.name, false, e_)) return false;
            book_.needsRecalc = true;
            if (n.name != "_xlnm.Print_Area" && n.name != "_xlnm.Print_Titles") return false;
            // A print area or title lists areas: those deleted are left out, none left removes it.
            std::string kept;
            std::size_t i = 0;
            while (i <= n.formula.size()) {
                std::size_t j = i;
                bool quoted = false;
                while (j < n.formula.size() && (quoted || n.formula[j] != ',')) {
                    if (n.formula[j] == '\'') quoted = !quoted;
                    ++j;
                }
                std::string_view part = std::string_view(n.formula).substr(i, j - i);
                if (part.find("#REF!") == std::string_view::npos && !part.empty()) {
                    if (!kept.empty()) kept += ',';
                    kept += part;
                }
                i = j + 1;
            }
            n.formula = kept;
            return kept.empty();
        });
    }

    // Cell markers are keyed by position: they go with their cells, or with them when deleted.
    void moveCellExtras() {
        if (!sheet_.package || sheet_.package->cellExtras.empty()) return;
        auto& extras = sheet_.package->cellExtras;
        std::unordered_map<std::uint64_t, CellExtra> moved;
        moved.reserve(extras.size());
        for (auto& [key, extra] : extras) {
            int row = static_cast<int>(key >> 16), col = static_cast<int>(key & 0xFFFF);
            auto at = moveArea(CellRect{row, col, row, col}, e_);
            if (!at) continue;
            moveArrayRange(extra.formulaAttrs);
            moved.emplace(cellKey(at->row1, at->col1), std::move(extra));
        }
        extras = std::move(moved);
    }

    // The ref="..." of an array formula's attributes, moved with its cells.
    void moveArrayRange(std::string& attrs) {
        auto pos = attrs.find(" ref=\"");
        if (pos == std::string::npos) return;
        auto start = pos + 6, end = attrs.find('"', start);
        if (end == std::string::npos) return;
        CellRect area;
        if (!parseReference(std::string_view(attrs).substr(start, end - start), area)) return;
        auto moved = moveArea(area, e_);
        if (!moved) {
            CellRect cell{area.row1, area.col1, area.row1, area.col1};
            moved = moveArea(cell, e_);
            if (!moved) return;
        }
        attrs.replace(start, end - start, relativeAddress(*moved));
    }

    // ---- Elements of the sheet part ----

    void removeElement(SheetPackage& kept, std::size_t i) {
        kept.elements.erase(kept.elements.begin() + static_cast<std::ptrdiff_t>(i));
        if (i < kept.elementRanks.size()) kept.elementRanks.erase(kept.elementRanks.begin() + static_cast<std::ptrdiff_t>(i));
    }

    void moveElements(SheetPackage& kept) {
        for (std::size_t i = kept.elements.size(); i-- > 0;) {
            XmlNode& n = kept.elements[i];
            if (!moveElement(n)) removeElement(kept, i);
        }
    }

    // False when the element must go.
    bool moveElement(XmlNode& n) {
        std::string_view l = n.local();
        if (l == "conditionalFormatting") {
            if (const char* v = n.attr("sqref")) {
                std::string moved = moveSqref(v, e_);
                if (moved.empty()) return false;
                n.setAttr("sqref", moved);
            }
            shiftFormulaTexts(n, sheet_.name, true, e_);
            return true;
        }
        if (l == "dataValidations") {
            bool left = moveRangeList(n, "sqref", e_);
            shiftFormulaTexts(n, sheet_.name, true, e_);
            return left;
        }
        if (l == "hyperlinks") {
            std::erase_if(n.children, [&](XmlNode& c) {
                if (c.name.empty()) return false;
                if (!moveRefAttr(c, "ref", e_)) {
                    if (std::string id = relIdOf(c); !id.empty()) droppedHyperlinkRels_.insert(id);
                    return true;
                }
                shiftLocation(c);
                return false;
            });
            return std::any_of(n.children.begin(), n.children.end(), [](const XmlNode& c) { return !c.name.empty(); });
        }
        if (l == "autoFilter" || l == "sortState") return moveFilter(n, e_);
        if (l == "protectedRanges" || l == "ignoredErrors") return moveRangeList(n, "sqref", e_);
        if (l == "cellWatches") return moveRangeList(n, "r", e_);
        if (l == "rowBreaks" || l == "colBreaks") {
            if ((l == "rowBreaks") != (e_.axis == Axis::Rows) || !e_.whole()) return true;
            // A break follows the row (column) it comes after; one on a deleted row goes.
            std::erase_if(n.children, [&](XmlNode& c) {
                if (c.name.empty()) return false;
                int id = toInt(strAttr(c, "id"), 0);
                if (id < 1) return false;
                auto span = moveSpan(id, id, e_);
                if (!span) return true;
                c.setAttr("id", std::to_string(span->first));
                return false;
            });
            int left = 0, manual = 0;
            for (const XmlNode& c : n.children)
                if (!c.name.empty()) {
                    ++left;
                    manual += isTrueValue(c.attr("man"));
                }
            if (n.attr("count")) n.setAttr("count", std::to_string(left));
            if (n.attr("manualBreakCount")) n.setAttr("manualBreakCount", std::to_string(manual));
            return left > 0;
        }
        if (l == "extLst") {
            moveExtensionRanges(n, e_);
            shiftFormulaTexts(n, sheet_.name, true, e_);
            return true;
        }
        return true;
    }

    // A hyperlink to a place in this workbook ("Sheet1!A1") follows the cells it names.
    void shiftLocation(XmlNode& link) {
        const char* loc = link.attr("location");
        if (!loc) return;
        std::string text = loc;
        if (shiftReferences(text, sheet_.name, false, e_)) link.setAttr("location", text);
    }

    // Formulas of another sheet's conditional formats and validations that name this sheet.
    void shiftOtherSheetFormulas(SheetPackage& other) {
        for (XmlNode& n : other.elements) {
            std::string_view l = n.local();
            if (l == "conditionalFormatting" || l == "dataValidations" || l == "extLst") shiftFormulaTexts(n, sheet_.name, false, e_);
            if (l == "hyperlinks")
                for (XmlNode& c : n.children)
                    if (!c.name.empty()) shiftLocation(c);
        }
    }

    // ---- Parts the sheet points at ----

    void moveRelatedParts(BookPackage& pkg, SheetPackage& kept) {
        for (const Relationship& rel : kept.rels) {
            if (rel.external) continue;
            std::string part = resolveTarget(kept.partName, rel.target);
            auto it = pkg.raw.find(part);
            if (it == pkg.raw.end()) continue;
            bool table = relTypeIs(rel.type, "table"), comments = relTypeIs(rel.type, "comments");
            bool drawing = relTypeIs(rel.type, "drawing"), vml = relTypeIs(rel.type, "vmlDrawing");
            bool threaded = relTypeIs(rel.type, "threadedComment");
            if (!table && !comments && !drawing && !vml && !threaded) continue;
            if (vml) {
                moveVml(it->second, part);
                continue;
            }
            bool keep = true;
            try {
                XmlNode root = parseXmlTree(it->second, part);
                bool changed = false;
                if (table) keep = moveTable(root, changed);
                else if (comments || threaded) changed = moveComments(root);
                else changed = moveAnchors(root);
                if (keep && changed) {
                    std::string out(kXmlDeclaration);
                    writeXmlNode(out, root);
                    it->second = std::move(out);
                }
            } catch (const AutomationError&) {
                keep = false;  // a part we cannot read cannot be moved: it goes
            }
            if (!keep) droppedRels_.insert(rel.id);
        }
    }

    // The tables a copy carries move like the parts of a sheet read from the file.
    void moveCarriedTables(SheetPackage& kept) {
        for (auto it = kept.carriedTables.begin(); it != kept.carriedTables.end();) {
            bool keep = true;
            try {
                XmlNode root = parseXmlTree(it->second, "table");
                bool changed = false;
                keep = moveTable(root, changed);
                if (keep && changed) {
                    std::string out(kXmlDeclaration);
                    writeXmlNode(out, root);
                    it->second = std::move(out);
                }
            } catch (const AutomationError&) {
                keep = false;
            }
            if (keep) {
                ++it;
            } else {
                droppedRels_.insert(it->first);
                it = kept.carriedTables.erase(it);
            }
        }
    }

    // ---- Tables ----

    // False when the table cannot stay.
    bool moveTable(XmlNode& t, bool& changed) {
        const char* ref = t.attr("ref");
        CellRect area;
        if (!ref || !parseReference(ref, area)) return true;
        if (cutByPartialShift(area, e_)) return false;
        auto moved = moveArea(area, e_);
        if (!moved) return false;
        changed = shiftFormulaTexts(t, sheet_.name, true, e_);
        if (*moved == area) return true;
        changed = true;
        const int header = t.attr("headerRowCount") ? toInt(strAttr(t, "headerRowCount"), 1) : 1;
        const int totals = toInt(strAttr(t, "totalsRowCount"), 0);
        if (e_.axis == Axis::Rows && e_.count < 0) {
            int end = e_.at - e_.count - 1;
            auto deleted = [&](int r) { return r >= e_.at && r <= end; };
            if (header > 0 && deleted(area.row1)) return false;       // its header row went
            if (totals > 0 && deleted(area.row2)) return false;       // its totals row went
            if (moved->rows() < header + totals + 1) return false;   // no data row left
        }
        XmlNode* columns = t.child("tableColumns");
        if (e_.axis == Axis::Columns && columns) {
            if (!moveTableColumns(*columns, area, *moved, header > 0)) return false;
        }
        t.setAttr("ref", relativeAddress(*moved));
        for (XmlNode& c : t.children) {
            if (c.name.empty()) continue;
            if (c.local() == "autoFilter") {
                // The table's filter spans the table less its totals row.
                if (!moveFilter(c, e_)) c.children.clear();
                CellRect filter = *moved;
                filter.row2 -= totals;
                c.setAttr("ref", relativeAddress(filter));
            }
        }
        std::erase_if(t.children, [&](XmlNode& c) { return !c.name.empty() && c.local() == "sortState" && !moveFilter(c, e_); });
        return true;
    }

    // The column list of a table after a column edit: deleted columns leave it, inserted ones
    // join it with a new unique name, written into the header cell as well.
    bool moveTableColumns(XmlNode& columns, const CellRect& area, const CellRect& moved, bool hasHeader) {
        std::vector<XmlNode> list;
        for (XmlNode& c : columns.children)
            if (!c.name.empty() && c.local() == "tableColumn") list.push_back(std::move(c));
        if (static_cast<int>(list.size()) != area.cols()) return false;
        const std::string tag = list.front().name;
        std::vector<XmlNode> out;
        std::set<std::string> names;
        int maxId = 0;
        for (const XmlNode& c : list) {
            maxId = std::max(maxId, toInt(strAttr(c, "id"), 0));
            names.insert(strAttr(c, "name"));
        }
        const int end = e_.at + std::abs(e_.count) - 1;
        for (int i = 0; i < static_cast<int>(list.size()); ++i) {
            int col = area.col1 + i;
            if (e_.count > 0 && col == e_.at && col > area.col1) addNewColumns(out, names, maxId, moved, hasHeader, tag);
            if (e_.count < 0 && col >= e_.at && col <= end) continue;
            out.push_back(std::move(list[static_cast<std::size_t>(i)]));
        }
        if (static_cast<int>(out.size()) != moved.cols()) return false;
        columns.children = std::move(out);
        columns.setAttr("count", std::to_string(columns.children.size()));
        return true;
    }

    void addNewColumns(std::vector<XmlNode>& out, std::set<std::string>& names, int& maxId, const CellRect& moved, bool hasHeader,
                       const std::string& tag) {
        for (int k = 0; k < e_.count && static_cast<int>(out.size()) < moved.cols(); ++k) {
            std::string name;
            for (int n = 1;; ++n) {
                name = "列" + std::to_string(n);
                if (!names.count(name)) break;
            }
            names.insert(name);
            XmlNode c;
            c.name = tag;
            c.attrs.emplace_back("id", std::to_string(++maxId));
            c.attrs.emplace_back("name", name);
            if (hasHeader) {
                Cell& cell = sheet_.touch(moved.row1, e_.at + k);
                cell.kind = CellKind::Text;
                cell.formula = 0;
                cell.text = book_.strings.intern(name);
            }
            out.push_back(std::move(c));
        }
    }

    // ---- Comments ----

    bool moveComments(XmlNode& root) {
        bool changed = false;
        std::function<void(XmlNode&)> walk = [&](XmlNode& n) {
            std::erase_if(n.children, [&](XmlNode& c) {
                if (c.name.empty()) return false;
                std::string_view l = c.local();
                if (l == "comment" || l == "threadedComment") {
                    const char* before = c.attr("ref");
                    std::string old = before ? before : "";
                    if (!moveRefAttr(c, "ref", e_)) {
                        changed = true;
                        return true;
                    }
                    if (strAttr(c, "ref") != old) changed = true;
                    return false;
                }
                walk(c);
                return false;
            });
        };
        walk(root);
        return changed;
    }

    // Shapes of the legacy drawing: a note follows its cell (Row, Column, 0-based) and goes
    // with it, its box keeping its size beside the cell; other shapes' anchors move as drawing
    // anchors do. VML that is not well-formed XML (older files) is edited as text.
    void moveVml(std::string& vml, const std::string& part) {
        try {
            XmlNode root = parseXmlTree(vml, part);
            if (!moveVmlShapes(root)) return;
            std::string out;
            writeXmlNode(out, root);
            vml = std::move(out);
        } catch (const AutomationError&) {
            moveVmlText(vml);
        }
    }

    // Where a shape goes; false when it goes with its cell. `changed` tells whether it moved.
    bool moveShapePlace(bool note, int& row, int& col, std::vector<int>& anchor, bool& changed) {
        if (note) {
            if (row < 0 || col < 0) return true;
            auto moved = moveArea(CellRect{row + 1, col + 1, row + 1, col + 1}, e_);
            if (!moved) return false;
            int dRow = moved->row1 - 1 - row, dCol = moved->col1 - 1 - col;
            if (dRow == 0 && dCol == 0) return true;
            row += dRow;
            col += dCol;
            if (anchor.size() == 8) {
                anchor[2] = std::max(0, anchor[2] + dRow);
                anchor[6] = std::max(0, anchor[6] + dRow);
                anchor[0] = std::max(0, anchor[0] + dCol);
                anchor[4] = std::max(0, anchor[4] + dCol);
            }
            changed = true;
            return true;
        }
        if (!e_.whole() || anchor.size() != 8) return true;
        const std::size_t first = e_.axis == Axis::Rows ? 2 : 0;
        for (std::size_t k : {first, first + 4})
            if (moveMarker(anchor[k], anchor[k + 1])) changed = true;
        return true;
    }

    static std::vector<int> anchorNumbers(std::string_view text) {
        std::vector<int> v;
        std::size_t i = 0;
        while (i <= text.size()) {
            std::size_t j = text.find(',', i);
            if (j == std::string_view::npos) j = text.size();
            v.push_back(toInt(text.substr(i, j - i), 0));
            i = j + 1;
        }
        return v;
    }

    static std::string anchorText(const std::vector<int>& v) {
        std::string joined;
        for (std::size_t k = 0; k < v.size(); ++k) {
            if (k) joined += ", ";
            joined += std::to_string(v[k]);
        }
        return joined;
    }

    bool moveVmlShapes(XmlNode& n) {
        bool changed = false;
        std::erase_if(n.children, [&](XmlNode& c) {
            if (c.name.empty()) return false;
            if (c.local() != "shape") {
                changed = moveVmlShapes(c) || changed;
                return false;
            }
            XmlNode* data = c.child("ClientData");
            if (!data) return false;
            const char* type = data->attr("ObjectType");
            bool note = type && std::string_view(type) == "Note";
            XmlNode* rowNode = data->child("Row");
            XmlNode* colNode = data->child("Column");
            XmlNode* anchorNode = data->child("Anchor");
            int row = rowNode ? toInt(rowNode->textContent(), -1) : -1;
            int col = colNode ? toInt(colNode->textContent(), -1) : -1;
            std::vector<int> anchor = anchorNode ? anchorNumbers(anchorNode->textContent()) : std::vector<int>{};
            bool moved = false;
            if (!moveShapePlace(note, row, col, anchor, moved)) {
                changed = true;
                return true;
            }
            if (!moved) return false;
            changed = true;
            if (rowNode && row >= 0) setText(*rowNode, std::to_string(row));
            if (colNode && col >= 0) setText(*colNode, std::to_string(col));
            if (anchorNode && anchor.size() == 8) setText(*anchorNode, anchorText(anchor));
            return false;
        });
        return changed;
    }

    static bool tagValue(const std::string& s, std::string_view tag, std::size_t& start, std::size_t& end) {
        std::string open = "<x:" + std::string(tag) + ">";
        start = s.find(open);
        if (start == std::string::npos) return false;
        start += open.size();
        end = s.find('<', start);
        return end != std::string::npos;
    }

    void moveVmlText(std::string& vml) {
        std::string out;
        out.reserve(vml.size());
        std::size_t pos = 0;
        for (;;) {
            std::size_t start = vml.find("<v:shape", pos);
            while (start != std::string::npos && start + 8 < vml.size() && vml[start + 8] != ' ' && vml[start + 8] != '>' &&
                   vml[start + 8] != '\n' && vml[start + 8] != '\r' && vml[start + 8] != '\t')
                start = vml.find("<v:shape", start + 8);  // <v:shapetype> is no shape
            if (start == std::string::npos) break;
            std::size_t close = vml.find("</v:shape>", start);
            if (close == std::string::npos) break;
            close += 10;
            out.append(vml, pos, start - pos);
            std::string shape = vml.substr(start, close - start);
            if (moveVmlShapeText(shape)) out += shape;
            pos = close;
        }
        out.append(vml, pos, std::string::npos);
        vml = std::move(out);
    }

    // False when the shape goes.
    bool moveVmlShapeText(std::string& shape) {
        const bool note = shape.find("ObjectType=\"Note\"") != std::string::npos;
        std::size_t rs = 0, re = 0, cs = 0, ce = 0, as = 0, ae = 0;
        bool hasRow = tagValue(shape, "Row", rs, re), hasCol = tagValue(shape, "Column", cs, ce);
        bool hasAnchor = tagValue(shape, "Anchor", as, ae);
        int row = hasRow ? toInt(std::string_view(shape).substr(rs, re - rs), -1) : -1;
        int col = hasCol ? toInt(std::string_view(shape).substr(cs, ce - cs), -1) : -1;
        std::vector<int> anchor = hasAnchor ? anchorNumbers(std::string_view(shape).substr(as, ae - as)) : std::vector<int>{};
        bool moved = false;
        if (!moveShapePlace(note, row, col, anchor, moved)) return false;
        if (!moved) return true;
        // Replace from the end so that earlier offsets stay valid.
        std::vector<std::tuple<std::size_t, std::size_t, std::string>> edits;
        if (hasRow && row >= 0) edits.emplace_back(rs, re, std::to_string(row));
        if (hasCol && col >= 0) edits.emplace_back(cs, ce, std::to_string(col));
        if (hasAnchor && anchor.size() == 8) edits.emplace_back(as, ae, anchorText(anchor));
        std::sort(edits.begin(), edits.end(), [](const auto& x, const auto& y) { return std::get<0>(x) > std::get<0>(y); });
        for (const auto& [from, to, text] : edits) shape.replace(from, to - from, text);
        return true;
    }

    // ---- Drawing anchors ----

    // A 0-based marker (cell index and offset) on the edit's axis: moved with its row
    // (column), or collapsed onto the edge of a deleted block. True when it changed.
    bool moveMarker(int& index, int& offset) {
        int pos = index + 1;
        if (e_.count > 0) {
            if (pos < e_.at) return false;
            index = std::min(pos + e_.count, e_.limit()) - 1;
            return true;
        }
        int end = e_.at - e_.count - 1;
        if (pos < e_.at) return false;
        if (pos <= end) {
            index = std::min(e_.at, e_.limit()) - 1;
            offset = 0;
        } else {
            index = pos + e_.count - 1;
        }
        return true;
    }

    bool moveAnchors(XmlNode& root) {
        if (!e_.whole()) return false;  // objects move with whole rows and columns only
        bool changed = false;
        const std::string_view indexName = e_.axis == Axis::Rows ? "row" : "col";
        const std::string_view offsetName = e_.axis == Axis::Rows ? "rowOff" : "colOff";
        auto moveOne = [&](XmlNode& marker) -> int {
            XmlNode* idx = marker.child(indexName);
            XmlNode* off = marker.child(offsetName);
            if (!idx) return 0;
            int index = toInt(idx->textContent(), -1);
            if (index < 0) return 0;
            int offset = off ? toInt(off->textContent(), 0) : 0;
            int before = index;
            int offBefore = offset;
            if (!moveMarker(index, offset)) return 0;
            setText(*idx, std::to_string(index));
            if (off && offset != offBefore) setText(*off, std::to_string(offset));
            changed = true;
            return index - before;
        };
        std::function<void(XmlNode&)> walk = [&](XmlNode& n) {
            for (XmlNode& c : n.children) {
                if (c.name.empty()) continue;
                std::string_view l = c.local();
                if (l == "twoCellAnchor") {
                    const char* editAs = c.attr("editAs");
                    std::string how = editAs ? editAs : "twoCell";
                    if (how == "absolute") continue;
                    XmlNode* from = c.child("from");
                    XmlNode* to = c.child("to");
                    int delta = from ? moveOne(*from) : 0;
                    if (to) {
                        if (how == "oneCell") {
                            // Moves with its first cell, keeping its size.
                            if (XmlNode* idx = to->child(indexName); idx && delta) {
                                setText(*idx, std::to_string(std::clamp(toInt(idx->textContent(), 0) + delta, 0, e_.limit() - 1)));
                                changed = true;
                            }
                        } else {
                            moveOne(*to);
                        }
                    }
                } else if (l == "oneCellAnchor") {
                    if (XmlNode* from = c.child("from")) moveOne(*from);
                } else if (l != "absoluteAnchor") {
                    walk(c);  // mc:AlternateContent and its choices
                }
            }
        };
        walk(root);
        return changed;
    }

    // ---- Charts ----

    // Series and label references of every chart that name the edited sheet.
    void shiftCharts(BookPackage& pkg) {
        for (auto& [name, data] : pkg.raw) {
            if (pkg.contentTypes.typeOf(name) != kCtChart) continue;
            bool plainName = sheet_.name.find_first_of("&<>'\"") == std::string::npos;
            if (plainName && data.find(sheet_.name) == std::string::npos) continue;
            try {
                XmlNode root = parseXmlTree(data, name);
                if (!shiftFormulaTexts(root, sheet_.name, false, e_)) continue;
                std::string out(kXmlDeclaration);
                writeXmlNode(out, root);
                data = std::move(out);
            } catch (const AutomationError&) {
                // A chart we cannot read keeps its references; its cached values still show.
            }
        }
    }

    // ---- Relationships that went ----

    void detachRelationships(SheetPackage& kept) {
        for (std::size_t i = kept.elements.size(); i-- > 0;) {
            XmlNode& n = kept.elements[i];
            std::string_view l = n.local();
            if (l == "tableParts") {
                std::erase_if(n.children, [&](const XmlNode& c) { return !c.name.empty() && droppedRels_.count(relIdOf(c)); });
                int left = 0;
                for (const XmlNode& c : n.children) left += !c.name.empty();
                n.setAttr("count", std::to_string(left));
                if (left == 0) removeElement(kept, i);
            } else if ((l == "drawing" || l == "legacyDrawing" || l == "legacyDrawingHF") && droppedRels_.count(relIdOf(n))) {
                removeElement(kept, i);
            }
        }
        std::erase_if(kept.rels, [&](const Relationship& r) { return droppedRels_.count(r.id) > 0; });
        kept.relsData = writeRelationships(kept.rels);
        kept.hasRels = true;
    }

public:
    void dropUnusedHyperlinkRels() {
        if (droppedHyperlinkRels_.empty() || !sheet_.package) return;
        SheetPackage& kept = *sheet_.package;
        std::set<std::string> used;
        for (const XmlNode& n : kept.elements)
            if (n.local() == "hyperlinks")
                for (const XmlNode& c : n.children)
                    if (!c.name.empty()) used.insert(relIdOf(c));
        for (const std::string& id : droppedHyperlinkRels_)
            if (!used.count(id)) droppedRels_.insert(id);
        BookPackage* pkg = book_.package.get();
        if (!droppedRels_.empty() && pkg && kept.owner == pkg->id && !kept.partName.empty()) detachRelationships(kept);
    }

private:
    BookData& book_;
    SheetData& sheet_;
    const StructureEdit& e_;
    std::set<std::string> droppedRels_, droppedHyperlinkRels_;
};

}  // namespace

void shiftSheetStructure(BookData& book, SheetData& sheet, const StructureEdit& edit) {
    if (edit.count == 0) return;
    ensureAllSheetsParsed(book);  // their formulas may point into the edited sheet
    StructureShifter shifter(book, sheet, edit);
    shifter.run();
    shifter.dropUnusedHyperlinkRels();
}

}  // namespace lorvane::sheet
