// Summarizing the sheets of one workbook, run headless on the real engine with scripted answers.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/Conversions.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "runs/ScriptedUi.h"
#include "summarize/SummarizeSheets.h"

namespace lorvane::summarize {
namespace {

namespace fs = std::filesystem;
using Row = std::vector<Variant>;
using Texts = std::vector<std::vector<std::string>>;

class SummarizeSheets : public ::testing::Test {
protected:
    std::shared_ptr<Application> app = CreateObjectAs<Application>("Excel.Application");
    Workbook* book = app->Workbooks().Add();
    runs::ScriptedUi ui;
    fs::path file;

    void SetUp() override {
        file = fs::temp_directory_path() / ("summarize-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xlsx");
    }
    void TearDown() override { fs::remove(file); }

    // A sheet named `name` (the first one renames Sheet1) with rows from A1.
    Worksheet* sheet(const std::string& name, const std::vector<Row>& rows) {
        Sheets& sheets = book->Worksheets();
        Worksheet* ws = sheets(1)->Name() == "Sheet1" ? sheets(1) : sheets.AddAfter(sheets(sheets.Count()));
        ws->SetName(name);
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (std::size_t c = 0; c < rows[r].size(); ++c)
                if (!rows[r][c].isEmpty()) ws->Cells(static_cast<int>(r) + 1, static_cast<int>(c) + 1).SetValue(rows[r][c]);
        return ws;
    }
    // Two title rows and `n` data rows "name-i" / i.
    std::vector<Row> table(const std::string& name, int n, int cols = 2) {
        std::vector<Row> rows = {{"费用表"}, {"部门", "金额", "备注"}};
        rows[1].resize(static_cast<std::size_t>(cols));
        for (int i = 1; i <= n; ++i) {
            Row r = {name + "-" + std::to_string(i), double(i), "注"};
            r.resize(static_cast<std::size_t>(cols));
            rows.push_back(r);
        }
        return rows;
    }
    SummarizeSheetsRequest request(const std::string& titleRows = "2", const std::string& name = "汇总表",
                                   const std::string& exists = "否") {
        SummarizeSheetsRequest r;
        r.summaryName = name;
        r.exists = exists;
        r.titleRows = titleRows;
        r.footerFlag = "否";
        r.keep = "否";
        return r;
    }
    runs::RunOutcome run(const SummarizeSheetsRequest& r) {
        book->SaveAs(file.string(), xlOpenXMLWorkbook);
        return runSummarizeSheets(r, *app, *book, ui);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (Worksheet* ws : book->Worksheets()) out.push_back(ws->Name());
        return out;
    }
    static Texts texts(Worksheet* ws, int cols) {
        Texts out;
        for (int r = 1; r <= ws->UsedRange().rect().row2; ++r) {
            std::vector<std::string> row;
            for (int c = 1; c <= cols; ++c) row.push_back(convert::toText(ws->Cells(r, c).Value()));
            out.push_back(row);
        }
        return out;
    }
    // Nothing changed, nothing saved, one message.
    void expectRefused(const runs::RunOutcome& out, const std::vector<std::string>& before, const std::string& says) {
        EXPECT_EQ(out.status, runs::RunOutcome::Status::Refused);
        EXPECT_EQ(names(), before);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.messages[0].text.find(says), std::string::npos) << ui.messages[0].text;
        EXPECT_TRUE(app->DisplayAlerts());
        EXPECT_TRUE(app->ScreenUpdating());
        EXPECT_FALSE(ui.noticeVisible());
    }
};

// Sheets of 0, 10 and 5 rows: the titles come from the first sheet with data, the rows in
// sheet order, numbers as texts; the workbook is saved in place with the summary selected.
TEST_F(SummarizeSheets, RowsOfEverySheetInSheetOrderUnderTheFirstDataSheetsTitles) {
    sheet("空表", {{"别的标题"}, {"x"}});
    sheet("一部", table("一部", 10));
    sheet("二部", table("二部", 5));
    ui.clock = 7;
    ASSERT_TRUE(run(request()).ok()) << ui.texts().back();
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"汇总完成，运行总时间：0秒！"});
    EXPECT_EQ(ui.exitsScheduled, 1);
    EXPECT_TRUE(book->Saved());
    EXPECT_EQ(book->ActiveSheet()->Name(), "汇总表");
    Texts got = texts(book->Worksheets()("汇总表"), 2);
    ASSERT_EQ(got.size(), 17u);
    EXPECT_EQ(got[0], (std::vector<std::string>{"费用表", ""}));
    EXPECT_EQ(got[2], (std::vector<std::string>{"一部-1", "1"}));
    EXPECT_EQ(got[12], (std::vector<std::string>{"二部-1", "1"}));
    EXPECT_EQ(got[16], (std::vector<std::string>{"二部-5", "5"}));
    EXPECT_TRUE(book->Worksheets()("汇总表")->Cells(3, 2).Value().isText());
    EXPECT_EQ(book->Worksheets()("汇总表")->Cells(3, 1).HorizontalAlignment(), xlCenter);
    EXPECT_TRUE(book->Worksheets()("汇总表")->Cells(17, 1).WrapText());

    // Saved in place: the file holds the summary.
    auto other = CreateObjectAs<Application>("Excel.Application");
    Workbook* saved = other->Workbooks().Open(file.string());
    EXPECT_EQ(texts(saved->Worksheets()("汇总表"), 2).size(), 17u);
}

// A narrower later sheet is read as wide as the widest table so far; an earlier one is not
// widened afterwards. Rows below the last key cell are left out; empty rows between are kept.
TEST_F(SummarizeSheets, WidthGrowsAndTheKeyColumnEndsEachSheet) {
    std::vector<Row> narrow = table("窄", 2, 2);
    sheet("窄", narrow);
    std::vector<Row> wide = table("宽", 3, 3);
    sheet("宽", wide);
    std::vector<Row> third = table("三", 4, 2);
    third[3][0] = Variant();          // an empty key between data rows
    third.push_back({Variant(), 99.0});  // below the last key cell
    sheet("三", third)->Cells(3, 3).SetValue(Variant("超出"));
    SummarizeSheetsRequest r = request();
    r.keyColumn = "A";
    ASSERT_TRUE(run(r).ok());
    Texts got = texts(book->Worksheets()("汇总表"), 3);
    ASSERT_EQ(got.size(), 2u + 2 + 3 + 4);
    EXPECT_EQ(got[3], (std::vector<std::string>{"窄-2", "2", ""}));   // 窄 was read two wide
    EXPECT_EQ(got[4], (std::vector<std::string>{"宽-1", "1", "注"}));
    EXPECT_EQ(got[7], (std::vector<std::string>{"三-1", "1", "超出"}));  // read three wide
    EXPECT_EQ(got[8], (std::vector<std::string>{"", "2", ""}));
    EXPECT_EQ(got[10], (std::vector<std::string>{"三-4", "4", ""}));
}

// 是否存在 "是": the old summary is deleted, not read, and a new one of the same name made.
TEST_F(SummarizeSheets, AnExistingSummaryIsReplacedAndNotRead) {
    sheet("一部", table("一部", 2));
    sheet("汇总表", table("旧", 50));
    sheet("二部", table("二部", 1));
    ASSERT_TRUE(run(request("2", "汇总表", "是")).ok());
    EXPECT_EQ(texts(book->Worksheets()("汇总表"), 1).size(), 5u);
    std::vector<std::string> after = names();
    EXPECT_EQ(std::count(after.begin(), after.end(), "汇总表"), 1);
}

// The footer of the first data sheet sits right below the rows when kept; when not, no
// formatted footer rows remain; the data rows are formatted either way.
TEST_F(SummarizeSheets, FooterKeptOrDropped) {
    for (const char* keep : {"是", "否"}) {
        SCOPED_TRACE(keep);
        book = app->Workbooks().Add();
        ui.messages.clear();
        std::vector<Row> a = table("甲", 3);
        a.push_back({"合计"});
        a.push_back({"制表人：王"});
        Worksheet* first = sheet("甲", a);
        first->Cells(7, 1).SetFontBold(true);
        std::vector<Row> b = table("乙", 2);
        b.push_back({"合计"});
        b.push_back({"制表人：李"});
        sheet("乙", b);
        SummarizeSheetsRequest r = request();
        r.footerFlag = "是";
        r.footerRows = "2";
        r.keep = keep;
        ASSERT_TRUE(run(r).ok()) << ui.texts().back();
        Worksheet* s = book->Worksheets()("汇总表");
        Texts got = texts(s, 1);
        if (std::string(keep) == "是") {
            ASSERT_EQ(got.size(), 9u);
            EXPECT_EQ(got[7][0], "合计");
            EXPECT_EQ(got[8][0], "制表人：王");
        } else {
            EXPECT_EQ(got.size(), 7u);
            EXPECT_EQ(s->UsedRange().rect().row2, 7);
        }
        EXPECT_EQ(s->Cells(7, 1).HorizontalAlignment(), xlCenter);  // the last data row
    }
}

TEST_F(SummarizeSheets, ZeroTitleRowsWithoutKeyOrWidthFindNoData) {
    sheet("一部", table("一部", 3));
    expectRefused(run(request("0")), {"一部"}, "没有找到有数据的工作表");
    EXPECT_TRUE(book->Saved());
}

// What can be refused is refused before any change, whatever the entry.
TEST_F(SummarizeSheets, RefusalsBeforeAnyChange) {
    sheet("一部", table("一部", 3));
    sheet("二部", table("二部", 3));
    struct Case {
        SummarizeSheetsRequest r;
        const char* says;
    };
    auto with = [&](auto change) {
        SummarizeSheetsRequest r = request();
        change(r);
        return r;
    };
    const Case cases[] = {
        {with([](auto& r) { r.summaryName = "请选择汇总表名称"; }), "您还未选择汇总表名称"},
        {with([](auto& r) { r.summaryName = ""; }), "未输入汇总表名称"},
        {with([](auto& r) { r.summaryName = "a/b"; }), "不能用作工作表名称"},
        {with([](auto& r) { r.summaryName = std::string(32, 'x'); }), "31"},
        {with([](auto& r) { r.summaryName = "一部"; }), "已经有名为“一部”的工作表"},
        {with([](auto& r) { r.summaryName = "二部"; r.exists = "否"; }), "已经有名为"},
        {with([](auto& r) { r.exists = "是"; }), "没有名为“汇总表”的工作表"},
        {with([](auto& r) { r.keyColumn = "XFE"; }), "不是工作表中的列"},
        {with([](auto& r) { r.keyColumn = "2.5"; }), "不是工作表中的列"},
        {with([](auto& r) { r.keyColumn = "c"; }), "依据列"},
        {with([](auto& r) { r.titleRows = "-1"; }), "标题行数"},
        {with([](auto& r) { r.titleRows = "1.5"; }), "不是整数"},
        {with([](auto& r) { r.maxColumns = "16385"; }), "最大列数"},
        {with([](auto& r) { r.footerFlag = "是"; r.footerRows = "-2"; }), "表底文字行数"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        ui.messages.clear();
        expectRefused(run(c.r), {"一部", "二部"}, c.says);
    }
}

TEST_F(SummarizeSheets, TheOnlySheetCannotBeReplacedByItsOwnSummary) {
    sheet("汇总表", table("旧", 3));
    expectRefused(run(request("2", "汇总表", "是")), {"汇总表"}, "唯一的工作表");
}

// Counts typed far beyond the sheets cost what the sheets hold.
TEST_F(SummarizeSheets, AHugeMaximumColumnCountReadsOnlyTheUsedColumns) {
    sheet("一部", table("一部", 300));
    SummarizeSheetsRequest r = request();
    r.maxColumns = "16384";
    ASSERT_TRUE(run(r).ok());
    EXPECT_EQ(book->Worksheets()("汇总表")->Cells(302, 1).Value(), Variant("一部-300"));
}

// A table whose used range begins below row 1 keeps its bottom rows (the last row is the
// used range's last row, not its row count).
TEST_F(SummarizeSheets, ATableBelowRow1KeepsItsBottomRows) {
    Worksheet* ws = sheet("一部", {});
    for (int r = 5; r <= 10; ++r) ws->Cells(r, 1).SetValue(Variant("行" + std::to_string(r)));
    SummarizeSheetsRequest r = request("4");
    r.keyColumn = "1";
    ASSERT_TRUE(run(r).ok()) << ui.texts().back();
    EXPECT_EQ(book->Worksheets()("汇总表")->Cells(10, 1).Value(), Variant("行10"));
}

// No 8-bit counter of data sheets: the 257th sheet with data is a later sheet like the others,
// its titles are not collected again.
TEST_F(SummarizeSheets, The257thDataSheetIsNotTheFirstAgain) {
    for (int i = 1; i <= 300; ++i) sheet("表" + std::to_string(i), {{"标题"}, {"行" + std::to_string(i)}});
    ASSERT_TRUE(run(request("1")).ok()) << ui.texts().back();
    Worksheet* s = book->Worksheets()("汇总表");
    EXPECT_EQ(s->UsedRange().rect().row2, 301);
    EXPECT_EQ(s->Cells(258, 1).Value(), Variant("行257"));
    EXPECT_EQ(s->Cells(301, 1).Value(), Variant("行300"));
}

// Each sheet is named on the notice as its rows are read; a stop asked for while reading changes
// nothing and saves nothing, and says so instead of the time report.
TEST_F(SummarizeSheets, ProgressNamesTheSheetsAndAStopChangesNothing) {
    sheet("一部", table("一部", 3));
    sheet("二部", table("二部", 2));
    ui.stepMs = 1000;
    ASSERT_TRUE(run(request()).ok());
    ASSERT_GE(ui.progress.size(), 3u);
    EXPECT_EQ(ui.progress[0], "正在处理：“一部”（已完成 0/2）");
    EXPECT_EQ(ui.progress[1], "正在处理：“二部”（已完成 1/2）");
    EXPECT_EQ(ui.progress.back().rfind("正在写入：", 0), 0u) << ui.progress.back();

    book->Worksheets()("汇总表")->Delete();
    book->Save();
    const auto before = names();
    runs::ScriptedUi stopping;
    stopping.cancelAfter = 1;
    runs::RunOutcome out = runSummarizeSheets(request(), *app, *book, stopping);
    EXPECT_EQ(out.status, runs::RunOutcome::Status::Cancelled);
    EXPECT_EQ(names(), before);
    EXPECT_TRUE(book->Saved());
    EXPECT_EQ(stopping.texts(), std::vector<std::string>{"已取消汇总，没有做任何改动。"});
    EXPECT_FALSE(stopping.noticeVisible());
    EXPECT_TRUE(app->ScreenUpdating());
}

}  // namespace
}  // namespace lorvane::summarize
