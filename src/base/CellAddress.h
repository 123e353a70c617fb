#pragma once
// Column letters and A1 references.
#include <string>
#include <string_view>

namespace lorvane {

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

// 1 -> "A", 28 -> "AB", 16384 -> "XFD".
std::string columnLetters(int column);
// "AB" -> 28 (letters of either case); 0 for anything else or beyond XFD.
int columnNumber(std::string_view letters);

// A rectangle of cells, 1-based and inclusive.
struct CellRect {
    int row1 = 1, col1 = 1, row2 = 1, col2 = 1;
    int rows() const { return row2 - row1 + 1; }
    int cols() const { return col2 - col1 + 1; }
    bool contains(int r, int c) const { return r >= row1 && r <= row2 && c >= col1 && c <= col2; }
    bool intersects(const CellRect& o) const {
        return row1 <= o.row2 && o.row1 <= row2 && col1 <= o.col2 && o.col1 <= col2;
    }
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

// Parses "A1", "$B$2", "a1:c5", "C:E", "3:7", "IV5". Returns false for texts that name no cells.
bool parseReference(std::string_view text, CellRect& out);

// "$A$1" or "$A$1:$C$5", as Address() shows it.
std::string absoluteAddress(const CellRect& r);
// "A1" or "A1:C5".
std::string relativeAddress(const CellRect& r);

}  // namespace lorvane
