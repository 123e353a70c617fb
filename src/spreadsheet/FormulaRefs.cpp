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
    if (p < s.size() && (isIdentChar(s[p]) || s[p] == '(' || s[p] == '$')) return std::nullopt;
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

// A reference found in a formula, with the sheet it names (empty = unqualified).
struct Ref {
    std::string sheet;
    RefEnd first;
    std::optional<RefEnd> second;
};

// Calls `edit` for every cell reference of the formula; edit returns the replacement text,
// or nullopt to keep the reference as written.
bool rewrite(std::string& formula, const std::function<std::optional<std::string>(const Ref&, std::string_view prefix)>& edit) {
    std::string_view s = formula;
    std::string out;
    out.reserve(s.size());
    bool changed = false;
    std::size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
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
            Ref ref{sheet, *first, std::nullopt};
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

// Moves one coordinate for an insert (count > 0) or delete (count < 0); nullopt = deleted.
std::optional<int> moveCoordinate(int v, int at, int count, int limit) {
    if (v < at) return v;
    if (count > 0) {
        int moved = v + count;
        if (moved > limit) return std::nullopt;
        return moved;
    }
    int removed = -count;
    if (v < at + removed) return std::nullopt;
    return v - removed;
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

bool shiftReferences(std::string& formula, std::string_view changed, bool onChangedSheet, Axis axis, int at, int count) {
    int limit = axis == Axis::Rows ? kMaxRows : kMaxColumns;
    return rewrite(formula, [&](const Ref& ref, std::string_view prefix) -> std::optional<std::string> {
        bool targets = ref.sheet.empty() ? onChangedSheet : namesEqualIgnoringCase(ref.sheet, changed);
        if (!targets) return std::nullopt;
        auto coord = [&](RefEnd& e) -> int& { return axis == Axis::Rows ? e.row : e.col; };
        RefEnd a = ref.first;
        if (!ref.second) {
            if (coord(a) == 0) return std::nullopt;
            auto moved = moveCoordinate(coord(a), at, count, limit);
            if (!moved) return std::string(prefix) + "#REF!";
            if (*moved == coord(a)) return std::nullopt;
            coord(a) = *moved;
            return std::string(prefix) + endText(a);
        }
        RefEnd b = *ref.second;
        if (coord(a) == 0 || coord(b) == 0) return std::nullopt;  // whole rows/columns the other way
        int lo = coord(a), hi = coord(b);
        if (lo > hi) std::swap(lo, hi);
        int newLo, newHi;
        if (count > 0) {
            newLo = lo >= at ? lo + count : lo;
            newHi = hi >= at ? hi + count : hi;
            if (newLo > limit) return std::string(prefix) + "#REF!";
            newHi = std::min(newHi, limit);
        } else {
            int removed = -count, end = at + removed - 1;
            if (lo >= at && hi <= end) return std::string(prefix) + "#REF!";
            newLo = lo < at ? lo : (lo > end ? lo - removed : at);
            newHi = hi < at ? hi : (hi > end ? hi - removed : at - 1);
        }
        if (newLo == lo && newHi == hi) return std::nullopt;
        coord(a) = newLo;
        coord(b) = newHi;
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
        if (ref.sheet.empty() || !namesEqualIgnoringCase(ref.sheet, from)) return std::nullopt;
        if (to.empty()) return std::string("#REF!");
        std::string text = quotedSheetName(to) + "!" + endText(ref.first);
        if (ref.second) text += ":" + endText(*ref.second);
        return text;
    });
}

}  // namespace lorvane::sheet
