#include "base/CellAddress.h"

#include <algorithm>
#include <utility>

namespace lorvane {

namespace {

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// One side of a reference: an optional column and an optional row, each with an optional "$".
struct Part {
    int col = 0;  // 0: no column given
    int row = 0;  // 0: no row given
};

// Row digits: no leading zero, 1..kMaxRows.
int rowNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 7 || digits[0] == '0') return 0;
    int v = 0;
    for (char c : digits) v = v * 10 + (c - '0');
    return v <= kMaxRows ? v : 0;
}

bool parsePart(std::string_view s, Part& out) {
    size_t i = 0;
    if (i < s.size() && s[i] == '$') ++i;
    const size_t lettersBegin = i;
    while (i < s.size() && isLetter(s[i])) ++i;
    const std::string_view letters = s.substr(lettersBegin, i - lettersBegin);
    if (letters.empty()) {
        // A row alone: "$3" or "3"; a "$" must then stand before digits.
        std::string_view digits = s.substr(lettersBegin);
        if (!std::all_of(digits.begin(), digits.end(), isDigit)) return false;
        out = {0, rowNumber(digits)};
        return out.row != 0;
    }
    out.col = columnNumber(letters);
    if (out.col == 0) return false;
    if (i == s.size()) {
        out.row = 0;
        return true;
    }
    if (s[i] == '$') ++i;
    std::string_view digits = s.substr(i);
    if (!std::all_of(digits.begin(), digits.end(), isDigit)) return false;
    out.row = rowNumber(digits);
    return out.row != 0;
}

}  // namespace

std::string columnLetters(int column) {
    if (column < 1 || column > kMaxColumns) return {};
    std::string out;
    while (column > 0) {
        const int rem = (column - 1) % 26;
        out.insert(out.begin(), static_cast<char>('A' + rem));
        column = (column - 1) / 26;
    }
    return out;
}

int columnNumber(std::string_view letters) {
    if (letters.empty() || letters.size() > 3) return 0;
    int v = 0;
    for (char c : letters) {
        if (!isLetter(c)) return 0;
        const int d = (c >= 'a' ? c - 'a' : c - 'A') + 1;
        v = v * 26 + d;
    }
    return v <= kMaxColumns ? v : 0;
}

bool parseReference(std::string_view text, CellRect& out) {
    const size_t colon = text.find(':');
    Part a, b;
    if (colon == std::string_view::npos) {
        // A single cell needs both a column and a row.
        if (!parsePart(text, a) || a.col == 0 || a.row == 0) return false;
        out = {a.row, a.col, a.row, a.col};
        return true;
    }
    if (!parsePart(text.substr(0, colon), a) || !parsePart(text.substr(colon + 1), b)) return false;
    CellRect r;
    if (a.col && a.row && b.col && b.row) {
        r = {a.row, a.col, b.row, b.col};
    } else if (a.col && !a.row && b.col && !b.row) {
        r = {1, a.col, kMaxRows, b.col};  // whole columns
    } else if (!a.col && a.row && !b.col && b.row) {
        r = {a.row, 1, b.row, kMaxColumns};  // whole rows
    } else {
        return false;
    }
    if (r.row1 > r.row2) std::swap(r.row1, r.row2);
    if (r.col1 > r.col2) std::swap(r.col1, r.col2);
    out = r;
    return true;
}

namespace {

std::string address(const CellRect& r, bool absolute) {
    const std::string d = absolute ? "$" : "";
    const bool wholeColumns = r.row1 == 1 && r.row2 == kMaxRows;
    const bool wholeRows = r.col1 == 1 && r.col2 == kMaxColumns;
    if (wholeRows)
        return d + std::to_string(r.row1) + ":" + d + std::to_string(r.row2);
    if (wholeColumns)
        return d + columnLetters(r.col1) + ":" + d + columnLetters(r.col2);
    std::string out = d + columnLetters(r.col1) + d + std::to_string(r.row1);
    if (r.row1 != r.row2 || r.col1 != r.col2)
        out += ":" + d + columnLetters(r.col2) + d + std::to_string(r.row2);
    return out;
}

}  // namespace

std::string absoluteAddress(const CellRect& r) { return address(r, true); }
std::string relativeAddress(const CellRect& r) { return address(r, false); }

}  // namespace lorvane
