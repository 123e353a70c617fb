// The fill run, headless on the real engine: the first source row per key, the fill columns
// from their source columns, unmatched rows kept as they are, the result sheet after table one.
#include <gtest/gtest.h>

#include "CompareTestSupport.h"
#include "compare/FillTable.h"

namespace lorvane::compare {
namespace {

using testing::Texts;
using Strings = std::vector<std::string>;

class FillRun : public testing::TwoTableFixture {
protected:
    FillCounts counts;

    void SetUp() override {
        TwoTableFixture::SetUp();
        fill(one, {{"人员名单"}, {"工号", "姓名", "部门", "电话", "备注"}, {1001, "甲"}, {"A01", "乙"}, {"a01", "丙"}, {"1002 ", "丁"}});
        one->Cells(5, 3).SetFormula("=B5&\"组\"");
        fill(one, {{"制表人"}}, 7);
        fill(two, {{"工号", "部门", "电话", "邮箱"},
                   {"1001", "销售", 555, "a@x"},
                   {"A01", "财务", 666, "b@x"},
                   {"1001", "后勤", 777, "c@x"},
                   {"1002", "人事", 888, "d@x"}});
    }
    TwoTableTexts fillTexts(const std::string& fillColumns, const std::string& sourceColumns) {
        TwoTableTexts t = texts("A", "2", "A", "1");
        t.sheet1 = "表一";
        t.fillColumns = fillColumns;
        t.sourceColumns = sourceColumns;
        t.footer1 = "是";
        t.footerRows1 = "1";
        return t;
    }
    runs::RunOutcome run(const TwoTableTexts& t, Workbook* second = nullptr) {
        TwoTablePlan plan;
        if (auto refusal = planTwoTables(t, TwoTableKind::Fill, book, second, plan)) return runs::RunOutcome::refused(*refusal);
        return runFill(plan, *app, ui, &counts);
    }
    Worksheet* result() { return book->Worksheets().Find("表一（填充结果）"); }
};

TEST_F(FillRun, FirstSourceRowWinsAndUnmatchedRowsKeepTheirCells) {
    runs::RunOutcome out = run(fillTexts("C,D", "B,C,D"));
    ASSERT_TRUE(out.ok()) << out.message;
    EXPECT_EQ(ui.texts(), Strings{"填充完成，运行总时间：0秒！"});
    EXPECT_EQ(ui.exitsScheduled, 1);
    EXPECT_EQ(sheetNames(), (Strings{"表一", "表一（填充结果）", "表二"}));
    EXPECT_EQ(app->ActiveSheet(), result());
    EXPECT_EQ(textsOf(result(), 5), (Texts{{"人员名单", "", "", "", ""},
                                          {"工号", "姓名", "部门", "电话", "备注"},
                                          {"1001", "甲", "销售", "555", ""},
                                          {"A01", "乙", "财务", "666", ""},
                                          {"a01", "丙", "", "", ""},
                                          {"1002 ", "丁", "", "", ""},
                                          {"制表人", "", "", "", ""}}));
    // The values keep their types; an unmatched formula stays a formula.
    EXPECT_TRUE(result()->Cells(3, 4).Value().isNumber());
    EXPECT_EQ(result()->Cells(5, 3).Formula(), "=B5&\"组\"");
    EXPECT_EQ(counts.matched, 2);
    EXPECT_EQ(counts.unmatched, 2);
    // Table one itself is not changed.
    EXPECT_TRUE(one->Cells(3, 3).Value().isEmpty());
}

TEST_F(FillRun, NumericListsAndARerunReplacesTheResult) {
    ASSERT_TRUE(run(fillTexts("3,5", "2,4")).ok());
    EXPECT_EQ(column(result(), 5, 3, 4), (Strings{"a@x", "b@x"}));
    two->Cells(2, 4).SetValue("new@x");
    ui = {};
    ASSERT_TRUE(run(fillTexts("5", "D")).ok());
    EXPECT_EQ(sheetNames(), (Strings{"表一", "表一（填充结果）", "表二"}));
    EXPECT_EQ(column(result(), 5, 3, 4), (Strings{"new@x", "b@x"}));
    EXPECT_TRUE(result()->Cells(3, 3).Value().isEmpty());
}

TEST_F(FillRun, FromAnotherWorkbookWhichIsClosedAfter) {
    Workbook* other = app->Workbooks().Add();
    Worksheet* ref = other->GetSheets()(1);
    ref->SetName("参照");
    fill(ref, {{"工号", "部门"}, {"A01", "研发"}});
    TwoTableTexts t = fillTexts("C", "B");
    t.sameWorkbook = "否";
    t.sheet2 = "参照";
    ASSERT_TRUE(run(t, other).ok());
    EXPECT_FALSE(other->isOpen());
    EXPECT_EQ(column(result(), 3, 3, 4), (Strings{"", "研发"}));
}

TEST_F(FillRun, TheSameWorkbookGivenTwiceStaysOpen) {
    TwoTableTexts t = fillTexts("C", "B");
    t.sameWorkbook = "否";
    ASSERT_TRUE(run(t, book).ok());
    EXPECT_TRUE(book->isOpen());
    EXPECT_EQ(column(result(), 3, 3, 4), (Strings{"销售", "财务"}));
}

TEST_F(FillRun, ListChecksAsTheWindowMakesThem) {
    EXPECT_EQ(columnListMessages("", "调用列号"), Strings{"您未输入【填充表格】中的【调用列号】，请先输入！"});
    EXPECT_TRUE(columnListMessages("3,5,6", "填充列号").empty());
    EXPECT_TRUE(columnListMessages("C,E,F", "填充列号").empty());
    EXPECT_TRUE(columnListMessages("C，E", "填充列号").empty());
    EXPECT_TRUE(columnListMessages("C,,E", "填充列号").empty());
    EXPECT_EQ(columnListMessages("C,5,c,ABCD,C E", "填充列号"),
              (Strings{"您输入的【填充列号】不是数字或大字字母，请重新输入！", "您输入的【填充列号】不是数字或大字字母，请重新输入！",
                       "您输入的【填充列号】错误，请重新输入！", "您输入的【填充列号】不是数字或大字字母或输入有误，请重新输入！"}));
    EXPECT_EQ(columnListMessages("3，5", "调用列号").size(), 2u);
    std::vector<int> columns;
    EXPECT_FALSE(parseColumnList("3,5,6", "", columns));
    EXPECT_EQ(columns, (std::vector<int>{3, 5, 6}));
    EXPECT_FALSE(parseColumnList("C，AA,XFD", "", columns));
    EXPECT_EQ(columns, (std::vector<int>{3, 27, 16384}));
}

TEST_F(FillRun, RefusalsComeBeforeAnyChange) {
    struct Case {
        TwoTableTexts t;
        const char* says;
    };
    auto with = [this](auto change) {
        TwoTableTexts t = fillTexts("C", "B");
        change(t);
        return t;
    };
    const Case cases[] = {
        {with([](auto& t) { t.book1.clear(); }), "您未选择【填充表格】文件！"},
        {with([](auto& t) { t.sheet1 = kFillPrompt1; }), "您未选择【填充表格】中的【填充工作表名】！"},
        {with([](auto& t) { t.titleRows1 = ""; }), "【填充表格】中的【标题行数】未输入"},
        {with([](auto& t) { t.key1 = ""; }), "您未输入【填充表格】中的【依据列】，请先输入！"},
        {with([](auto& t) { t.key1 = "a"; }), "您输入【填充表格】中的【依据列】不是数字或大字字母，请重新输入！"},
        {with([](auto& t) { t.footerRows1 = ""; }), "请正确输入【填充表格】中的【表底文字行数】"},
        {with([](auto& t) { t.fillColumns = ""; }), "您未输入【填充表格】中的【填充列号】，请先输入！"},
        {with([](auto& t) { t.fillColumns = "C,5"; }), "您输入的【填充列号】不是数字或大字字母，请重新输入！"},
        {with([](auto& t) { t.fillColumns = "C, E", t.sourceColumns = "B,C"; }), "您输入的【填充列号】不是数字或大字字母或输入有误"},
        {with([](auto& t) { t.fillColumns = "C,,E", t.sourceColumns = "B,C,D"; }), "第2个列号是空的"},
        {with([](auto& t) { t.fillColumns = "0"; }), "不是工作表中的列"},
        {with([](auto& t) { t.fillColumns = "1.5"; }), "不是工作表中的列"},
        {with([](auto& t) { t.fillColumns = "XFE"; }), "不是工作表中的列"},
        {with([](auto& t) { t.book2.clear(); }), "您未选择【调用表格】文件！"},
        {with([](auto& t) { t.sheet2 = kFillPrompt2; }), "您未选择【调用表格】中的【调用工作表名】！"},
        {with([](auto& t) { t.titleRows2 = "x"; }), "【调用表格】中的【标题行数】未输入"},
        {with([](auto& t) { t.key2 = ""; }), "您未输入【调用表格】中的【依据列】，请先输入！"},
        {with([](auto& t) { t.key2 = "A1"; }), "您输入【调用表格】中的【依据列】不是数字或大字字母，请重新输入！"},
        {with([](auto& t) { t.footer2 = "是"; }), "请正确输入【调用表格】中的【表底文字行数】"},
        {with([](auto& t) { t.sourceColumns = ""; }), "您未输入【填充表格】中的【调用列号】，请先输入！"},
        {with([](auto& t) { t.sourceColumns = "b"; }), "您输入的【调用列号】不是数字或大字字母，请重新输入！"},
        {with([](auto& t) { t.fillColumns = "C,E,F", t.sourceColumns = "F,G"; }), "数量不能大于"},
        {with([](auto& t) { t.titleRows1 = "7"; }), "没有数据行"},
        {with([](auto& t) { t.sheet2 = "无此表"; }), "没有名为“无此表”的工作表"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        runs::RunOutcome out = run(c.t);
        EXPECT_EQ(out.status, runs::RunOutcome::Status::Refused);
        EXPECT_NE(out.message.find(c.says), std::string::npos) << out.message;
    }
    EXPECT_EQ(sheetNames(), (Strings{"表一", "表二"}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FillRun, ResultNamesTheApplicationRefusesOrThatWouldDeleteTableTwo) {
    two->SetName("表一（填充结果）");
    TwoTableTexts t = fillTexts("C", "B");
    t.sheet2 = "表一（填充结果）";
    runs::RunOutcome out = run(t);
    EXPECT_EQ(out.status, runs::RunOutcome::Status::Refused);
    EXPECT_NE(out.message.find("会被删除"), std::string::npos);

    const std::string longName = "一二三四五六七八九十一二三四五六七八九十一二三四五六";  // 26 characters
    one->SetName(longName);
    t = fillTexts("C", "B");
    t.sheet1 = longName;
    t.sheet2 = "表一（填充结果）";
    out = run(t);
    EXPECT_EQ(out.status, runs::RunOutcome::Status::Refused);
    EXPECT_NE(out.message.find("最多31个字符"), std::string::npos);
    EXPECT_EQ(sheetNames(), (Strings{longName, "表一（填充结果）"}));
}

}  // namespace
}  // namespace lorvane::compare
