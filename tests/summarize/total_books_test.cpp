// Totalling the same cells over a folder of workbooks, run headless on the real engine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/Conversions.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "runs/FolderListing.h"
#include "runs/ScriptedUi.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/ZipArchive.h"
#include "summarize/TotalBooks.h"

namespace lorvane::summarize {
namespace {

namespace fs = std::filesystem;
using Fill = std::function<void(Worksheet&)>;

class TotalBooks : public ::testing::Test {
protected:
    std::shared_ptr<Application> app = CreateObjectAs<Application>("Excel.Application");
    runs::ScriptedUi ui;
    fs::path dir;

    void SetUp() override {
        dir = fs::temp_directory_path() / ("total-books-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "in");
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string in() const { return (dir / "in").string(); }

    // A workbook in in/: sheet 1 "说明", sheet 2 "明细" with two title rows naming `name`, the
    // cells `fill` writes, and a footer "制表：name" in row 10.
    void book(const std::string& name, const Fill& fill) {
        auto a = CreateObjectAs<Application>("Excel.Application");
        Workbook* b = a->Workbooks().Add();
        Sheets& sheets = b->Worksheets();
        sheets(1)->SetName("说明");
        Worksheet* ws = sheets.AddAfter(sheets(1));
        ws->SetName("明细");
        ws->Cells(1, 1).SetValue(Variant(name + "费用表"));
        ws->Cells(2, 1).SetValue(Variant("部门"));
        ws->Cells(2, 2).SetValue(Variant("一月"));
        ws->Cells(10, 1).SetValue(Variant("制表：" + name));
        fill(*ws);
        b->SaveAs((dir / "in" / (name + ".xlsx")).string(), xlOpenXMLWorkbook);
        b->Close(false);
    }
    // Rows 3..9 of columns B and C hold `base` + row, column C ten times more.
    static Fill rows(double base) {
        return [base](Worksheet& ws) {
            for (int r = 3; r <= 9; ++r) {
                ws.Cells(r, 1).SetValue(Variant("部" + std::to_string(r)));
                ws.Cells(r, 2).SetValue(Variant(base + r));
                ws.Cells(r, 3).SetValue(Variant(10 * (base + r)));
            }
        };
    }
    static TotalsTexts texts(const std::string& type, const std::string& p1, const std::string& p2 = "") {
        TotalsTexts t;
        t.sheetNumber = "2";
        t.sheetName = "明细";
        t.titleRows = "2";
        t.totalType = type;
        t.position1 = p1;
        t.position2 = p2;
        t.footer = "是";
        t.footerRows = "1";
        return t;
    }
    // Checked and measured on the first listed workbook, as the window and the command do.
    TotalsRequest request(const TotalsTexts& t) {
        TotalsRequest r;
        auto refusal = checkTotals(t, 2, r);
        EXPECT_FALSE(refusal) << refusal->message;
        auto a = CreateObjectAs<Application>("Excel.Application");
        Workbook* b = a->Workbooks().Open(runs::listFolder(in()).front());
        auto m = measureTotals(*b->Worksheets()(r.sheetNumber), r);
        EXPECT_FALSE(m) << *m;
        b->Close(false);
        return r;
    }
    // The run from the window, saved as dir/结果.xlsx; the result sheet reopened.
    Worksheet* runAndOpen(const TotalsRequest& r, std::shared_ptr<Application>& reader) {
        ui.fileChoices = {(dir / "结果").string()};
        ui.answers = {runs::Answer::No};
        runs::RunOutcome out = runTotalBooks(r, *app, in(), ui, {});
        EXPECT_TRUE(out.ok()) << out.message;
        if (!out.ok() || out.made.empty()) return nullptr;
        EXPECT_EQ(out.made[0], (dir / "结果.xlsx").string());
        reader = CreateObjectAs<Application>("Excel.Application");
        Workbook* b = reader->Workbooks().Open(out.made[0]);
        EXPECT_EQ(b->Worksheets().Count(), 1);
        return b->Worksheets()(1);
    }
    std::string firstListed() const { return fs::path(runs::listFolder(in()).front()).stem().string(); }
};

// The value rules: a number adds itself, a text the number it begins with ("12abc" 12, "3,5,6"
// 3), a date the number its text begins with (its year), an empty cell, an error value and a
// text without a number 0. The result: one sheet named after the chosen sheet + "(汇总表)",
// titles and footer of the first listed workbook, A1 selected, the report and the question.
TEST_F(TotalBooks, GivenCellsAddUpByTheValueRules) {
    book("甲", [](Worksheet& ws) {
        ws.Cells(3, 4).SetValue(Variant(1.0));
        ws.Cells(4, 4).SetValue(Variant("12abc"));
        ws.Cells(5, 4).SetValue(Variant::date(2024, 1, 5));
        ws.Cells(6, 4).SetValue(Variant(ErrorValue::NA));
    });
    book("乙", [](Worksheet& ws) {
        ws.Cells(3, 4).SetValue(Variant(2.0));
        ws.Cells(4, 4).SetValue(Variant("3,5,6"));
        ws.Cells(6, 4).SetValue(Variant("无"));
    });
    book("丙", [](Worksheet& ws) {
        ws.Cells(3, 4).SetValue(Variant(3.0));
        ws.Cells(4, 4).SetValue(Variant(" 0.5"));
        ws.Cells(6, 4).SetValue(Variant(4.0));
    });
    TotalsRequest r = request(texts("指定单元格", "d3，$D$4 , D5,d6,E7"));
    ASSERT_EQ(r.dataRows, 5);
    std::shared_ptr<Application> reader;
    Worksheet* s = runAndOpen(r, reader);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Name(), "明细(汇总表)");
    EXPECT_EQ(s->Cells(3, 4).Value(), Variant(6.0));
    EXPECT_EQ(s->Cells(4, 4).Value(), Variant(15.5));
    EXPECT_EQ(s->Cells(5, 4).Value(), Variant(2024.0));
    EXPECT_EQ(s->Cells(6, 4).Value(), Variant(4.0));
    EXPECT_EQ(s->Cells(7, 5).Value(), Variant(0.0));  // empty everywhere: 0 all the same
    EXPECT_EQ(s->Cells(1, 1).Value(), Variant(firstListed() + "费用表"));
    EXPECT_EQ(s->Cells(10, 1).Value(), Variant("制表：" + firstListed()));
    EXPECT_EQ(s->Parent()->ActiveSheet()->Name(), "明细(汇总表)");
    EXPECT_EQ(ui.texts().front(), "合计完成，运行总时间：0秒！");
    EXPECT_EQ(ui.messages.back().text, "合计完成，是否要打开汇总结果？");
    EXPECT_EQ(ui.messages.back().title, "温馨提示");
    EXPECT_EQ(ui.dialogTitles, std::vector<std::string>{"请选择要保存在的文件夹"});
    EXPECT_EQ(app->Workbooks().Count(), 0);  // every workbook read, and the result, closed
    EXPECT_TRUE(app->ScreenUpdating());
}

// 单元格区域 B:C below two title rows, the last row found above the footer; everything outside
// the region is the first listed workbook's; a SUM under the totals carries no cached value.
TEST_F(TotalBooks, ColumnRangeTotalsEveryRowAndKeepsNoStaleFormulaResult) {
    book("甲", rows(0));
    book("乙", rows(100));
    {
        // The first listed workbook gets a SUM row with a cached result, as a spreadsheet program saves it.
        auto a = CreateObjectAs<Application>("Excel.Application");
        Workbook* b = a->Workbooks().Open(runs::listFolder(in()).front());
        Worksheet* ws = b->Worksheets()(2);
        ws->Cells(11, 2).SetFormula("=SUM(B3:B9)");
        sheet::Cell* cell = ws->data().find(11, 2);
        ASSERT_NE(cell, nullptr);
        cell->kind = sheet::CellKind::Number;
        cell->number = 999;
        cell->flags = 0;
        b->data().needsRecalc = false;
        b->Save();
        b->Close(false);
    }
    TotalsTexts t = texts("单元格区域", "b", "3");
    t.footerRows = "2";  // the footer and the SUM row below it
    TotalsRequest r = request(t);
    EXPECT_EQ(r.startColumn, 2);
    EXPECT_EQ(r.columnCount, 2);
    EXPECT_EQ(r.dataRows, 7);
    std::shared_ptr<Application> reader;
    Worksheet* s = runAndOpen(r, reader);
    ASSERT_NE(s, nullptr);
    for (int row = 3; row <= 9; ++row) {
        EXPECT_EQ(s->Cells(row, 2).Value(), Variant(100.0 + 2 * row)) << row;
        EXPECT_EQ(s->Cells(row, 3).Value(), Variant(1000.0 + 20 * row)) << row;
        EXPECT_EQ(s->Cells(row, 1).Value(), Variant("部" + std::to_string(row)));
    }
    EXPECT_EQ(s->Cells(11, 2).Formula(), "=SUM(B3:B9)");
    EXPECT_TRUE(s->Cells(11, 2).Value().isEmpty()) << convert::toText(s->Cells(11, 2).Value());
    sheet::ZipReader zip((dir / "结果.xlsx").string(), "结果.xlsx");
    EXPECT_NE(zip.read("xl/workbook.xml").find("fullCalcOnLoad=\"1\""), std::string::npos);
}

// 指定某一列 with 最大行数 50, two title rows and three footer rows: rows 3..47, 45 rows.
TEST_F(TotalBooks, MaxRowsCountsTheFooterRows) {
    book("甲", [](Worksheet& ws) {
        for (int r = 1; r <= 50; ++r) ws.Cells(r, 5).SetValue(Variant(1.0));
    });
    book("乙", [](Worksheet& ws) {
        for (int r = 1; r <= 50; ++r) ws.Cells(r, 5).SetValue(Variant(2.0));
    });
    TotalsTexts t = texts("指定某一列", "E");
    t.footerRows = "3";
    t.maxRows = "50";
    TotalsRequest r = request(t);
    EXPECT_EQ(r.columnCount, 1);
    EXPECT_EQ(r.dataRows, 45);
    std::shared_ptr<Application> reader;
    Worksheet* s = runAndOpen(r, reader);
    ASSERT_NE(s, nullptr);
    EXPECT_NE(s->Cells(2, 5).Value(), Variant(3.0));  // a title row: the first listed workbook's
    for (int row = 3; row <= 47; ++row) EXPECT_EQ(s->Cells(row, 5).Value(), Variant(3.0)) << row;
    EXPECT_NE(s->Cells(48, 5).Value(), Variant(3.0));
}

// The last-row scan reads columns 1..5, or 1..start column from 5 on, above the footer.
TEST_F(TotalBooks, LastRowScanCoversTheFirstFiveColumnsOrUpToTheStart) {
    auto a = CreateObjectAs<Application>("Excel.Application");
    Worksheet* ws = a->Workbooks().Add()->Worksheets()(1);
    ws->Cells(40, 2).SetValue(Variant(1.0));
    ws->Cells(42, 5).SetValue(Variant("x"));
    ws->Cells(44, 7).SetValue(Variant(1.0));
    ws->Cells(50, 1).SetValue(Variant("制表"));
    TotalsRequest r;
    ASSERT_FALSE(checkTotals(texts("指定某一列", "A"), 2, r));
    ASSERT_FALSE(measureTotals(*ws, r));
    EXPECT_EQ(r.dataRows, 40);  // lastRow 42 less two title rows
    ASSERT_FALSE(checkTotals(texts("单元格区域", "H", "I"), 2, r));
    ASSERT_FALSE(measureTotals(*ws, r));
    EXPECT_EQ(r.dataRows, 42);  // column G scanned too
    TotalsTexts noFooter = texts("指定某一列", "A");
    noFooter.footer = "否";
    ASSERT_FALSE(checkTotals(noFooter, 2, r));
    ASSERT_FALSE(measureTotals(*ws, r));
    EXPECT_EQ(r.dataRows, 48);
}

// Every refusal of 确定 that needs no sheet, in order, naming the control to correct.
TEST_F(TotalBooks, ChecksRefuseWhatTheRunCannotUse) {
    struct Case {
        std::function<void(TotalsTexts&)> change;
        std::string says, focus;
    };
    const std::string wrongStart = "您输入的【开始列号】错误，请重新输入！";
    const Case cases[] = {
        {[](TotalsTexts& t) { t.sheetNumber = ""; }, "您选择的工作表号“”不对：请选择1 到 2 之间的工作表号！", "工作表号"},
        {[](TotalsTexts& t) { t.sheetNumber = "3"; }, "工作表号“3”不对", "工作表号"},
        {[](TotalsTexts& t) { t.titleRows = "二"; }, "您输入的标题行数不是数字，请重新输入！", "标题行数"},
        {[](TotalsTexts& t) { t.titleRows = "-1"; }, "标题行数“-1”超出范围", "标题行数"},
        {[](TotalsTexts& t) { t.position1 = " "; }, "您未输入的【开始列号】，请先输入！", "位置1"},
        {[](TotalsTexts& t) { t.position1 = "abcd"; }, wrongStart, "位置1"},
        {[](TotalsTexts& t) { t.position1 = "a1"; }, "您输入的【开始列号】不是数字或字母，请重新输入！", "位置1"},
        {[](TotalsTexts& t) { t.position1 = "0"; }, wrongStart, "位置1"},
        {[](TotalsTexts& t) { t.position1 = "-2"; }, wrongStart, "位置1"},
        {[](TotalsTexts& t) { t.position1 = "2.5"; }, wrongStart, "位置1"},
        {[](TotalsTexts& t) { t.position1 = "16385"; }, wrongStart, "位置1"},
        {[](TotalsTexts& t) { t.position1 = "XFE"; }, wrongStart, "位置1"},
        {[](TotalsTexts& t) { t.position2 = ""; }, "您未输入的【结束列号】，请先输入！", "位置2"},
        {[](TotalsTexts& t) { t.position2 = "ZZZ"; }, "您输入的【结束列号】错误，请重新输入！", "位置2"},
        {[](TotalsTexts& t) { t.position2 = "C#"; }, "您输入的【结束列号】不是数字或字母，请重新输入！", "位置2"},
        {[](TotalsTexts& t) { t.footerRows = ""; }, "请正确输入表底行数，如没有表底文字，请将“表格是否有表底文字”选为“否”！", "表底文字行数"},
        {[](TotalsTexts& t) { t.position2 = "B"; }, "您输入的【结束列号】小于【开始列号】，请重新输入！", "位置2"},
        {[](TotalsTexts& t) { t.footerRows = "-1"; }, "表底文字行数“-1”超出范围", "表底文字行数"},
        {[](TotalsTexts& t) { t.maxRows = "-5"; }, "最大行数“-5”超出范围", "最大行数"},
        {[](TotalsTexts& t) { t.maxRows = "1048577"; }, "最大行数“1048577”超出范围", "最大行数"},
        {[](TotalsTexts& t) { t.sheetName = "一二三四五六七八九十一二三四五六七八九十一二三四五六七"; }, "不能超过31个字符", "工作表名"},
        {[](TotalsTexts& t) { t.sheetName = "a/b"; }, "不能包含下列字符", "工作表名"},
        {[](TotalsTexts& t) { t.totalType = "合计"; }, "请在“选择想要合计的类型”中选择", "合计类型"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        TotalsTexts t = texts("单元格区域", "C", "E");
        c.change(t);
        TotalsRequest r;
        auto refusal = checkTotals(t, 2, r);
        ASSERT_TRUE(refusal.has_value());
        EXPECT_NE(refusal->message.find(c.says), std::string::npos) << refusal->message;
        EXPECT_EQ(refusal->focus, c.focus);
    }
    // What passes: letters of either case and numbers, C to C is one column, a 24-character name.
    TotalsRequest r;
    TotalsTexts t = texts("单元格区域", " c ", "3");
    t.sheetName = "一二三四五六七八九十一二三四五六七八九十一二三四";
    EXPECT_FALSE(checkTotals(t, 2, r));
    EXPECT_EQ(r.columnCount, 1);
    EXPECT_EQ(r.resultName, t.sheetName + "(汇总表)");
    t = texts("指定某一列", "XFD");
    t.footer = "否";
    t.footerRows = "";
    t.maxRows = "abc";  // not a number: 0, found by the run
    EXPECT_FALSE(checkTotals(t, 2, r));
    EXPECT_EQ(r.startColumn, 16384);
    EXPECT_EQ(r.footerRows, 0);
    EXPECT_EQ(r.maxRows, 0);
    t.titleRows = "2.5";  // taken to the even neighbour
    EXPECT_FALSE(checkTotals(t, 2, r));
    EXPECT_EQ(r.titleRows, 2);
}

// The cell list: full-width commas and blanks, empty pieces counted, one cell per piece.
TEST_F(TotalBooks, CellListNamesTheFirstWrongPiece) {
    std::vector<TotalCell> cells;
    ASSERT_FALSE(parseCellList(" d3 ，d6 ", cells));
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].reference, "d3");
    EXPECT_EQ(cells[1].row, 6);
    EXPECT_EQ(cells[1].column, 4);
    ASSERT_FALSE(parseCellList("$XFD$1048576", cells));
    EXPECT_EQ(cells[0].column, 16384);
    auto part = [&](const std::string& text) {
        auto m = parseCellList(text, cells);
        return m ? *m : std::string();
    };
    EXPECT_EQ(part("d3,,d6"),
              "您输入的第{2}个【指定单元格】错误，“指定单元格”形式为EXCEL表格中的形式，如第3行第4个单元格为:D3，请重新输入！");
    EXPECT_NE(part("d3,d6,").find("第{3}个"), std::string::npos);
    EXPECT_NE(part("").find("第{1}个"), std::string::npos);
    for (const char* multi : {"D3:D5", "D:D", "3:3", "D3:D3", "XFE1", "D0", "三"})
        EXPECT_NE(part(std::string("A1,") + multi).find("第{2}个"), std::string::npos) << multi;

    TotalsRequest r;
    auto refusal = checkTotals(texts("指定单元格", ""), 2, r);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->message, "您未输入的【指定单元格】，“指定单元格”形式为EXCEL表格中的形式，如第3行第4个单元格为:D3，请重新输入！");
    TotalsTexts t = texts("指定单元格", "D3");
    t.footerRows = "";  // the footer is hidden for the given cells and does not count
    EXPECT_FALSE(checkTotals(t, 2, r));
    EXPECT_EQ(r.columns(), 1);
}

TEST_F(TotalBooks, MeasuringRefusesNoDataRowsAndATableTooLargeForMemory) {
    auto a = CreateObjectAs<Application>("Excel.Application");
    Worksheet* ws = a->Workbooks().Add()->Worksheets()(1);
    ws->Cells(1, 1).SetValue(Variant("标题"));
    ws->Cells(2, 1).SetValue(Variant("制表"));
    TotalsRequest r;
    TotalsTexts t = texts("指定某一列", "B");
    ASSERT_FALSE(checkTotals(t, 2, r));
    auto m = measureTotals(*ws, r);
    ASSERT_TRUE(m);
    EXPECT_NE(m->find("没有要合计的数据行"), std::string::npos) << *m;
    t.maxRows = "3";  // 3 - 1 footer row = the two title rows
    ASSERT_FALSE(checkTotals(t, 2, r));
    m = measureTotals(*ws, r);
    ASSERT_TRUE(m);
    EXPECT_NE(m->find("最大行数 3"), std::string::npos) << *m;
    EXPECT_EQ(r.dataRows, 0);

    t = texts("单元格区域", "A", "XFD");
    t.maxRows = "1048576";
    ASSERT_FALSE(checkTotals(t, 2, r));
    m = measureTotals(*ws, r);
    ASSERT_TRUE(m);
    EXPECT_NE(m->find("内存容纳不下"), std::string::npos) << *m;

    // The run refuses an unmeasured request instead of totalling nothing.
    Workbook* result = nullptr;
    EXPECT_EQ(totalBooks(r, *app, {"x.xlsx"}, result).status, runs::RunOutcome::Status::Refused);
    r.dataRows = 1048575;  // and one whose sums the memory cannot hold, before reading any file
    runs::RunOutcome out = totalBooks(r, *app, {"x.xlsx"}, result);
    EXPECT_EQ(out.status, runs::RunOutcome::Status::Refused);
    EXPECT_NE(out.message.find("内存容纳不下"), std::string::npos) << out.message;
}

// No 8-bit counter: 257 workbooks are all added, and only the first listed is the template.
TEST_F(TotalBooks, The257thWorkbookIsTotalledAndIsNoTemplate) {
    book("第000", [](Worksheet& ws) { ws.Cells(3, 4).SetValue(Variant(1.0)); });
    for (int i = 1; i < 257; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "第%03d.xlsx", i);
        fs::copy_file(dir / "in" / "第000.xlsx", dir / "in" / name);
    }
    ASSERT_EQ(runs::listFolder(in()).size(), 257u);
    TotalsRequest r = request(texts("指定单元格", "D3"));
    Workbook* result = nullptr;
    runs::RunOutcome out = totalBooks(r, *app, runs::listFolder(in()), result);
    ASSERT_TRUE(out.ok()) << out.message;
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->Worksheets()(1)->Cells(3, 4).Value(), Variant(257.0));
    EXPECT_EQ(app->Workbooks().Count(), 1);  // the result only
}

// A workbook that cannot be read, or has too few sheets, stops every kind with its name; every
// workbook is closed, nothing is saved or asked, screen updating and alerts are as before.
TEST_F(TotalBooks, AFileThatFailsStopsTheRunNamingIt) {
    book("甲", rows(0));
    {
        auto a = CreateObjectAs<Application>("Excel.Application");
        Workbook* b = a->Workbooks().Add();
        b->SaveAs((dir / "in" / "单表.xlsx").string(), xlOpenXMLWorkbook);
        b->Close(false);
    }
    for (const char* kind : {"指定单元格", "单元格区域"}) {
        SCOPED_TRACE(kind);
        TotalsRequest r;
        ASSERT_FALSE(checkTotals(texts(kind, std::string(kind) == "指定单元格" ? "B3" : "B", "C"), 2, r));
        r.dataRows = 1;
        ui.messages.clear();
        ui.dialogTitles.clear();
        runs::RunOutcome out = runTotalBooks(r, *app, in(), ui, {});
        EXPECT_EQ(out.status, runs::RunOutcome::Status::Failed);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.messages[0].text.find("读取“单表.xlsx”时出错"), std::string::npos) << ui.messages[0].text;
        EXPECT_NE(ui.messages[0].text.find("没有第 2 个工作表"), std::string::npos) << ui.messages[0].text;
        EXPECT_NE(ui.messages[0].text.find("没有写入任何文件"), std::string::npos);
        EXPECT_TRUE(ui.dialogTitles.empty());
        EXPECT_EQ(app->Workbooks().Count(), 0);
        EXPECT_TRUE(app->ScreenUpdating());
        EXPECT_TRUE(app->DisplayAlerts());
        EXPECT_FALSE(ui.noticeVisible());
    }
    fs::remove(dir / "in" / "单表.xlsx");
    std::ofstream(dir / "in" / "坏.xlsx") << "not a workbook";
    TotalsRequest r;
    ASSERT_FALSE(checkTotals(texts("指定单元格", "B3"), 2, r));
    ASSERT_FALSE(measureTotals(*app->Workbooks().Add()->Worksheets()(1), r));
    app->Workbooks()(1)->Close(false);
    ui.messages.clear();
    EXPECT_EQ(runTotalBooks(r, *app, in(), ui, {}).status, runs::RunOutcome::Status::Failed);
    EXPECT_NE(ui.messages[0].text.find("坏.xlsx"), std::string::npos) << ui.messages[0].text;
    EXPECT_EQ(app->Workbooks().Count(), 0);
}

// A SaveAs that fails is reported and never followed by the success question; a cancelled save
// dialog leaves no file.
TEST_F(TotalBooks, SaveFailureIsReportedAndCancelWritesNothing) {
    book("甲", rows(0));
    TotalsRequest r = request(texts("指定单元格", "B3"));
    ui.fileChoices = {(dir / "没有这个文件夹" / "结果.xlsx").string()};
    runs::RunOutcome out = runTotalBooks(r, *app, in(), ui, {});
    EXPECT_EQ(out.status, runs::RunOutcome::Status::Failed);
    EXPECT_EQ(ui.messages.back().text.rfind("合计结果没有保存：", 0), 0u) << ui.messages.back().text;
    for (const auto& m : ui.messages) EXPECT_NE(m.text, "合计完成，是否要打开汇总结果？");
    EXPECT_EQ(app->Workbooks().Count(), 0);

    ui.messages.clear();
    out = runTotalBooks(r, *app, in(), ui, {});  // no file chosen: cancelled
    EXPECT_TRUE(out.ok());
    EXPECT_TRUE(out.made.empty());
    EXPECT_EQ(ui.messages.size(), 1u);  // the report only
    EXPECT_EQ(app->Workbooks().Count(), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // in/ only
}

// A result saved into the folder is a workbook of the folder the next time; lock files and
// hidden files are not, and .XLSX in capitals is.
TEST_F(TotalBooks, APreviousResultInTheFolderIsTotalledAgain) {
    auto one = [](double v) {
        return [v](Worksheet& ws) { ws.Parent()->Worksheets()(1)->Cells(3, 2).SetValue(Variant(v)); };
    };
    book("甲", one(1));
    book("乙", one(2));
    fs::rename(dir / "in" / "乙.xlsx", dir / "in" / "乙.XLSX");
    std::ofstream(dir / "in" / "~$甲.xlsx") << "lock";
    std::ofstream(dir / "in" / ".隐藏.xlsx") << "hidden";
    TotalsTexts t = texts("指定单元格", "B3");
    t.sheetNumber = "1";  // the result has one sheet
    TotalsRequest r;
    ASSERT_FALSE(checkTotals(t, 2, r));
    r.dataRows = 1;
    ui.fileChoices = {(dir / "in" / "上次").string()};
    ui.answers = {runs::Answer::No};
    ASSERT_TRUE(runTotalBooks(r, *app, in(), ui, {}).ok());
    ui.fileChoices = {(dir / "再次").string()};
    ui.answers = {runs::Answer::No};
    std::shared_ptr<Application> reader;
    ui.messages.clear();
    runs::RunOutcome out = runTotalBooks(r, *app, in(), ui, {});
    ASSERT_TRUE(out.ok()) << out.message;
    reader = CreateObjectAs<Application>("Excel.Application");
    EXPECT_EQ(reader->Workbooks().Open(out.made[0])->Worksheets()(1)->Cells(3, 2).Value(), Variant(6.0));  // 1 + 2 + the 3 of 上次
}

TEST_F(TotalBooks, AnsweringYesOpensTheSavedResult) {
    book("甲", rows(0));
    TotalsRequest r = request(texts("指定单元格", "B3"));
    ui.fileChoices = {(dir / "结果").string()};
    ui.answers = {runs::Answer::Yes};
    std::string opened;
    runs::RunOutcome out = runTotalBooks(r, *app, in(), ui, [&](const std::string& p) { opened = p; });
    ASSERT_TRUE(out.ok()) << out.message;
    EXPECT_EQ(opened, (dir / "结果.xlsx").string());
}

}  // namespace
}  // namespace lorvane::summarize
