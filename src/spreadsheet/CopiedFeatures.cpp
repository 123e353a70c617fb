#include "spreadsheet/CopiedFeatures.h"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "base/AutomationError.h"
#include "base/NameFolding.h"
#include "spreadsheet/FormulaRefs.h"
#include "spreadsheet/SheetData.h"

namespace lorvane::sheet {

namespace {

// ---- Differential formats ----

std::string prefixOf(const std::string& name) {
    auto colon = name.find(':');
    return colon == std::string::npos ? "" : name.substr(0, colon + 1);
}

void stripPrefix(XmlNode& n, const std::string& prefix) {
    if (n.name.empty()) return;
    if (!prefix.empty() && n.name.rfind(prefix, 0) == 0) n.name.erase(0, prefix.size());
    for (XmlNode& c : n.children) stripPrefix(c, prefix);
}

const XmlNode* readDxfList(const BookData& book) {
    if (!book.package || !book.package->styles.present) return nullptr;
    return book.package->styles.root.child("dxfs");
}

std::size_t dxfCount(const BookData& book) {
    std::size_t n = book.addedDxfs.size();
    if (const XmlNode* list = readDxfList(book))
        for (const XmlNode& d : list->children) n += !d.name.empty();
    return n;
}

// The differential format `index` of `book` as a whole <dxf> element without prefixes; empty
// when there is none.
std::string dxfXml(const BookData& book, std::size_t index) {
    if (const XmlNode* list = readDxfList(book)) {
        for (const XmlNode& d : list->children) {
            if (d.name.empty()) continue;
            if (index-- == 0) {
                XmlNode copy = d;
                stripPrefix(copy, prefixOf(book.package->styles.root.name));
                std::string out;
                writeXmlNode(out, copy);
                return out;
            }
        }
    }
    return index < book.addedDxfs.size() ? book.addedDxfs[index] : std::string();
}

// Differential formats of one workbook by equal ones of another, copied over on first use.
class DxfMapper {
public:
    DxfMapper(const BookData& from, BookData& to) : from_(from), to_(to) {}
    // The index in the target; -1 when the source has no such format.
    long map(long id) {
        if (&from_ == &to_) return id;
        if (id < 0) return -1;
        if (auto it = done_.find(id); it != done_.end()) return it->second;
        std::string xml = dxfXml(from_, static_cast<std::size_t>(id));
        long mapped = -1;
        if (!xml.empty()) {
            // Many copies from the same source add each format once.
            auto same = std::find(to_.addedDxfs.begin(), to_.addedDxfs.end(), xml);
            mapped = static_cast<long>(dxfCount(to_) - to_.addedDxfs.size() + static_cast<std::size_t>(same - to_.addedDxfs.begin()));
            if (same == to_.addedDxfs.end()) to_.addedDxfs.push_back(std::move(xml));
        }
        return done_[id] = mapped;
    }

private:
    const BookData& from_;
    BookData& to_;
    std::unordered_map<long, long> done_;
};

long toLong(const char* v) {
    if (!v) return -1;
    try {
        return std::stol(v);
    } catch (const std::exception&) {
        return -1;
    }
}

void remapRule(XmlNode& rule, DxfMapper& dxfs) {
    const char* id = rule.attr("dxfId");
    if (!id) return;
    long mapped = dxfs.map(toLong(id));
    if (mapped < 0) rule.removeAttr("dxfId");
    else rule.setAttr("dxfId", std::to_string(mapped));
}

// ---- Areas ----

std::vector<CellRect> parseSqref(std::string_view sqref) {
    std::vector<CellRect> out;
    std::size_t i = 0;
    while (i < sqref.size()) {
        while (i < sqref.size() && sqref[i] == ' ') ++i;
        std::size_t j = i;
        while (j < sqref.size() && sqref[j] != ' ') ++j;
        CellRect r;
        if (j > i && parseReference(sqref.substr(i, j - i), r)) out.push_back(r);
        i = j;
    }
    return out;
}

std::string writeSqref(const std::vector<CellRect>& areas) {
    std::string out;
    for (const CellRect& r : areas) {
        if (!out.empty()) out += ' ';
        out += relativeAddress(r);
    }
    return out;
}

bool intersect(const CellRect& a, const CellRect& b, CellRect& out) {
    if (!a.intersects(b)) return false;
    out = {std::max(a.row1, b.row1), std::max(a.col1, b.col1), std::min(a.row2, b.row2), std::min(a.col2, b.col2)};
    return true;
}

// `a` less `cut`: up to four areas (above, below, left, right).
void subtract(const CellRect& a, const CellRect& cut, std::vector<CellRect>& out) {
    CellRect mid;
    if (!intersect(a, cut, mid)) {
        out.push_back(a);
        return;
    }
    if (a.row1 < mid.row1) out.push_back({a.row1, a.col1, mid.row1 - 1, a.col2});
    if (mid.row2 < a.row2) out.push_back({mid.row2 + 1, a.col1, a.row2, a.col2});
    if (a.col1 < mid.col1) out.push_back({mid.row1, a.col1, mid.row2, mid.col1 - 1});
    if (mid.col2 < a.col2) out.push_back({mid.row1, mid.col2 + 1, mid.row2, a.col2});
}

// The areas of `sqref` inside `src`, moved by the offset and kept on the sheet.
std::vector<CellRect> copiedAreas(std::string_view sqref, const CellRect& src, int dRow, int dCol) {
    std::vector<CellRect> out;
    for (const CellRect& a : parseSqref(sqref)) {
        CellRect in;
        if (!intersect(a, src, in)) continue;
        CellRect moved{in.row1 + dRow, in.col1 + dCol, std::min(kMaxRows, in.row2 + dRow), std::min(kMaxColumns, in.col2 + dCol)};
        if (moved.row1 < 1 || moved.col1 < 1 || moved.row1 > kMaxRows || moved.col1 > kMaxColumns) continue;
        out.push_back(moved);
    }
    return out;
}

// Relative references of a rule's formulas are read from the first cell of its first area; the
// copy's first cell is the image of another cell when the area was cut.
void moveRuleFormulas(XmlNode& n, int rows, int cols) {
    if (rows == 0 && cols == 0) return;
    for (XmlNode& c : n.children) {
        if (c.name.empty()) continue;
        std::string_view l = c.local();
        if (l == "formula" || l == "formula1" || l == "formula2") {
            std::string text = c.textContent();
            if (offsetReferences(text, rows, cols)) {
                c.children.clear();
                XmlNode t;
                t.text = std::move(text);
                c.children.push_back(std::move(t));
            }
        }
    }
}

// The formulas of a conditional format's rules, or of one validation.
void moveRuleFormulasFor(XmlNode& n, int rows, int cols) {
    if (n.local() == "dataValidation") moveRuleFormulas(n, rows, cols);
    else
        for (XmlNode& rule : n.children)
            if (!rule.name.empty() && rule.local() == "cfRule") moveRuleFormulas(rule, rows, cols);
}

// The rule list `n` (a conditionalFormatting, or one dataValidation) cut to `src` and moved;
// false when none of it lies in the block.
bool copyRuleArea(XmlNode& n, const CellRect& src, int dRow, int dCol) {
    const char* sqref = n.attr("sqref");
    if (!sqref) return false;
    std::vector<CellRect> read = parseSqref(sqref);
    std::vector<CellRect> areas = copiedAreas(sqref, src, dRow, dCol);
    if (read.empty() || areas.empty()) return false;
    n.setAttr("sqref", writeSqref(areas));
    moveRuleFormulasFor(n, areas[0].row1 - read[0].row1, areas[0].col1 - read[0].col1);
    return true;
}

// The target's own rules give way over the block pasted on them.
bool clearArea(XmlNode& n, const CellRect& dest) {
    const char* sqref = n.attr("sqref");
    if (!sqref) return true;
    std::vector<CellRect> read = parseSqref(sqref);
    if (read.empty()) return true;
    std::vector<CellRect> left;
    for (const CellRect& a : read) subtract(a, dest, left);
    if (left == read) return true;
    if (left.empty()) return false;
    // The formulas stay anchored where they were: a new first cell moves them along.
    moveRuleFormulasFor(n, left[0].row1 - read[0].row1, left[0].col1 - read[0].col1);
    n.setAttr("sqref", writeSqref(left));
    return true;
}

void insertElement(SheetPackage& kept, XmlNode node) {
    const int rank = 2 * worksheetChildRank(node.local());
    std::size_t at = kept.elements.size();
    if (kept.elementRanks.size() == kept.elements.size()) {
        at = 0;
        for (std::size_t i = 0; i < kept.elements.size(); ++i)
            if (kept.elementRanks[i] >= 0 && kept.elementRanks[i] <= rank) at = i + 1;
            else if (kept.elementRanks[i] > rank) break;
        kept.elementRanks.insert(kept.elementRanks.begin() + static_cast<std::ptrdiff_t>(at), rank);
    }
    kept.elements.insert(kept.elements.begin() + static_cast<std::ptrdiff_t>(at), std::move(node));
}

int countChildren(const XmlNode& n, std::string_view local) {
    int k = 0;
    for (const XmlNode& c : n.children) k += !c.name.empty() && c.local() == local;
    return k;
}

}  // namespace

void copyRangeRules(const BookData& fromBook, const SheetData& from, const CellRect& src, BookData& toBook, SheetData& to,
                    int dRow, int dCol) {
    if (&from == &to && dRow == 0 && dCol == 0) return;
    if (!from.package) return;
    // Taken first: the source may be the target.
    std::vector<XmlNode> formats, validations;
    const XmlNode* validationList = nullptr;
    for (const XmlNode& n : from.package->elements) {
        std::string_view l = n.local();
        if (l == "conditionalFormatting") {
            XmlNode copy = n;
            if (copyRuleArea(copy, src, dRow, dCol)) formats.push_back(std::move(copy));
        } else if (l == "dataValidations") {
            validationList = &n;
            for (const XmlNode& v : n.children) {
                if (v.name.empty() || v.local() != "dataValidation") continue;
                XmlNode copy = v;
                if (copyRuleArea(copy, src, dRow, dCol)) validations.push_back(std::move(copy));
            }
        }
    }
    XmlNode listTemplate;
    if (validationList) {
        listTemplate.name = validationList->name;
        listTemplate.attrs = validationList->attrs;
    }
    const CellRect dest{src.row1 + dRow, src.col1 + dCol, std::min(kMaxRows, src.row2 + dRow), std::min(kMaxColumns, src.col2 + dCol)};
    bool targetHasRules = false;
    if (to.package)
        for (const XmlNode& n : to.package->elements)
            targetHasRules = targetHasRules || n.local() == "conditionalFormatting" || n.local() == "dataValidations";
    if (formats.empty() && validations.empty() && !targetHasRules) return;
    if (!to.package) to.package = std::make_shared<SheetPackage>();
    SheetPackage& kept = *to.package;

    // What the block lands on loses its own rules there.
    for (std::size_t i = kept.elements.size(); i-- > 0;) {
        XmlNode& n = kept.elements[i];
        bool empty = false;
        if (n.local() == "conditionalFormatting") {
            empty = !clearArea(n, dest);
        } else if (n.local() == "dataValidations") {
            std::erase_if(n.children, [&](XmlNode& v) { return !v.name.empty() && v.local() == "dataValidation" && !clearArea(v, dest); });
            int left = countChildren(n, "dataValidation");
            n.setAttr("count", std::to_string(left));
            empty = left == 0 && validations.empty();
        }
        if (empty) {
            kept.elements.erase(kept.elements.begin() + static_cast<std::ptrdiff_t>(i));
            if (i < kept.elementRanks.size()) kept.elementRanks.erase(kept.elementRanks.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }

    DxfMapper dxfs(fromBook, toBook);
    for (XmlNode& f : formats) {
        for (XmlNode& rule : f.children)
            if (!rule.name.empty() && rule.local() == "cfRule") remapRule(rule, dxfs);
        insertElement(kept, std::move(f));
    }
    if (validations.empty()) return;
    XmlNode* list = nullptr;
    for (XmlNode& n : kept.elements)
        if (n.local() == "dataValidations") list = &n;
    if (!list) {
        XmlNode fresh = listTemplate;
        if (fresh.name.empty()) fresh.name = "dataValidations";
        insertElement(kept, std::move(fresh));
        for (XmlNode& n : kept.elements)
            if (n.local() == "dataValidations") list = &n;
    }
    for (XmlNode& v : validations) list->children.push_back(std::move(v));
    list->setAttr("count", std::to_string(countChildren(*list, "dataValidation")));
}

void remapConditionalFormats(SheetPackage& copy, const BookData& fromBook, BookData& toBook) {
    if (&fromBook == &toBook) return;
    DxfMapper dxfs(fromBook, toBook);
    for (XmlNode& n : copy.elements) {
        if (n.local() != "conditionalFormatting") continue;
        for (XmlNode& rule : n.children)
            if (!rule.name.empty() && rule.local() == "cfRule") remapRule(rule, dxfs);
    }
}

namespace {

// Table names and ids taken in a workbook: its parts and the tables its copies carry.
struct TableNames {
    std::set<std::string> names;  // folded
    long maxId = 0;
    void add(const XmlNode& table) {
        for (const char* a : {"name", "displayName"})
            if (const char* v = table.attr(a)) names.insert(foldName(v));
        maxId = std::max(maxId, toLong(table.attr("id")));
    }
    void add(const std::string& xml, const std::string& part) {
        try {
            add(parseXmlTree(xml, part));
        } catch (const AutomationError&) {
        }
    }
};

TableNames tablesOf(const BookData& book) {
    TableNames t;
    // Table names share one name space with the workbook's defined names.
    for (const DefinedName& n : book.names) t.names.insert(foldName(n.name));
    if (const BookPackage* pkg = book.package.get())
        for (const auto& [name, data] : pkg->raw)
            if (pkg->contentTypes.typeOf(name) == ns::kCtTable) t.add(data, name);
    for (const auto& s : book.sheets)
        if (s->package)
            for (const auto& [id, xml] : s->package->carriedTables) t.add(xml, "table");
    return t;
}

}  // namespace

void carryTables(const SheetData& source, const BookData& fromBook, const BookData& toBook, SheetPackage& copy) {
    copy.carriedTables.clear();
    const SheetPackage* kept = source.package.get();
    if (!kept) return;
    // The tables the source holds: its own parts, or those it carries as a copy itself.
    std::vector<std::pair<std::string, std::string>> tables;  // relationship id, part XML
    const BookPackage* pkg = fromBook.package.get();
    for (const Relationship& rel : kept->rels) {
        if (rel.external || !relTypeIs(rel.type, "table")) continue;
        if (auto it = kept->carriedTables.find(rel.id); it != kept->carriedTables.end()) {
            tables.emplace_back(rel.id, it->second);
        } else if (pkg && kept->owner == pkg->id && !kept->partName.empty()) {
            auto raw = pkg->raw.find(resolveTarget(kept->partName, rel.target));
            if (raw != pkg->raw.end()) tables.emplace_back(rel.id, raw->second);
        }
    }
    if (tables.empty()) return;
    TableNames taken = tablesOf(toBook);
    for (auto& [relId, xml] : tables) {
        XmlNode root;
        try {
            root = parseXmlTree(xml, "table");
        } catch (const AutomationError&) {
            continue;  // a table we cannot read stays with the original only
        }
        std::string base = root.attr("displayName") ? root.attr("displayName") : root.attr("name") ? root.attr("name") : "表";
        std::string name = base;
        for (int n = 2; taken.names.count(foldName(name)); ++n) name = base + "_" + std::to_string(n);
        taken.names.insert(foldName(name));
        root.setAttr("name", name);
        root.setAttr("displayName", name);
        root.setAttr("id", std::to_string(++taken.maxId));
        std::string out(kXmlDeclaration);
        writeXmlNode(out, root);
        copy.carriedTables[relId] = std::move(out);
    }
}

}  // namespace lorvane::sheet
