#pragma once
// The layout of a table on a sheet as the options windows and commands give it (key column,
// title rows, maximum rows and columns, footer rows), its conversion into numbers with the
// messages of the checks, and the measuring of a sheet by it.
#include <optional>
#include <string>
#include <string_view>

#include "automation/Variant.h"

namespace lorvane {
class Worksheet;
}

namespace lorvane::runs {

// The texts of the controls, unconverted.
struct TableLayoutTexts {
    std::string keyColumn;   // a column number or one to three capital letters
    std::string titleRows;   // 标题行数
    std::string maxRows;     // 最大行数: empty or 0 = found by the run; counts the footer rows
    std::string maxColumns;  // 最大列数: empty or 0 = found by the run
    std::string footerFlag;  // 表底文字: only "是" counts
    std::string footerRows;  // 表底文字行数
    std::string keep;        // 是否保留: only "是" counts
};

// The layout as numbers.
struct TableLayout {
    int keyColumn = 0;
    int titleRows = 0;
    int maxRows = 0;     // 0: found by the run
    int maxColumns = 0;  // 0: found by the run
    int footerRows = 0;
    bool footerFlag = false;  // 表底文字 is "是"
    bool keep = false;        // 是否保留 is "是"
};

// A count from a control: its leading value taken to a whole number, within [low, high]; else
// the message naming the field.
std::optional<std::string> countFrom(std::string_view text, std::string_view field, int low, int high, int& out,
                                     bool whole = false);

// How strict the conversion is: whether the key column must be given (else empty means none,
// keyColumn 0), and whether counts must be whole numbers (else they are rounded half to even).
struct LayoutRules {
    bool keyRequired = true;
    bool wholeCounts = false;
};

// Converts the texts; `keyField` names the key column in messages ("拆分依据列", "对比列").
// On a text the run cannot use, returns the message instead.
std::optional<std::string> convertLayout(const TableLayoutTexts& texts, std::string_view keyField, TableLayout& out,
                                         LayoutRules rules = {});

// A table measured on its sheet by its layout: how far the used range goes, how many columns
// are taken, the last data row, the title rows and the footer.
struct MeasuredTable {
    TableLayout layout;     // maxColumns as found when it was 0, and never past the used range
    int usedRows = 0;       // last row of the used range (a sheet row)
    int lastDataRow = 0;    // last row of the data
    VariantArray titles;    // the title rows from A1, as far as the used range reaches
    bool footerTaken = false;
    VariantArray footer;    // footerRows x maxColumns from the bottom of the used range
};

// Measures `ws`. Rows and columns past the used range hold nothing: counts typed beyond it read
// only what exists, so a count of a million costs what the sheet holds. Returns the message of
// a refusal (a footer larger than the sheet), or nothing with `out` filled.
// `role` names the sheet in that message ("总表").
std::optional<std::string> measureTable(Worksheet& ws, const TableLayout& layout, MeasuredTable& out,
                                        std::string_view role = "工作表");

}  // namespace lorvane::runs
