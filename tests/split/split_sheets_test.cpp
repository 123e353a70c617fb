// The split into sheets, run headless on the real engine with scripted answers.
#include <gtest/gtest.h>

#include "SplitTestSupport.h"
#include "base/AutomationError.h"
#include "automation/Constants.h"
#include "split/SplitIntoSheets.h"
#include "support/MemoryLimit.h"

namespace lorvane::split {
namespace {

using testing::Row;
using Texts = std::vector<std::vector<std::string>>;

const std::string kDone = "拆分完成，运行总时间：0秒！";

class SplitSheets : public testing::SplitFixture {
protected:
    runs::RunOutcome run(const SplitRequest& r) { return runSplitIntoSheets(r, *app, *book, ui); }

    // The run ended in a defined state: notice gone, switches back on, hand-over made.
    void expectSettled() {
        EXPECT_EQ(ui.noticeShown, 1);
        EXPECT_FALSE(ui.noticeVisible());
        EXPECT_EQ(ui.exitsScheduled, 1);
        EXPECT_TRUE(app->ScreenUpdating());
        EXPECT_TRUE(app->DisplayAlerts());
        EXPECT_TRUE(book->isOpen());
    }
    // A refused run left the workbook as it was.
    void expectRefused(const runs::RunOutcome& out, const std::vector<std::string>& sheetsBefore) {
        EXPECT_EQ(out.status, runs::RunOutcome::Status::Refused);
        EXPECT_EQ(sheetNames(), sheetsBefore);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, out.message);
        expectSettled();
    }
};

TEST_F(SplitSheets, KeysInFirstSeenOrderAppendedAfterTheLastSheet) {
    book->Worksheets().AddAfter(master)->SetName("备注");
    book->Worksheets().AddBefore(master)->SetName("说明");
    fill({{"部门", "姓名", "金额"}, {"B", "甲", 10}, {"A", "乙", 20}, {"B", "丙", 30}, {"C", "丁", 40}});
    runs::RunOutcome out = run(request("A", "1"));

    ASSERT_TRUE(out.ok()) << out.message;
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"说明", "总表", "备注", "B", "A", "C"}));
    EXPECT_EQ(texts(book->Worksheets()("B"), 3), (Texts{{"部门", "姓名", "金额"}, {"B", "甲", "10"}, {"B", "丙", "30"}}));
    EXPECT_EQ(texts(book->Worksheets()("A"), 3), (Texts{{"部门", "姓名", "金额"}, {"A", "乙", "20"}}));
    EXPECT_EQ(texts(book->Worksheets()("C"), 3), (Texts{{"部门", "姓名", "金额"}, {"C", "丁", "40"}}));
    // Written into text-formatted cells, numbers arrive as texts.
    EXPECT_TRUE(book->Worksheets()("B")->Cells(2, 3).Value().isText());
    EXPECT_EQ(ui.texts(), std::vector<std::string>{kDone});
    EXPECT_EQ(app->ActiveSheet(), master);
    EXPECT_FALSE(book->Saved());
    expectSettled();
}

TEST_F(SplitSheets, EmptyCellsAndTheText空GatherOnOneSheet) {
    fill({{"序号", "部门"}, {1, "X"}, {2, Variant()}, {3, "空"}, {4, ""}, {5, "X"}});
    ASSERT_TRUE(run(request("B", "1")).ok());
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"总表", "X", "空"}));
    EXPECT_EQ(texts(book->Worksheets()("空"), 2), (Texts{{"序号", "部门"}, {"2", ""}, {"3", "空"}, {"4", ""}}));
}

TEST_F(SplitSheets, WithoutTitleRowsTheColumnsComeFromRows1To10) {
    for (int r = 1; r <= 12; ++r) {
        master->Cells(r, 1).SetValue(r % 2 ? "单" : "双");
        master->Cells(r, 2).SetValue(r);
    }
    master->Cells(5, 5).SetValue("E5");
    master->Cells(11, 7).SetValue("G11");
    ASSERT_TRUE(run(request("A", "0")).ok());
    Worksheet* odd = book->Worksheets()("单");
    EXPECT_EQ(odd->Cells(1, 2).Value(), Variant("1"));  // no title: the first row is data
    EXPECT_EQ(odd->Cells(3, 5).Value(), Variant("E5"));
    EXPECT_EQ(odd->Cells(6, 7).Value(), Variant());  // column G lies beyond the columns found
    EXPECT_EQ(odd->UsedRange().rect().col2, 5);
}

TEST_F(SplitSheets, WithTitleRowsOnlyTheyGiveTheColumns) {
    fill({{"标题"}, {"部门", "姓名", "金额"}, {"A", "甲", 1, Variant(), "不带"}});
    ASSERT_TRUE(run(request("A", "2")).ok());
    Worksheet* a = book->Worksheets()("A");
    EXPECT_EQ(texts(a, 5), (Texts{{"标题", "", "", "", ""}, {"部门", "姓名", "金额", "", ""}, {"A", "甲", "1", "", ""}}));
}

TEST_F(SplitSheets, ColumnsBeyondIVAreFound) {
    fill({{"部门"}, {"A"}, {"B"}});
    master->Cells(1, 300).SetValue("第300列");
    master->Cells(3, 300).SetValue("远");
    ASSERT_TRUE(run(request("1", "1")).ok());
    EXPECT_EQ(book->Worksheets()("B")->Cells(2, 300).Value(), Variant("远"));
    EXPECT_EQ(book->Worksheets()("B")->Cells(1, 300).Value(), Variant("第300列"));
}

TEST_F(SplitSheets, EnteredMaxRowsCountsTheFooterRows) {
    fill({{"部门", "值"}});
    for (int r = 2; r <= 18; ++r) fill({{r % 3 ? "甲" : "乙", r}}, master, r);
    fill({{"尾", "制表人"}, {"尾", "审核"}}, master, 19);
    fill({{"丙", "表外"}}, master, 25);
    SplitRequest r = request("A", "1");
    r.maxRows = "20";
    r.footerFlag = "是";
    r.footerRows = "2";
    ASSERT_TRUE(run(r).ok());
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"总表", "甲", "乙"}));
}

TEST_F(SplitSheets, LastDataRowSkipsTheFooterAndEmptyTails) {
    fill({{"部门", "值", "备注"}, {"甲", 1}, {"乙", 2, "x"}, {"", Variant(), ""}, {"制表人：王", Variant(), "（签字）"}});
    SplitRequest r = request("A", "1");
    r.footerFlag = "是";
    r.footerRows = "1";
    ASSERT_TRUE(run(r).ok());
    // Row 4 holds only empty texts: the data end at row 3, and the footer row is no key.
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"总表", "甲", "乙"}));
}

TEST_F(SplitSheets, KeptFooterGoesRightBelowEachKeysRows) {
    fill({{"部门", "值"}, {"甲", 1}, {"乙", 2}, {"甲", 3}, {"制表人：王", Variant()}, {"审核：李", "（签字）"}});
    master->Rows(5).SetRowHeight(30);
    SplitRequest r = request("A", "1");
    r.footerFlag = "是";
    r.footerRows = "2";
    r.keep = "是";
    ASSERT_TRUE(run(r).ok());
    Worksheet* a = book->Worksheets()("甲");
    EXPECT_EQ(texts(a, 2), (Texts{{"部门", "值"}, {"甲", "1"}, {"甲", "3"}, {"制表人：王", ""}, {"审核：李", "（签字）"}}));
    EXPECT_EQ(a->Rows(4).RowHeight(), 30);  // the footer row's format came up with it
    Worksheet* b = book->Worksheets()("乙");
    EXPECT_EQ(texts(b, 2), (Texts{{"部门", "值"}, {"乙", "2"}, {"制表人：王", ""}, {"审核：李", "（签字）"}}));
    EXPECT_EQ(b->Rows(3).RowHeight(), 30);
}

TEST_F(SplitSheets, KeepWithoutFooterWritesNoFooterAndRemovesTheRowsBelow) {
    fill({{"部门", "值"}, {"甲", 1}, {"乙", 2}, {"制表人：王"}});
    master->GetRange("A1:B4").Borders().SetLineStyle(xlContinuous);
    SplitRequest r = request("A", "1");
    r.keep = "是";  // 表底文字 stays "否"
    ASSERT_TRUE(run(r).ok());
    Worksheet* a = book->Worksheets()("甲");
    EXPECT_EQ(texts(a, 2), (Texts{{"部门", "值"}, {"甲", "1"}}));
    EXPECT_EQ(a->UsedRange().rect().row2, 2);  // the formatted rows below are gone too
    // The footer row is a key of its own here, as the table was described without a footer.
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"总表", "甲", "乙", "制表人：王"}));
}

TEST_F(SplitSheets, AKeyOwningEveryRowKeepsEveryRow) {
    fill({{"部门", "值"}, {"甲", 1}, {"甲", 2}, {"甲", 3}});
    master->GetRange("A1:B4").Borders().SetLineStyle(xlContinuous);
    ASSERT_TRUE(run(request("A", "1")).ok());
    Worksheet* a = book->Worksheets()("甲");
    EXPECT_EQ(texts(a, 2), (Texts{{"部门", "值"}, {"甲", "1"}, {"甲", "2"}, {"甲", "3"}}));
    EXPECT_EQ(a->Cells(4, 2).Borders().LineStyle(), xlContinuous);
}

TEST_F(SplitSheets, AMasterWithoutDataRowsAddsAndDeletesNothing) {
    fill({{"标题"}, {"部门", "值"}});
    book->Worksheets().AddAfter(master)->SetName("部门");
    ASSERT_TRUE(run(request("A", "2")).ok());
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"总表", "部门"}));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{kDone});
    expectSettled();
}

struct DeleteRecorder : AlertService {
    int asked = 0;
    bool confirmDeleteSheet(const std::string&) override {
        ++asked;
        return false;
    }
};

TEST_F(SplitSheets, ASecondRunReplacesTheSheetsOfTheFirst) {
    auto alerts = std::make_shared<DeleteRecorder>();
    app->setAlertService(alerts);
    fill({{"部门", "值"}, {"甲", 1}, {"乙", 2}, {"甲", 3}});
    ASSERT_TRUE(run(request("A", "1")).ok());
    master->Cells(3, 1).SetValue("丙");
    master->Cells(4, 2).SetValue(30);
    ASSERT_TRUE(run(request("A", "1")).ok());
    // 甲 goes and comes back at the end; 乙 is no key any more and stays as it was.
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"总表", "乙", "甲", "丙"}));
    EXPECT_EQ(texts(book->Worksheets()("甲"), 2), (Texts{{"部门", "值"}, {"甲", "1"}, {"甲", "30"}}));
    EXPECT_EQ(alerts->asked, 0);
    EXPECT_TRUE(app->DisplayAlerts());
}

TEST_F(SplitSheets, OldSheetsAreFoundRegardlessOfLetterCase) {
    fill({{"部门"}, {"abc"}});
    book->Worksheets().AddAfter(master)->SetName("ABC");
    ASSERT_TRUE(run(request("A", "1")).ok());
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"总表", "abc"}));
}

TEST_F(SplitSheets, ANumericKeyNamesItsSheetByItsText) {
    fill({{"工号"}, {1001}, {2.5}, {1001}});
    ASSERT_TRUE(run(request("A", "1")).ok());
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"总表", "1001", "2.5"}));
    EXPECT_EQ(texts(book->Worksheets()("1001"), 1), (Texts{{"工号"}, {"1001"}, {"1001"}}));
}

TEST_F(SplitSheets, TheNumber1001AndTheText1001AreRefusedTogether) {
    fill({{"工号"}, {1001}, {"1001"}, {"甲"}});
    book->Worksheets().AddAfter(master)->SetName("甲");
    runs::RunOutcome out = run(request("A", "1"));
    expectRefused(out, {"总表", "甲"});
    EXPECT_NE(out.message.find("“1001”（第3行）与“1001”（第2行）转成文字后相同"), std::string::npos) << out.message;
}

TEST_F(SplitSheets, KeysThatCannotNameASheetAreListedInOneRefusal) {
    const std::string longKey = "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二";
    fill({{"部门"}, {"好"}, {"a/b"}, {longKey}, {"x*"}, {"Abc"}, {"aBC"}, {Variant::date(45296)}, {ErrorValue::NA}});
    book->Worksheets().AddAfter(master)->SetName("好");
    book->Worksheets()("好")->Cells(1, 1).SetValue("旧内容");
    runs::RunOutcome out = run(request("A", "1"));
    expectRefused(out, {"总表", "好"});
    for (const char* part : {"“a/b”（第3行）", "（第4行）", "“x*”（第5行）", "“aBC”（第7行）与“Abc”（第6行）只有字母大小写不同",
                             "“2024/1/5”（第8行）", "“#N/A”（第9行）：单元格是错误值"})
        EXPECT_NE(out.message.find(part), std::string::npos) << part << "\n" << out.message;
    EXPECT_EQ(out.message.find("“好”"), std::string::npos);
    EXPECT_EQ(book->Worksheets()("好")->Cells(1, 1).Value(), Variant("旧内容"));
}

TEST_F(SplitSheets, AKeyNamedLikeTheMasterIsRefusedBeforeAnythingIsDeleted) {
    fill({{"部门"}, {"甲"}, {"总表"}});
    book->Worksheets().AddAfter(master)->SetName("甲");
    runs::RunOutcome out = run(request("A", "1"));
    expectRefused(out, {"总表", "甲"});
    EXPECT_NE(out.message.find("总表本身会被删除"), std::string::npos) << out.message;
    EXPECT_EQ(master->Cells(3, 1).Value(), Variant("总表"));
}

TEST_F(SplitSheets, RefusalsBeforeAnyChange) {
    fill({{"部门"}, {"甲"}, {"乙"}});
    book->Worksheets().AddAfter(master)->SetName("甲");
    struct Case {
        SplitRequest request;
        const char* contains;
    };
    SplitRequest missing = request("A", "1", "汇总");
    SplitRequest column0 = request("0", "1");
    SplitRequest fraction = request("1.5", "1");
    SplitRequest letters = request("XFE", "1");
    SplitRequest titles = request("A", "-1");
    SplitRequest footer = request("A", "1");
    footer.footerFlag = footer.keep = "是";
    footer.footerRows = "9";
    for (const Case& c : {Case{missing, "没有名为“汇总”的工作表"}, Case{column0, "不是工作表中的列"},
                          Case{fraction, "不是工作表中的列"}, Case{letters, "不是工作表中的列"},
                          Case{titles, "标题行数"}, Case{footer, "表底文字行数（9）多于总表已用的行数（3）"}}) {
        SCOPED_TRACE(c.contains);
        ui = runs::ScriptedUi{};
        runs::RunOutcome out = run(c.request);
        expectRefused(out, {"总表", "甲"});
        EXPECT_NE(out.message.find(c.contains), std::string::npos) << out.message;
    }
}

TEST_F(SplitSheets, AHiddenMasterIsNotLeftAsTheOnlySheet) {
    fill({{"部门"}, {"甲"}});
    book->Worksheets().AddAfter(master)->SetName("甲");
    master->SetVisible(false);
    runs::RunOutcome out = run(request("A", "1"));
    expectRefused(out, {"总表", "甲"});
}

// The run's hidden copy of the master's formats was added under the next automatic name, which
// a later key then could not take; every key named like an automatic sheet gets its sheet.
TEST_F(SplitSheets, KeysNamedLikeAutomaticSheetNamesEachGetTheirSheet) {
    const std::vector<std::vector<std::string>> keySets = {
        {"Sheet2", "Sheet3", "Sheet1"}, {"sheet3", "SHEET2", "sheet1"}, {"Sheet4", "拆分格式", "sheet2"}};
    for (const auto& keys : keySets) {
        SCOPED_TRACE(keys[0] + "," + keys[1] + "," + keys[2]);
        book = app->Workbooks().Add();
        master = book->GetSheets()(1);
        master->SetName("总表");
        ui.messages.clear();
        ui.noticeShown = ui.noticeHidden = ui.exitsScheduled = 0;
        // Many rows for one key and few for the others, so that the hidden copy pays.
        std::vector<Row> rows = {{"部门", "序号"}};
        for (int i = 0; i < 12; ++i) rows.push_back({keys[i < 10 ? 0 : i == 10 ? 1 : 2], i});
        fill(rows);
        runs::RunOutcome out = run(request("A", "1"));
        ASSERT_TRUE(out.ok()) << out.message;
        EXPECT_EQ(sheetNames(), (std::vector<std::string>{"总表", keys[0], keys[1], keys[2]}));
        EXPECT_EQ(book->Worksheets()(keys[2])->Cells(2, 2).Value(), Variant("11"));
        expectSettled();
    }
}

// Counts far beyond the sheet cost what the sheet holds: a 300-row master with a million
// title rows, every column and every row asked for splits at once in little memory.
TEST_F(SplitSheets, CountsBeyondTheSheetReadOnlyWhatExists) {
    std::vector<Row> rows = {{"部门", "姓名"}};
    for (int i = 1; i < 300; ++i) rows.push_back({i % 2 ? "甲" : "乙", "人" + std::to_string(i)});
    fill(rows);
    SplitRequest huge = request("A", "1");
    huge.maxRows = "1048576";
    huge.maxColumns = "16384";
    int code = lorvane::testing::runUnderMemoryLimit(std::size_t{1} << 30, [&] {
        runs::RunOutcome out = run(huge);
        if (!out.ok() || sheetNames() != std::vector<std::string>{"总表", "甲", "乙"}) return 1;
        return book->Worksheets()("乙")->UsedRange().rect().row2 == 150 ? 0 : 2;
    });
    EXPECT_EQ(code, 0);
    code = lorvane::testing::runUnderMemoryLimit(std::size_t{1} << 30, [&] {
        SplitRequest titles = request("A", "100000");
        titles.maxColumns = "16384";
        runs::RunOutcome out = run(titles);
        return out.ok() && sheetNames() == std::vector<std::string>{"总表"} ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
}

TEST_F(SplitSheets, AFailurePartWayEndsInADefinedState) {
    fill({{"部门"}, {"甲"}, {"乙"}, {"丙"}});
    book->Worksheets().AddAfter(master)->SetName("乙");
    // Adding the sheet after 甲's fails.
    struct FailOnSecondNewSheet : ApplicationObserver {
        void sheetActivated(Worksheet* ws) override {
            if (ws->Name().rfind("Sheet", 0) == 0 && ws->Parent()->GetSheets().Find("甲"))
                throw AutomationError(errc::kMethodFailed, "内存不足，无法添加工作表。");
        }
    } failing;
    app->setObserver(&failing);
    runs::RunOutcome out = run(request("A", "1"));
    app->setObserver(nullptr);

    EXPECT_EQ(out.status, runs::RunOutcome::Status::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string& text = ui.messages[0].text;
    EXPECT_EQ(text.rfind("拆分没有完成：内存不足，无法添加工作表。", 0), 0u) << text;
    EXPECT_NE(text.find("已删除与拆分值同名的旧工作表：“乙”。"), std::string::npos) << text;
    EXPECT_NE(text.find("已新增的工作表：“甲”、“"), std::string::npos) << text;
    expectSettled();
    EXPECT_EQ(texts(book->Worksheets()("甲"), 1), (Texts{{"部门"}, {"甲"}}));
    for (Worksheet* ws : book->Worksheets().all()) EXPECT_TRUE(ws->Visible()) << ws->Name();
}

TEST_F(SplitSheets, ResultRowsCarryTheMastersFormatsRowForRow) {
    fill({{"2024年费用表"}, {"部门", "姓名", "金额"}, {"甲", "张", 10}, {"乙", "李", 20}, {"甲", "王", 30}});
    master->GetRange("A1:C1").Merge();
    master->GetRange("A1").SetHorizontalAlignment(xlCenter);
    master->Rows(1).SetRowHeight(30);
    master->Columns(2).SetColumnWidth(20);
    master->GetRange("C3:C5").SetNumberFormat("#,##0.00");
    master->GetRange("A4:C4").Borders().SetLineStyle(xlContinuous);
    ASSERT_TRUE(run(request("A", "2")).ok());
    Worksheet* a = book->Worksheets()("甲");
    EXPECT_TRUE(a->GetRange("A1").MergeCells());
    EXPECT_EQ(a->GetRange("A1").HorizontalAlignment(), xlCenter);
    EXPECT_EQ(a->Rows(1).RowHeight(), 30);
    EXPECT_EQ(a->Columns(2).ColumnWidth(), 20);
    // The master's number format replaces the text format, over values written as text.
    EXPECT_EQ(a->Cells(3, 3).NumberFormat(), "#,##0.00");
    EXPECT_EQ(a->Cells(3, 3).Value(), Variant("10"));
    // Formats follow the row position of the master, not the row the data came from.
    EXPECT_EQ(a->Cells(4, 1).Borders().LineStyle(), xlContinuous);
    EXPECT_EQ(a->Cells(4, 1).Value(), Variant("甲"));
    EXPECT_EQ(a->Cells(4, 2).Value(), Variant("王"));
    EXPECT_EQ(a->UsedRange().rect().row2, 4);
}

TEST_F(SplitSheets, EveryKeysSheetHasTheMastersRowFormatsByPosition) {
    // Rows of distinct heights show where each row's format came from.
    const int titleRows = 2, dataRows = 30, footerRows = 2;
    const int last = titleRows + dataRows + footerRows;
    fill({{"表"}, {"部门", "值"}});
    const char* keys[] = {"甲", "乙", "甲", "丙", "甲", "甲"};
    for (int i = 1; i <= dataRows; ++i) fill({{keys[i % 6], i}}, master, titleRows + i);
    fill({{"制表人"}, {"审核"}}, master, titleRows + dataRows + 1);
    for (int r = 1; r <= last; ++r) master->Rows(r).SetRowHeight(10 + r);
    master->GetRange("A1:B1").Merge();
    SplitRequest r = request("A", "2");
    r.footerFlag = r.keep = "是";
    r.footerRows = "2";
    ASSERT_TRUE(run(r).ok());
    for (const char* name : {"甲", "乙", "丙"}) {
        SCOPED_TRACE(name);
        Worksheet* ws = book->Worksheets()(name);
        int k = 0;
        for (int i = 1; i <= dataRows; ++i) k += std::string(keys[i % 6]) == name;
        for (int row = 1; row <= titleRows + k; ++row) EXPECT_EQ(ws->Rows(row).RowHeight(), 10 + row) << row;
        for (int j = 1; j <= footerRows; ++j)
            EXPECT_EQ(ws->Rows(titleRows + k + j).RowHeight(), 10 + titleRows + dataRows + j) << j;
        EXPECT_EQ(ws->UsedRange().rect().row2, titleRows + k + footerRows);
        EXPECT_TRUE(ws->GetRange("A1").MergeCells());
        EXPECT_EQ(ws->Cells(titleRows + k + 1, 1).Value(), Variant("制表人"));
    }
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"总表", "乙", "甲", "丙"}));
}

TEST_F(SplitSheets, ATableBelowRow1KeepsItsRowNumbers) {
    fill({{"部门", "值"}, {"甲", 1}, {"乙", 2}}, master, 2);  // row 1 stays empty
    ASSERT_TRUE(run(request("A", "2")).ok());
    Worksheet* a = book->Worksheets()("甲");
    EXPECT_EQ(texts(a, 2), (Texts{{"", ""}, {"部门", "值"}, {"甲", "1"}}));
}

// A stop asked for between two keys ends like a failure part-way: the sheets made so far are
// named, the workbook stays open and unsaved, the switches are back on, and no time report.
TEST_F(SplitSheets, AStopBetweenKeysSaysWhatWasMade) {
    fill({{"部门"}, {"甲"}, {"乙"}, {"丙"}});
    ui.stepMs = 1000;
    ui.cancelAfter = 2;  // the third key is not made
    runs::RunOutcome out = run(request("A", "1"));
    EXPECT_EQ(out.status, runs::RunOutcome::Status::Cancelled);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("已取消拆分。", 0), 0u) << ui.messages[0].text;
    EXPECT_NE(ui.messages[0].text.find("已新增的工作表：“甲”、“乙”。"), std::string::npos) << ui.messages[0].text;
    EXPECT_EQ(sheetNames().size(), 3u);
    EXPECT_EQ(ui.progress.front(), "正在处理：“甲”（已完成 0/3）");
    expectSettled();
}

}  // namespace
}  // namespace lorvane::split
