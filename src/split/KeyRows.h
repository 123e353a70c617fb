#pragma once
// The distinct values of the master's key column with the data rows of each, in first-seen order.
#include <string>
#include <vector>

#include "automation/Variant.h"

namespace lorvane {
class Worksheet;
}

namespace lorvane::split {

// The text standing for an empty key cell.
inline constexpr const char* kEmptyKey = "空";

struct KeyRows {
    Variant key;            // the cell's value as read (a number stays a number), or the text 空
    std::string text;       // the key as text: the name of its sheet or file
    std::vector<int> rows;  // sheet rows, ascending
};

// Rows firstRow..lastRow of `column`. Keys compare as the keyed collection compares: exactly and
// by type, so the number 1001 and the text "1001" are two keys. Empty cells and empty texts
// gather under 空 together with cells holding the text 空.
std::vector<KeyRows> collectKeyRows(Worksheet& master, int column, int firstRow, int lastRow);

}  // namespace lorvane::split
