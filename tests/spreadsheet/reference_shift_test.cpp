// Moving references and range lists when rows or columns are inserted or deleted.
#include <gtest/gtest.h>

#include "spreadsheet/FormulaRefs.h"

namespace lorvane::sheet {
namespace {

std::string shifted(std::string formula, const StructureEdit& e, std::string_view sheet = "Sheet1", bool onSheet = true) {
    shiftReferences(formula, sheet, onSheet, e);
    return formula;
}

TEST(ReferenceShift, SpansMoveGrowShrinkOrVanish) {
    using P = std::pair<int, int>;
    EXPECT_EQ(moveSpan(5, 9, StructureEdit::rows(2, 3)), P(8, 12));   // below an insert: moved
    EXPECT_EQ(moveSpan(5, 9, StructureEdit::rows(7, 3)), P(5, 12));   // insert inside: grows
    EXPECT_EQ(moveSpan(5, 9, StructureEdit::rows(10, 3)), P(5, 9));   // insert below it: stays
    EXPECT_EQ(moveSpan(5, 9, StructureEdit::rows(5, 2)), P(7, 11));   // insert at its first row moves it
    EXPECT_EQ(moveSpan(5, 9, StructureEdit::rows(3, -4)), P(3, 5));   // delete cutting its top edge
    EXPECT_EQ(moveSpan(5, 9, StructureEdit::rows(8, -5)), P(5, 7));   // delete cutting its bottom edge
    EXPECT_EQ(moveSpan(5, 9, StructureEdit::rows(6, -2)), P(5, 7));   // delete inside
    EXPECT_EQ(moveSpan(5, 9, StructureEdit::rows(1, -2)), P(3, 7));   // delete above
    EXPECT_FALSE(moveSpan(5, 9, StructureEdit::rows(4, -7)));         // all of it deleted
    EXPECT_FALSE(moveSpan(kMaxRows - 1, kMaxRows, StructureEdit::rows(3, 5)));  // pushed off the sheet
    EXPECT_EQ(moveSpan(kMaxRows - 9, kMaxRows - 1, StructureEdit::rows(3, 5)), P(kMaxRows - 4, kMaxRows));
    EXPECT_EQ(moveSpan(1, kMaxRows, StructureEdit::rows(3, -2)), P(1, kMaxRows));  // a whole column stays whole
}

TEST(ReferenceShift, PartialShiftsMoveOnlyWhatLiesInTheirBand) {
    // Cells B2:C5 deleted, the cells below them shifting up by four rows.
    StructureEdit up{Axis::Rows, 2, -4, 2, 3};
    EXPECT_EQ(moveArea({10, 2, 12, 3}, up), (CellRect{6, 2, 8, 3}));
    EXPECT_EQ(moveArea({10, 1, 12, 3}, up), (CellRect{10, 1, 12, 3}));  // reaches outside the band: stays
    EXPECT_FALSE(moveArea({3, 2, 4, 2}, up));
    auto parts = moveAreaSplitting({1, 1, 10, 4}, up);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0], (CellRect{1, 1, 10, 1}));
    EXPECT_EQ(parts[1], (CellRect{1, 2, 6, 3}));
    EXPECT_EQ(parts[2], (CellRect{1, 4, 10, 4}));
    EXPECT_EQ(shifted("B10+A10+SUM(B1:C10)+SUM(A1:C10)+C3", up), "B6+A10+SUM(B1:C6)+SUM(A1:C10)+#REF!");
    // Cells shifted right from C2:D3: only rows 2..3 move.
    StructureEdit right{Axis::Columns, 3, 2, 2, 3};
    EXPECT_EQ(shifted("E2+E4+C2:D3", right), "G2+E4+E2:F3");
}

TEST(ReferenceShift, RangeListsMoveSplitAndDropAreas) {
    bool changed = false;
    EXPECT_EQ(moveSqref("A1:B5 D3 F10:F20", StructureEdit::columns(2, -3), &changed), "A1:A5 C10:C20");
    EXPECT_TRUE(changed);
    EXPECT_EQ(moveSqref("C3:C9", StructureEdit::rows(2, 2), &changed), "C5:C11");
    EXPECT_EQ(moveSqref("C3:C9", StructureEdit::rows(20, 2), &changed), "C3:C9");
    EXPECT_FALSE(changed);
    EXPECT_EQ(moveSqref("B2:B4", StructureEdit::rows(1, -10), &changed), "");
    EXPECT_TRUE(changed);
    EXPECT_EQ(moveSqref("A1:D4", StructureEdit{Axis::Columns, 2, 1, 2, 3}), "A1:D1 A2:E3 A4:D4");
    EXPECT_EQ(moveSqref("not a range", StructureEdit::rows(1, 1), &changed), "not a range");
    EXPECT_FALSE(changed);
}

TEST(ReferenceShift, FormulasKeepAnchorsAndSheetQualifiers) {
    auto rows = StructureEdit::rows(3, 2);
    EXPECT_EQ(shifted("$A$5+A$5+$A5+A2", rows), "$A$7+A$7+$A7+A2");
    EXPECT_EQ(shifted("SUM($B$2:$B$10)", rows), "SUM($B$2:$B$12)");
    EXPECT_EQ(shifted("'My Sheet'!C4+Sheet1!C4+C4", rows, "My Sheet", false), "'My Sheet'!C6+Sheet1!C4+C4");
    EXPECT_EQ(shifted("'It''s'!C4", rows, "It's", false), "'It''s'!C6");
    EXPECT_EQ(shifted("部门!C4", rows, "部门", false), "部门!C6");
    // Whole columns ignore row edits and shrink with column edits; whole rows the other way round.
    EXPECT_EQ(shifted("SUM(A:A)+SUM(3:7)+SUM(2:7)", rows), "SUM(A:A)+SUM(5:9)+SUM(2:9)");
    EXPECT_EQ(shifted("SUM(B:D)+SUM(3:7)", StructureEdit::columns(2, -1)), "SUM(B:C)+SUM(3:7)");
    EXPECT_EQ(shifted("SUM(B:B)", StructureEdit::columns(2, -1)), "SUM(#REF!)");
    EXPECT_EQ(shifted("SUM($3:$4)", StructureEdit::rows(3, -2)), "SUM(#REF!)");
    // Reversed ends keep their order.
    EXPECT_EQ(shifted("SUM(B9:B2)", rows), "SUM(B11:B2)");
}

TEST(ReferenceShift, EdgesCutByADelete) {
    auto del = StructureEdit::rows(4, -3);  // rows 4..6
    EXPECT_EQ(shifted("SUM(A2:A5)", del), "SUM(A2:A3)");
    EXPECT_EQ(shifted("SUM(A5:A9)", del), "SUM(A4:A6)");
    EXPECT_EQ(shifted("SUM(A4:A6)", del), "SUM(#REF!)");
    EXPECT_EQ(shifted("Sheet1!A5", del, "Sheet1", false), "Sheet1!#REF!");
    EXPECT_EQ(shifted("SUM(A1:C3)", StructureEdit::columns(1, -2)), "SUM(A1:A3)");
}

TEST(ReferenceShift, TextsFunctionsAndNamesAreNotReferences) {
    auto rows = StructureEdit::rows(1, 1);
    EXPECT_EQ(shifted("IF(A1=\"A1\",\"B2:C3\",LOG10(A2))", rows), "IF(A2=\"A1\",\"B2:C3\",LOG10(A3))");
    EXPECT_EQ(shifted("Rate2024*A1+ABC1(2)", rows), "Rate2024*A2+ABC1(2)");
    // Structured references name table columns, whatever their names look like.
    EXPECT_EQ(shifted("SUM(Table1[A1])+Table1[[#This Row],[B2]]+A1", rows), "SUM(Table1[A1])+Table1[[#This Row],[B2]]+A2");
    EXPECT_EQ(shifted("SUM(T1[Q1])+T1", rows), "SUM(T1[Q1])+T2");
}

TEST(ReferenceShift, ExternalReferencesNeverMove) {
    auto rows = StructureEdit::rows(1, 2);
    EXPECT_EQ(shifted("[1]Sheet1!A1+Sheet1!A1", rows, "Sheet1", false), "[1]Sheet1!A1+Sheet1!A3");
    EXPECT_EQ(shifted("'[1]Sheet1'!A1+'[Book2.xlsx]Sheet1'!B2:B4", rows, "Sheet1", false),
              "'[1]Sheet1'!A1+'[Book2.xlsx]Sheet1'!B2:B4");
    EXPECT_EQ(shifted("'C:\\data\\[Book2.xlsx]Sheet1'!A1", rows, "Sheet1", false), "'C:\\data\\[Book2.xlsx]Sheet1'!A1");
    std::string renamed = "[1]Sheet1!A1+Sheet1!A1";
    renameSheetReferences(renamed, "Sheet1", "");
    EXPECT_EQ(renamed, "[1]Sheet1!A1+#REF!");
}

}  // namespace
}  // namespace lorvane::sheet
