// The compare run, headless on the real engine with scripted answers: the marking mode and the
// three extract modes, the refusals made before any change, and how a run ends.
#include <gtest/gtest.h>

#include "CompareTestSupport.h"
#include "automation/Constants.h"
#include "compare/CompareTables.h"

namespace lorvane::compare {
namespace {

using testing::Row;
using testing::Texts;
using Strings = std::vector<std::string>;

const std::string kDone = "对比完成，运行总时间：0秒！";

class CompareRun : public testing::TwoTableFixture {
protected:
    CompareCounts counts;

    // Plans and runs as the window does; a refusal is shown like the window shows it.
    runs::RunOutcome run(const TwoTableTexts& t, Workbook* second = nullptr) {
        TwoTablePlan plan;
        if (auto refusal = planTwoTables(t, TwoTableKind::Compare, book, second, plan)) {
            ui.inform(*refusal);
            return runs::RunOutcome::refused(*refusal);
        }
        return runCompare(plan, *app, ui, &counts);
    }
    void expectDone(const runs::RunOutcome& out) {
        ASSERT_TRUE(out.ok()) << out.message;
        EXPECT_EQ(ui.texts(), Strings{kDone});
        EXPECT_EQ(ui.exitsScheduled, 1);
        EXPECT_FALSE(ui.noticeVisible());
        EXPECT_TRUE(app->ScreenUpdating());
        EXPECT_TRUE(app->DisplayAlerts());
        EXPECT_TRUE(book->isOpen());
    }
};

TEST_F(CompareRun, MarksExactKeyTextsBesideTheTable) {
    fill(one, {{"编号", "名称"}, {"1001", "甲"}, {"a01", "乙"}, {"A01", "丙"}, {"x", "丁"}, {1002, "戊"}, {Variant(), "己"}});
    fill(two, {{"名称", "编号"}, {"p", 1001}, {"q", "A01"}, {"r", "x "}, {"s", "A01"}, {"t", "1002"}});
    runs::RunOutcome out = run(texts("A", "1", "B", "1"));
    expectDone(out);
    // The number 1001 matches the text “1001”; case and a trailing blank make keys differ.
    // Row 7 lies below the last key: not a data row.
    EXPECT_EQ(column(one, 3, 1, 7), (Strings{"", "存在", "不存在", "存在", "不存在", "存在", ""}));
    EXPECT_EQ(counts.found, 3);
    EXPECT_EQ(counts.notFound, 2);
    EXPECT_EQ(one->Cells(2, 3).HorizontalAlignment(), xlCenter);
    EXPECT_EQ(one->Cells(2, 3).VerticalAlignment(), xlCenter);
    EXPECT_EQ(app->ActiveSheet(), one);
    EXPECT_EQ(sheetNames(), (Strings{"表一", "表二"}));
    EXPECT_FALSE(book->Saved());
}

TEST_F(CompareRun, KeyColumnByNumberOrLettersAndEmptyKeysInTableTwo) {
    fill(one, {{"标题"}, {"序", "部门", "编号"}, {1, "甲", "K1"}, {2, "乙", Variant()}, {3, "丙", "K3"}});
    fill(two, {{"编号"}, {"K3"}, {Variant()}, {"K3"}, {"K9"}});
    expectDone(run(texts("3", "2", "1", "1")));
    // An empty key inside table two's data rows makes empty keys of table one found.
    EXPECT_EQ(column(one, 4, 3, 5), (Strings{"不存在", "存在", "存在"}));
    ui = {};
    expectDone(run(texts("C", "2", "A", "1")));
    EXPECT_EQ(column(one, 4, 3, 5), (Strings{"不存在", "存在", "存在"}));
}

// The last data row is the last key row, but never inside the footer rows: a footer without
// key cells keeps every data row, a footer with key cells is left out.
TEST_F(CompareRun, TheLastDataRowsCountEvenWhenTheFooterHasNoKeys) {
    fill(one, {{"编号", "名称"}, {"A", 1}, {"B", 2}, {"C", 3}, {Variant(), "合计"}, {Variant(), "制表人"}});
    fill(two, {{"编号"}, {"C"}});
    TwoTableTexts t = texts("A", "1", "A", "1");
    t.footer1 = "是";
    t.footerRows1 = "2";
    expectDone(run(t));
    EXPECT_EQ(column(one, 3, 1, 6), (Strings{"", "不存在", "不存在", "存在", "", ""}));

    one->Cells(5, 1).SetValue("合计");
    one->Cells(6, 1).SetValue("C");
    one->Columns(3).ClearContents();
    ui = {};
    expectDone(run(t));
    EXPECT_EQ(column(one, 3, 1, 6), (Strings{"", "不存在", "不存在", "存在", "", ""}));
}

TEST_F(CompareRun, KeysBelowRow65536AndTitlesRightOfColumnIVCount) {
    one->Cells(1, 1).SetValue("编号");
    one->Cells(1, 300).SetValue("备注");
    one->Cells(70000, 1).SetValue("深处");
    one->Cells(2, 1).SetValue("浅处");
    two->Cells(1, 1).SetValue("编号");
    two->Cells(66000, 1).SetValue("深处");
    expectDone(run(texts("A", "1", "A", "1")));
    EXPECT_EQ(counts.verdictColumn, 301);
    EXPECT_EQ(convert::toText(one->Cells(70000, 301).Value()), "存在");
    EXPECT_EQ(convert::toText(one->Cells(2, 301).Value()), "不存在");
    // Table two's empty key cells above row 66000 are data rows: empty keys are found.
    EXPECT_EQ(convert::toText(one->Cells(3, 301).Value()), "存在");
}

TEST_F(CompareRun, VerdictsNeverOverwriteDataAndARerunReplacesItsOwn) {
    fill(one, {{"编号", "名称"}, {"A", 1, "旁注"}, {"B", 2}});
    fill(two, {{"编号"}, {"B"}});
    expectDone(run(texts("A", "1", "A", "1")));
    EXPECT_EQ(counts.verdictColumn, 4);
    EXPECT_EQ(column(one, 3, 2, 3), (Strings{"旁注", ""}));
    EXPECT_EQ(column(one, 4, 1, 3), (Strings{"", "不存在", "存在"}));
    two->Cells(3, 1).SetValue("A");
    ui = {};
    expectDone(run(texts("A", "1", "A", "1")));
    EXPECT_EQ(counts.verdictColumn, 4);
    EXPECT_EQ(column(one, 4, 1, 3), (Strings{"", "存在", "存在"}));
    EXPECT_EQ(one->UsedRange().rect().col2, 4);
}

TEST_F(CompareRun, TwoColumnsOfTheSameSheet) {
    fill(one, {{"旧", "新"}, {"a", "b"}, {"b", "c"}, {"c", Variant()}});
    TwoTableTexts t = texts("A", "1", "B", "1");
    t.sheet2 = "表一";
    expectDone(run(t));
    EXPECT_EQ(column(one, 3, 2, 4), (Strings{"不存在", "存在", "存在"}));
}

class CompareExtract : public CompareRun {
protected:
    void SetUp() override {
        CompareRun::SetUp();
        fill(one, {{"2024年名单"},
                   {"编号", "姓名", "金额"},
                   {"K1", "甲", 10},
                   {"K2", "乙", 20},
                   {"K3", "丙", 30},
                   {"K4", "丁", 40},
                   {"合计", Variant(), 100},
                   {"制表人：赵"}});
        one->Cells(2, 1).Resize(1, 3).SetNumberFormat("0.0");     // the heading row
        one->Cells(7, 1).Resize(1, 3).SetNumberFormat("0.00%");   // the footer's first row
        fill(two, {{"编号"}, {"K4"}, {"K2"}, {"K2"}});
    }
    TwoTableTexts extract(const char* mode) {
        TwoTableTexts t = texts("A", "2", "A", "1", mode);
        t.footer1 = "是";
        t.footerRows1 = "2";
        return t;
    }
};

TEST_F(CompareExtract, NotFoundRowsWithTitlesFormatsAndTheFooterRightUnder) {
    expectDone(run(extract(kModeNotFound)));
    EXPECT_EQ(sheetNames(), (Strings{"表一", "表二", kNotFoundSheet}));
    Worksheet* r = book->Worksheets()(kNotFoundSheet);
    EXPECT_EQ(textsOf(r, 3), (Texts{{"2024年名单", "", ""},
                                    {"编号", "姓名", "金额"},
                                    {"K1", "甲", "10"},
                                    {"K3", "丙", "30"},
                                    {"合计", "", "100"},
                                    {"制表人：赵", "", ""}}));
    EXPECT_EQ(r->Cells(2, 1).NumberFormat(), "0.0");
    // The footer's own formats came up with its values.
    EXPECT_EQ(r->Cells(5, 3).NumberFormat(), "0.00%");
    EXPECT_EQ(app->ActiveSheet(), r);
    // Table one is not touched.
    EXPECT_EQ(one->UsedRange().rect().col2, 3);
    EXPECT_EQ(textsOf(one, 3).size(), 8u);
}

TEST_F(CompareExtract, BothSheetsTheFoundOneLastAndActiveAndARerunReplacesThem) {
    expectDone(run(extract(kModeBoth)));
    ui = {};
    two->Cells(5, 1).SetValue("K1");
    expectDone(run(extract("随便写的显示方式")));
    EXPECT_EQ(sheetNames(), (Strings{"表一", "表二", kNotFoundSheet, kFoundSheet}));
    Worksheet* found = book->Worksheets()(kFoundSheet);
    EXPECT_EQ(column(found, 1, 1, 7), (Strings{"2024年名单", "编号", "K1", "K2", "K4", "合计", "制表人：赵"}));
    EXPECT_EQ(column(book->Worksheets()(kNotFoundSheet), 1, 1, 5), (Strings{"2024年名单", "编号", "K3", "合计", "制表人：赵"}));
    EXPECT_EQ(app->ActiveSheet(), found);
    EXPECT_EQ(counts.found, 3);
    EXPECT_EQ(counts.notFound, 1);
}

TEST_F(CompareExtract, NoRowsToExtractGivesTitlesAndFooterOnly) {
    for (int r = 2; r <= 5; ++r) two->Cells(r, 1).SetValue("K" + std::to_string(r - 1));
    expectDone(run(extract(kModeNotFound)));
    EXPECT_EQ(column(book->Worksheets()(kNotFoundSheet), 1, 1, 4), (Strings{"2024年名单", "编号", "合计", "制表人：赵"}));
    EXPECT_EQ(book->Worksheets()(kNotFoundSheet)->UsedRange().rect().row2, 4);
}

TEST_F(CompareRun, ExtractWithoutTitlesStartsAtRowOne) {
    fill(one, {{"K1", 1}, {"K2", 2}, {"K3", 3}});
    fill(two, {{"K2"}});
    expectDone(run(texts("A", "0", "A", "0", kModeFound)));
    EXPECT_EQ(textsOf(book->Worksheets()(kFoundSheet), 2), (Texts{{"K2", "2"}}));
}

// Values are taken by sheet row and column, so a table that does not begin in A1 is not shifted.
TEST_F(CompareRun, ATableBelowAnEmptyFirstRowAndColumnKeepsItsPlaces) {
    fill(one, {{"编号", "名称"}, {"K1", "甲"}, {"K2", "乙"}}, 2, 2);
    fill(two, {{"编号"}, {"K2"}});
    expectDone(run(texts("2", "2", "A", "1", kModeFound)));
    EXPECT_EQ(textsOf(book->Worksheets()(kFoundSheet), 3), (Texts{{"", "", ""}, {"", "编号", "名称"}, {"", "K2", "乙"}}));
}

// The same file chosen for both tables is one workbook: the end of the run must not close it.
TEST_F(CompareRun, TheSameWorkbookGivenTwiceStaysOpen) {
    fill(one, {{"编号"}, {"a"}, {"b"}});
    fill(two, {{"编号"}, {"b"}});
    TwoTableTexts t = texts("A", "1", "A", "1");
    t.sameWorkbook = "否";
    expectDone(run(t, book));
    EXPECT_EQ(column(one, 2, 2, 3), (Strings{"不存在", "存在"}));
}

TEST_F(CompareRun, TheSecondWorkbookIsReadAndClosedAtTheEnd) {
    Workbook* other = app->Workbooks().Add();
    Worksheet* ref = other->GetSheets()(1);
    ref->SetName("参照");
    fill(ref, {{"编号"}, {"b"}});
    fill(one, {{"编号"}, {"a"}, {"b"}});
    TwoTableTexts t = texts("A", "1", "A", "1");
    t.sameWorkbook = "否";
    t.sheet2 = "参照";
    expectDone(run(t, other));
    EXPECT_FALSE(other->isOpen());
    EXPECT_EQ(column(one, 2, 2, 3), (Strings{"不存在", "存在"}));
}

TEST_F(CompareRun, RefusalsComeBeforeAnyChange) {
    fill(one, {{"编号", "名称"}, {"a", 1}, {"b", 2}});
    fill(two, {{"编号"}, {"b"}});
    struct Case {
        TwoTableTexts t;
        bool noBook;
        const char* says;
    };
    auto with = [](auto change) {
        TwoTableTexts t = texts("A", "1", "A", "1", kModeBoth);
        change(t);
        return t;
    };
    const Case cases[] = {
        {with([](auto& t) { t.book1.clear(); }), false, "您未选择第一个表格文件！"},
        {with([](auto& t) { t.sheet1 = kComparePrompt; }), false, "您未选择第一个表格要对比的工作表名称！"},
        {with([](auto& t) { t.titleRows1 = "一"; }), false, "第一个表格的标题行数未输入"},
        {with([](auto& t) { t.titleRows1 = "1.5"; }), false, "不是整数"},
        {with([](auto& t) { t.titleRows1 = "-1"; }), false, "超出范围"},
        {with([](auto& t) { t.key1.clear(); }), false, "您未输入【表格一】中的【对比列】，请先输入！"},
        {with([](auto& t) { t.key1 = "c"; }), false, "您输入【表格一】中的【对比列】不是数字或大字字母，请重新输入！"},
        {with([](auto& t) { t.key1 = "XFE"; }), false, "不是工作表中的列"},
        {with([](auto& t) { t.key1 = "0"; }), false, "不是工作表中的列"},
        {with([](auto& t) { t.key1 = "2.5"; }), false, "不是工作表中的列"},
        {with([](auto& t) { t.footer1 = "是"; }), false, "请正确输入第一个表格的表底行数"},
        {with([](auto& t) { t.footer1 = "是", t.footerRows1 = "0.5"; }), false, "不是整数"},
        {with([](auto& t) { t.book2.clear(); }), false, "您未选择第二个表格文件！"},
        {with([](auto& t) { t.sheet2 = kComparePrompt; }), false, "您未选择第二个表格要对比的工作表名称！"},
        {with([](auto& t) { t.titleRows2.clear(); }), false, "第二个表格的标题行数未输入"},
        {with([](auto& t) { t.key2.clear(); }), false, "您未输入【表格二】中的【对比列】，请先输入！"},
        {with([](auto& t) { t.key2 = "ABCD"; }), false, "您输入【表格二】中的【对比列】不是数字或大字字母，请重新输入！"},
        {with([](auto& t) { t.footer2 = "是", t.footerRows2 = "x"; }), false, "请正确输入第二个表格的表底行数"},
        {with([](auto&) {}), true, "第一个表格的工作薄没有打开"},
        {with([](auto& t) { t.sameWorkbook = "否"; }), false, "第二个表格的工作薄没有打开"},
        {with([](auto& t) { t.sheet1 = "无此表"; }), false, "没有名为“无此表”的工作表"},
        {with([](auto& t) { t.titleRows1 = "3"; }), false, "没有数据行"},
        {with([](auto& t) { t.footer1 = "是", t.footerRows1 = "2"; }), false, "没有数据行"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        ui = {};
        TwoTablePlan plan;
        auto refusal = planTwoTables(c.t, TwoTableKind::Compare, c.noBook ? nullptr : book, nullptr, plan);
        ASSERT_TRUE(refusal);
        EXPECT_NE(refusal->find(c.says), std::string::npos) << *refusal;
    }
    EXPECT_EQ(sheetNames(), (Strings{"表一", "表二"}));
    EXPECT_EQ(one->UsedRange().rect().col2, 2);
}

// A result sheet replaces the sheet of its name: never a table the run reads.
TEST_F(CompareRun, AResultNameEqualToATableIsRefused) {
    fill(one, {{"编号"}, {"a"}});
    fill(two, {{"编号"}, {"a"}});
    two->SetName(kFoundSheet);
    TwoTableTexts t = texts("A", "1", "A", "1", kModeFound);
    t.sheet2 = kFoundSheet;
    runs::RunOutcome out = run(t);
    EXPECT_EQ(out.status, runs::RunOutcome::Status::Refused);
    EXPECT_NE(out.message.find("会被删除"), std::string::npos);
    // The not-found sheet alone does not touch it.
    ui = {};
    t.mode = kModeNotFound;
    expectDone(run(t));
    EXPECT_EQ(sheetNames(), (Strings{"表一", kFoundSheet, kNotFoundSheet}));
    // Table one itself under a result's name.
    ui = {};
    app->SetDisplayAlerts(false);
    book->Worksheets()(kNotFoundSheet)->Delete();
    app->SetDisplayAlerts(true);
    one->SetName(kNotFoundSheet);
    t.sheet1 = kNotFoundSheet;
    EXPECT_EQ(run(t).status, runs::RunOutcome::Status::Refused);
    EXPECT_EQ(sheetNames(), (Strings{kNotFoundSheet, kFoundSheet}));
}

TEST_F(CompareRun, ACancelledRunChangesNothing) {
    fill(one, {{"编号"}, {"a"}, {"b"}});
    fill(two, {{"编号"}, {"b"}});
    ui.cancelAfter = 0;
    runs::RunOutcome out = run(texts("A", "1", "A", "1"));
    EXPECT_EQ(out.status, runs::RunOutcome::Status::Cancelled);
    EXPECT_EQ(ui.texts(), Strings{"已取消对比，没有做任何改动。"});
    EXPECT_EQ(ui.exitsScheduled, 0);
    EXPECT_EQ(one->UsedRange().rect().col2, 1);
    EXPECT_TRUE(app->ScreenUpdating());
    EXPECT_TRUE(app->DisplayAlerts());
}

}  // namespace
}  // namespace lorvane::compare
