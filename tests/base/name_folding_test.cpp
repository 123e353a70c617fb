// One folding rule for sheet names, defined names and the sheet names in formula references.
#include <gtest/gtest.h>

#include "automation/SheetNames.h"
#include "base/NameFolding.h"
#include "spreadsheet/FormulaRefs.h"

namespace lorvane {
namespace {

TEST(NameFolding, OneRuleForEveryKindOfName) {
    struct Pair {
        const char* a;
        const char* b;
        bool equal;
    };
    const Pair pairs[] = {
        {"Sheet1", "SHEET1", true},   {"Über", "über", true},      {"ΔΕΛΤΑ", "δελτα", true},
        {"ПРИВЕТ", "привет", true},   {"ＡＢＣ", "ａｂｃ", true},  {"Łódź", "łódź", true},
        {"Ёж", "ёж", true},           {"销售部", "销售部", true},  {"销售部", "销售處", false},
        {"a", "b", false},            {"ab", "a", false},          {"ＡＢＣ", "ABC", false},
    };
    for (const Pair& p : pairs) {
        SCOPED_TRACE(std::string(p.a) + " / " + p.b);
        EXPECT_EQ(namesEqualIgnoringCase(p.a, p.b), p.equal);
        EXPECT_EQ(foldName(p.a) == foldName(p.b), p.equal);
        EXPECT_EQ(sheetNamesEqual(p.a, p.b), p.equal);
    }
}

// A formula naming a sheet in another letter case of a non-ASCII name follows the sheet.
TEST(NameFolding, FormulaReferencesFoldLikeSheetNames) {
    std::string formula = "SUM('ÜBERSICHT'!A1:A3)+Übersicht!B2";
    EXPECT_TRUE(sheet::renameSheetReferences(formula, "übersicht", "汇总"));
    EXPECT_EQ(formula, "SUM(汇总!A1:A3)+汇总!B2");
    std::string shifted = "'ΔΕΛΤΑ'!A5";
    EXPECT_TRUE(sheet::shiftReferences(shifted, "δελτα", false, sheet::Axis::Rows, 2, 1));
    EXPECT_EQ(shifted, "'ΔΕΛΤΑ'!A6");
}

}  // namespace
}  // namespace lorvane
