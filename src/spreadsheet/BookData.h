#pragma once
// The in-memory workbook: its sheets in tab order, the texts, formats and formulas they
// refer to, and what the file layer keeps of the file it came from.
#include <memory>
#include <string>
#include <vector>

#include "spreadsheet/SheetData.h"
#include "spreadsheet/StringPool.h"
#include "spreadsheet/Style.h"

namespace lorvane::sheet {

struct DefinedName {
    std::string name;
    std::string formula;  // the reference or formula text, without "="
    int localSheet = -1;  // index of the sheet it belongs to, -1 = workbook-wide
    bool hidden = false;
    std::string extraAttributes;  // other attributes as written, kept for writing back
};

// What the file layer keeps of a package that the engine does not model (defined in the file code).
struct BookPackage;

struct BookData {
    std::vector<std::unique_ptr<SheetData>> sheets;  // tab order
    StringPool strings;
    StyleTable styles;
    std::vector<std::string> formulas;  // formula texts without "="; cells refer by index + 1
    std::vector<DefinedName> names;
    bool date1904 = false;
    bool needsRecalc = false;  // some cached formula result may be stale: ask for recalculation on load
    bool allFormulasStale = false;  // values changed somewhere: no cached formula result can be trusted
    int activeSheet = 0;       // index into sheets
    std::shared_ptr<BookPackage> package;  // null for workbooks made in memory
    // Differential formats (whole <dxf> elements) that conditional formats copied from other
    // workbooks brought along; numbered after those of the file.
    std::vector<std::string> addedDxfs;

    std::uint32_t addFormula(std::string text) {
        formulas.push_back(std::move(text));
        return static_cast<std::uint32_t>(formulas.size());
    }
    const std::string& formulaText(std::uint32_t ref) const { return formulas[ref - 1]; }
    int indexOf(const SheetData* s) const {
        for (std::size_t i = 0; i < sheets.size(); ++i)
            if (sheets[i].get() == s) return static_cast<int>(i);
        return -1;
    }
};

}  // namespace lorvane::sheet
