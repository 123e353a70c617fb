// The table layout shared by the operations: column references, the conversion of the layout
// texts with its messages, and the measuring of a sheet by the layout.
#include <gtest/gtest.h>

#include "automation/Application.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "runs/ColumnRef.h"
#include "runs/TableLayout.h"
#include "support/MemoryLimit.h"

namespace lorvane::runs {
namespace {

TEST(ColumnReferences, NumbersAndLettersWithinTheSheet) {
    EXPECT_EQ(columnIndex("C"), 3);
    EXPECT_EQ(columnIndex("AB"), 28);
    EXPECT_EQ(columnIndex("XFD"), 16384);
    EXPECT_EQ(columnIndex("3"), 3);
    EXPECT_EQ(columnIndex("3,5,6"), 3);  // numeric by the digit-group rule; its value is 3
    EXPECT_EQ(columnIndex("3.0"), 3);
    EXPECT_EQ(columnIndex("2.5"), 0);
    EXPECT_EQ(columnIndex("c"), 0);
    EXPECT_EQ(columnIndex("XFE"), 0);
    EXPECT_EQ(columnIndex("16385"), 0);
    EXPECT_EQ(columnIndex("0"), 0);
    EXPECT_EQ(columnRangeMessage("XFE", "对比列"), "您输入的【对比列】“XFE”不是工作表中的列：请输入1到16384之间的整数列号，或A到XFD之间的列字母！");
    EXPECT_EQ(columnRangeMessage("XFD", "对比列"), "");
}

TEST(SplitLayoutConversion, LeadingValuesAndRanges) {
    TableLayoutTexts r;
    r.keyColumn = "C";
    r.titleRows = " 2 ";
    r.maxRows = "20行";
    r.maxColumns = "";
    r.footerRows = "2.5";  // half to even
    r.footerFlag = "是";
    r.keep = "否";
    TableLayout l;
    ASSERT_FALSE(convertLayout(r, "拆分依据列", l).has_value());
    EXPECT_EQ(l.keyColumn, 3);
    EXPECT_EQ(l.titleRows, 2);
    EXPECT_EQ(l.maxRows, 20);
    EXPECT_EQ(l.maxColumns, 0);
    EXPECT_EQ(l.footerRows, 2);
    EXPECT_TRUE(l.footerFlag);
    EXPECT_FALSE(l.keep);

    for (auto bad : {&TableLayoutTexts::titleRows, &TableLayoutTexts::maxRows, &TableLayoutTexts::maxColumns, &TableLayoutTexts::footerRows}) {
        TableLayoutTexts b = r;
        b.*bad = "-1";
        EXPECT_TRUE(convertLayout(b, "对比列", l).has_value());
    }
    TableLayoutTexts wide = r;
    wide.maxColumns = "16385";
    EXPECT_TRUE(convertLayout(wide, "对比列", l).has_value());
}

// Counts typed far beyond the sheet read what exists: a 300-row sheet measured with a million
// title rows and every column takes what the sheet holds.
TEST(MeasureTable, CountsBeyondTheUsedRangeReadOnlyWhatExists) {
    auto app = CreateObjectAs<Application>("Excel.Application");
    Worksheet* ws = app->Workbooks().Add()->GetSheets()(1);
    for (int r = 1; r <= 300; ++r)
        for (int c = 1; c <= 3; ++c) ws->Cells(r, c).SetValue(Variant(r * 10.0 + c));
    ws->Cells(302, 1).SetValue(Variant("制表人"));
    int code = lorvane::testing::runUnderMemoryLimit(std::size_t{1} << 30, [&] {
        TableLayout huge;
        huge.keyColumn = 1;
        huge.titleRows = kMaxRows - 1;
        huge.maxColumns = kMaxColumns;
        huge.maxRows = kMaxRows;
        MeasuredTable t;
        if (measureTable(*ws, huge, t)) return 1;
        return t.layout.maxColumns == 3 && t.titles.rows() == 302 && t.lastDataRow == 302 ? 0 : 2;
    });
    EXPECT_EQ(code, 0);

    TableLayout layout;
    layout.titleRows = 1;
    layout.footerRows = 2;
    layout.footerFlag = layout.keep = true;
    MeasuredTable t;
    ASSERT_FALSE(measureTable(*ws, layout, t));
    EXPECT_EQ(t.layout.maxColumns, 3);  // the widest title row
    EXPECT_EQ(t.usedRows, 302);
    EXPECT_EQ(t.lastDataRow, 300);      // above the footer
    ASSERT_TRUE(t.footerTaken);
    EXPECT_EQ(t.footer(2, 1), Variant("制表人"));
    layout.footerRows = 400;
    EXPECT_EQ(*measureTable(*ws, layout, t), "表底文字行数（400）多于工作表已用的行数（302），请核对表底文字行数！没有做任何改动。");
}

}  // namespace
}  // namespace lorvane::runs
