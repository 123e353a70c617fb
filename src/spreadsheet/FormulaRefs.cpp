#include "spreadsheet/FormulaRefs.h"

#include <cctype>
#include <functional>
#include <optional>

#include "base/CellAddress.h"
#include "base/NameFolding.h"

namespace lorvane::sheet {

namespace {

bool isIdentChar(char c) {
    auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '.' || u >= 0x80;
}


// One end of a reference: a column, a row, or both ("$A$1", "A", "7").
struct RefEnd {
    bool colAbs = false, rowAbs = false;
    int col = 0, row = 0;  // 0 = not given
};

// Reads "$A$1", "A" or "7" at pos; advances pos on success.
std::optional<RefEnd> readEnd(std::string_view s, std::size_t& pos) {
    RefEnd e;
    std::size_t p = pos;
    if (p < s.size() && s[p] == '$') { e.colAbs = true; ++p; }
    std::size_t letters = p;
    while (p < s.size() && std::isalpha(static_cast<unsigned char>(s[p])) && p - letters < 4) ++p;
    if (p > letters) {
        e.col = columnNumber(s.substr(letters, p - letters));
        if (e.col == 0) return std::nullopt;
    } else if (e.colAbs) {
        // "$7" is an absolute row.
        e.colAbs = false;
        e.rowAbs = true;
    }
    if (p < s.size() && s[p] == '$' && e.col) { e.rowAbs = true; ++p; }
    std::size_t digits = p;
    long row = 0;
    while (p < s.size() && std::isdigit(static_cast<unsigned char>(s[p])) && p - digits < 8) row = row * 10 + (s[p++] - '0');
    if (p > digits) {
        if (row < 1 || row > kMaxRows) return std::nullopt;
        e.row = static_cast<int>(row);
    } else if (e.rowAbs && !e.col) {
        return std::nullopt;
    }
    if (!e.col && !e.row) return std::nullopt;
    if (p < s.size() && (isIdentChar(s[p]) || s[p] == '(' || s[p] == '$' || s[p] == '[')) return std::nullopt;
    pos = p;
    return e;
}

std::string endText(const RefEnd& e) {
    std::string out;
    if (e.col) {
        if (e.colAbs) out += '$';
        out += columnLetters(e.col);
    }
    if (e.row) {
        if (e.rowAbs) out += '$';
        out += std::to_string(e.row);
    }
    return out;
}

// A reference found in a formula, with the sheet it names (empty = unqualified). An external
// one ("[1]Sheet1!A1", "'[Book.xlsx]Sheet 1'!A1") names a sheet of another workbook.
struct Ref {
    std::string sheet;
    RefEnd first;
    std::optional<RefEnd> second;
    bool external = false;
};

// The end of a bracketed group starting at `i` ("[1]", "Table1[[#This Row],[A1]]" inner parts):
// the position after its closing bracket, nested groups and '-escaped brackets included.
std::size_t skipBrackets(std::string_view s, std::size_t i) {
    int depth = 0;
    for (std::size_t j = i; j < s.size(); ++j) {
        if (s[j] == '\'' && j + 1 < s.size()) {
            ++j;
            continue;
        }
        if (s[j] == '[') ++depth;
        else if (s[j] == ']' && --depth == 0) return j + 1;
    }
    return s.size();
}

// Calls `edit` for every cell reference of the formula; edit returns the replacement text,
// or nullopt to keep the reference as written.
bool rewrite(std::string& formula, const std::function<std::optional<std::string>(const Ref&, std::string_view prefix)>& edit) {
    std::string_view s = formula;
    std::string out;
    out.reserve(s.size());
    bool changed = false;
    std::size_t i = 0;
    bool afterBracket = false;  // the token follows a "[...]" group: a workbook index or a table
    while (i < s.size()) {
        char c = s[i];
        bool external = afterBracket;
        afterBracket = false;
        if (c == '[') {  // external workbook index or structured reference: never cell references
            std::size_t j = skipBrackets(s, i);
            out.append(s.substr(i, j - i));
            i = j;
            afterBracket = true;
            continue;
        }
        if (c == '"') {  // string literal, "" escapes a quote
            std::size_t j = i + 1;
            while (j < s.size()) {
                if (s[j] == '"') {
                    if (j + 1 < s.size() && s[j + 1] == '"') { j += 2; continue; }
                    break;
                }
                ++j;
            }
            j = std::min(j + 1, s.size());
            out.append(s.substr(i, j - i));
            i = j;
            continue;
        }
        bool boundary = i == 0 || !isIdentChar(s[i - 1]);
        if (!boundary) {
            out += c;
            ++i;
            continue;
        }
        // Optional sheet prefix: 'quoted name'! or Name!
        std::string sheet;
        std::size_t p = i;
        if (c == '\'') {
            std::size_t j = i + 1;
            std::string name;
            while (j < s.size()) {
                if (s[j] == '\'') {
                    if (j + 1 < s.size() && s[j + 1] == '\'') { name += '\''; j += 2; continue; }
                    break;
                }
                name += s[j++];
            }
            if (j + 1 < s.size() && s[j + 1] == '!') {
                sheet = name;
                p = j + 2;
                if (name.find(']') != std::string::npos) external = true;
            } else {
                out.append(s.substr(i, j + 1 - i));
                i = j + 1;
                continue;
            }
        } else if (isIdentChar(c)) {
            std::size_t j = i;
            while (j < s.size() && isIdentChar(s[j])) ++j;
            if (j < s.size() && s[j] == '!') {
                sheet = std::string(s.substr(i, j - i));
                p = j + 1;
            }
        }
        std::size_t q = p;
        auto first = readEnd(s, q);
        if (first) {
            Ref ref{sheet, *first, std::nullopt, external && !sheet.empty()};
            std::size_t r = q;
            if (r < s.size() && s[r] == ':') {
                ++r;
                if (auto second = readEnd(s, r)) {
                    bool sameKind = (first->col != 0) == (second->col != 0) && (first->row != 0) == (second->row != 0);
                    if (sameKind) {
                        ref.second = second;
                        q = r;
                    }
                }
            }
            bool plausible = (ref.first.col && ref.first.row) || ref.second.has_value();
            if (plausible) {
                std::string_view prefix = s.substr(i, p - i);
                if (auto replacement = edit(ref, prefix)) {
                    out += *replacement;
                    changed = true;
                } else {
                    out.append(s.substr(i, q - i));
                }
                i = q;
                continue;
            }
        }
        // Not a reference: copy the identifier (or the character) as it stands.
        if (isIdentChar(c)) {
            std::size_t j = i;
            while (j < s.size() && isIdentChar(s[j])) ++j;
            out.append(s.substr(i, j - i));
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    if (changed) formula = std::move(out);
    return changed;
}

}  // namespace

std::string quotedSheetName(std::string_view name) {
    bool plain = !name.empty() && !std::isdigit(static_cast<unsigned char>(name[0]));
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80)) plain = false;
    if (plain) {
        // A name that looks like a cell reference ("A1", "R2C3") must be quoted too.
        std::size_t pos = 0;
        std::string_view v = name;
        if (readEnd(v, pos) && pos == v.size()) plain = false;
    }
    if (plain) return std::string(name);
    std::string out = "'";
    for (char c : name) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

std::optional<std::pair<int, int>> moveSpan(int lo, int hi, const StructureEdit& e) {
    const int limit = e.limit();
    if (lo > hi) std::swap(lo, hi);
    if (e.count == 0 || hi < e.at) return std::make_pair(lo, hi);
    if (lo == 1 && hi == limit) return std::make_pair(lo, hi);  // whole rows or columns stay whole
    if (e.count > 0) {
        int newLo = lo >= e.at ? lo + e.count : lo;
        if (newLo > limit) return std::nullopt;
        return std::make_pair(newLo, std::min(hi + e.count, limit));
    }
    const int removed = -e.count, end = e.at + removed - 1;
    if (lo >= e.at && hi <= end) return std::nullopt;
    int newLo = lo < e.at ? lo : (lo > end ? lo - removed : e.at);
    int newHi = hi > end ? hi - removed : e.at - 1;
    return std::make_pair(newLo, newHi);
}

namespace {

// The span of an area on the axis the edit moves, and on the other one.
int& along(CellRect& r, const StructureEdit& e, bool first) {
    if (e.axis == Axis::Rows) return first ? r.row1 : r.row2;
    return first ? r.col1 : r.col2;
}
int& across(CellRect& r, const StructureEdit& e, bool first) {
    if (e.axis == Axis::Rows) return first ? r.col1 : r.col2;
    return first ? r.row1 : r.row2;
}

bool withinBand(int lo, int hi, const StructureEdit& e) { return e.whole() || (lo >= e.bandFirst && hi <= e.bandLast); }

std::optional<CellRect> moveWhole(CellRect area, const StructureEdit& e) {
    auto span = moveSpan(along(area, e, true), along(area, e, false), e);
    if (!span) return std::nullopt;
    along(area, e, true) = span->first;
    along(area, e, false) = span->second;
    return area;
}

}  // namespace

std::optional<CellRect> moveArea(const CellRect& area, const StructureEdit& e) {
    CellRect a = area;
    if (!withinBand(across(a, e, true), across(a, e, false), e)) return area;
    return moveWhole(area, e);
}

std::vector<CellRect> moveAreaSplitting(const CellRect& area, const StructureEdit& e) {
    std::vector<CellRect> out;
    CellRect a = area;
    int lo = across(a, e, true), hi = across(a, e, false);
    if (withinBand(lo, hi, e) || hi < e.bandFirst || lo > e.bandLast) {
        if (auto moved = withinBand(lo, hi, e) ? moveWhole(area, e) : std::optional<CellRect>(area)) out.push_back(*moved);
        return out;
    }
    // Cut at the band's edges: the sides stay, the middle moves.
    if (lo < e.bandFirst) {
        CellRect side = area;
        across(side, e, false) = e.bandFirst - 1;
        out.push_back(side);
    }
    CellRect middle = area;
    across(middle, e, true) = std::max(lo, e.bandFirst);
    across(middle, e, false) = std::min(hi, e.bandLast);
    if (auto moved = moveWhole(middle, e)) out.push_back(*moved);
    if (hi > e.bandLast) {
        CellRect side = area;
        across(side, e, true) = e.bandLast + 1;
        out.push_back(side);
    }
    return out;
}

std::string moveSqref(std::string_view sqref, const StructureEdit& e, bool* changed) {
    if (changed) *changed = false;
    std::string out;
    bool any = false;
    std::size_t i = 0;
    while (i < sqref.size()) {
        while (i < sqref.size() && sqref[i] == ' ') ++i;
        std::size_t j = i;
        while (j < sqref.size() && sqref[j] != ' ') ++j;
        if (j == i) break;
        CellRect area;
        if (!parseReference(sqref.substr(i, j - i), area)) return std::string(sqref);
        auto parts = moveAreaSplitting(area, e);
        for (const CellRect& moved : parts) {
            if (!out.empty()) out += ' ';
            out += relativeAddress(moved);
        }
        if (parts.size() != 1 || !(parts.front() == area)) any = true;
        i = j;
    }
    if (!any) return std::string(sqref);
    if (changed) *changed = true;
    return out;
}

bool shiftReferences(std::string& formula, std::string_view changed, bool onChangedSheet, Axis axis, int at, int count) {
    return shiftReferences(formula, changed, onChangedSheet, StructureEdit{axis, at, count, 1, 0});
}

bool shiftReferences(std::string& formula, std::string_view changed, bool onChangedSheet, const StructureEdit& e) {
    if (e.count == 0) return false;
    const bool rows = e.axis == Axis::Rows;
    return rewrite(formula, [&](const Ref& ref, std::string_view prefix) -> std::optional<std::string> {
        if (ref.external) return std::nullopt;
        bool targets = ref.sheet.empty() ? onChangedSheet : namesEqualIgnoringCase(ref.sheet, changed);
        if (!targets) return std::nullopt;
        RefEnd a = ref.first;
        RefEnd b = ref.second ? *ref.second : ref.first;
        auto coord = [&](RefEnd& x) -> int& { return rows ? x.row : x.col; };
        auto other = [&](RefEnd& x) -> int& { return rows ? x.col : x.row; };
        if (coord(a) == 0 || coord(b) == 0) return std::nullopt;  // whole rows/columns the other way
        // Whole columns on a row edit (or whole rows on a column edit) span the other axis entirely.
        int otherLo = other(a) ? other(a) : 1, otherHi = other(b) ? other(b) : (rows ? kMaxColumns : kMaxRows);
        if (otherLo > otherHi) std::swap(otherLo, otherHi);
        if (!withinBand(otherLo, otherHi, e)) return std::nullopt;
        int lo = coord(a), hi = coord(b);
        bool reversed = lo > hi;
        auto span = moveSpan(lo, hi, e);
        if (!span) return std::string(prefix) + "#REF!";
        if (reversed) std::swap(lo, hi);
        if (span->first == lo && span->second == hi) return std::nullopt;
        if (!ref.second) {
            coord(a) = span->first;
            return std::string(prefix) + endText(a);
        }
        coord(reversed ? b : a) = span->first;
        coord(reversed ? a : b) = span->second;
        return std::string(prefix) + endText(a) + ":" + endText(b);
    });
}

bool offsetReferences(std::string& formula, int rows, int cols) {
    if (rows == 0 && cols == 0) return false;
    return rewrite(formula, [&](const Ref& ref, std::string_view prefix) -> std::optional<std::string> {
        auto move = [&](RefEnd e) -> std::optional<RefEnd> {
            if (e.row && !e.rowAbs) e.row += rows;
            if (e.col && !e.colAbs) e.col += cols;
            if ((e.row && (e.row < 1 || e.row > kMaxRows)) || (e.col && (e.col < 1 || e.col > kMaxColumns))) return std::nullopt;
            return e;
        };
        auto a = move(ref.first);
        std::optional<RefEnd> b;
        if (ref.second) b = move(*ref.second);
        if (!a || (ref.second && !b)) return std::string(prefix) + "#REF!";
        std::string text = std::string(prefix) + endText(*a);
        if (b) text += ":" + endText(*b);
        return text;
    });
}

bool renameSheetReferences(std::string& formula, std::string_view from, std::string_view to) {
    return rewrite(formula, [&](const Ref& ref, std::string_view) -> std::optional<std::string> {
        if (ref.external || ref.sheet.empty() || !namesEqualIgnoringCase(ref.sheet, from)) return std::nullopt;
        if (to.empty()) return std::string("#REF!");
        std::string text = quotedSheetName(to) + "!" + endText(ref.first);
        if (ref.second) text += ":" + endText(*ref.second);
        return text;
    });
}

}  // namespace lorvane::sheet
