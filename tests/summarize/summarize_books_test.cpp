// Summarizing one sheet position over a folder of workbooks, run headless on the real engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/Conversions.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "runs/FolderListing.h"
#include "runs/ScriptedUi.h"
#include "spreadsheet/LegacyXls.h"
#include "summarize/SummarizeBooks.h"

namespace lorvane::summarize {
namespace {

namespace fs = std::filesystem;

class SummarizeBooks : public ::testing::Test {
protected:
    std::shared_ptr<Application> app = CreateObjectAs<Application>("Excel.Application");
    runs::ScriptedUi ui;
    fs::path dir;

    void SetUp() override {
        dir = fs::temp_directory_path() / ("summarize-books-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "in");
    }
    void TearDown() override { fs::remove_all(dir); }

    // A workbook in in/ whose sheet 2 "明细" has one title row and `rows` data rows, and a footer row.
    void book(const std::string& name, int rows, bool footer = true) {
        auto a = CreateObjectAs<Application>("Excel.Application");
        Workbook* b = a->Workbooks().Add();
        Sheets& sheets = b->Worksheets();
        sheets(1)->SetName("说明");
        Worksheet* ws = sheets.AddAfter(sheets(1));
        ws->SetName("明细");
        ws->Cells(1, 1).SetValue(Variant("姓名"));
        ws->Cells(1, 2).SetValue(Variant("金额"));
        for (int r = 2; r <= rows + 1; ++r) {
            ws->Cells(r, 1).SetValue(Variant(name + "-" + std::to_string(r - 1)));
            ws->Cells(r, 2).SetValue(Variant(double(r)));
        }
        if (footer) ws->Cells(rows + 2, 1).SetValue(Variant("制表：" + name));
        b->SaveAs((dir / "in" / (name + ".xlsx")).string(), xlOpenXMLWorkbook);
        b->Close(false);
    }
    SummarizeBooksRequest request(const std::string& sheet = "2") {
        SummarizeBooksRequest r;
        r.sheetNumber = sheet;
        r.titleRows = "1";
        r.footerFlag = "是";
        r.footerRows = "1";
        r.keep = "是";
        return r;
    }
    std::string chosen() const { return (dir / "in" / "甲.xlsx").string(); }
};

// Three workbooks of 4, 0 and 6 rows: one title row and 10 data rows in listing order, the
// first data workbook's footer below; the result saved where the user says, and opened on Yes.
TEST_F(SummarizeBooks, RowsOfEveryWorkbookInListingOrder) {
    book("甲", 4);
    book("乙", 0);
    book("丙", 6);
    ui.fileChoices = {(dir / "汇总结果").string()};
    ui.answers = {runs::Answer::Yes};
    std::string opened;
    runs::RunOutcome out = runSummarizeBooks(request(), *app, chosen(), ui, [&](const std::string& p) { opened = p; });
    ASSERT_TRUE(out.ok()) << out.message;
    ASSERT_EQ(out.made.size(), 1u);
    EXPECT_EQ(out.made[0], (dir / "汇总结果.xlsx").string());
    EXPECT_EQ(opened, out.made[0]);
    EXPECT_EQ(ui.texts().front(), "汇总完成，运行总时间：0秒！");
    EXPECT_EQ(ui.messages.back().text, "汇总完成，是否要打开汇总结果？");
    EXPECT_EQ(app->Workbooks().Count(), 0);  // every workbook read is closed

    auto other = CreateObjectAs<Application>("Excel.Application");
    Workbook* result = other->Workbooks().Open(out.made[0]);
    ASSERT_EQ(result->Worksheets().Count(), 1);
    Worksheet* s = result->Worksheets()(1);
    EXPECT_EQ(s->Name(), "汇总表");
    EXPECT_EQ(s->UsedRange().rect().row2, 12);
    std::vector<std::string> firstColumn;
    for (int r = 1; r <= 12; ++r) firstColumn.push_back(convert::toText(s->Cells(r, 1).Value()));
    std::vector<std::string> expected = {"姓名"};
    std::vector<std::string> listing;
    for (const auto& p : runs::listFolder((dir / "in").string())) listing.push_back(fs::path(p).stem().string());
    for (const auto& name : listing) {
        int rows = name == "甲" ? 4 : name == "丙" ? 6 : 0;
        for (int i = 1; i <= rows; ++i) expected.push_back(name + "-" + std::to_string(i));
    }
    std::string firstData = listing[0] == "乙" ? listing[1] : listing[0];
    expected.push_back("制表：" + firstData);
    EXPECT_EQ(firstColumn, expected);
    EXPECT_EQ(s->Cells(11, 1).Borders().LineStyle(), xlContinuous);
    EXPECT_NE(s->Cells(12, 1).Borders().LineStyle(), xlContinuous);  // the footer is not bordered
    EXPECT_TRUE(s->Cells(12, 1).WrapText());
}

TEST_F(SummarizeBooks, CancellingTheSaveWritesNothing) {
    book("甲", 2);
    ui.fileChoices = {""};
    runs::RunOutcome out = runSummarizeBooks(request(), *app, chosen(), ui, {});
    EXPECT_TRUE(out.ok());
    EXPECT_TRUE(out.made.empty());
    EXPECT_EQ(app->Workbooks().Count(), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // in/ only
}

// A workbook with fewer sheets than the number chosen, or one that cannot be read, ends the run
// with its name, every workbook closed, nothing written, and no question to open anything.
TEST_F(SummarizeBooks, AFileThatFailsEndsTheRunNamingIt) {
    book("甲", 2);
    {
        auto a = CreateObjectAs<Application>("Excel.Application");
        Workbook* b = a->Workbooks().Add();
        b->SaveAs((dir / "in" / "单表.xlsx").string(), xlOpenXMLWorkbook);
        b->Close(false);
    }
    runs::RunOutcome out = runSummarizeBooks(request(), *app, chosen(), ui, {});
    EXPECT_EQ(out.status, runs::RunOutcome::Status::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("单表.xlsx"), std::string::npos) << ui.messages[0].text;
    EXPECT_NE(ui.messages[0].text.find("没有第 2 个工作表"), std::string::npos) << ui.messages[0].text;
    EXPECT_EQ(app->Workbooks().Count(), 0);
    EXPECT_TRUE(ui.dialogTitles.empty());

    fs::remove(dir / "in" / "单表.xlsx");
    std::ofstream(dir / "in" / "坏.xlsx") << "not a workbook";
    ui.messages.clear();
    out = runSummarizeBooks(request(), *app, chosen(), ui, {});
    EXPECT_EQ(out.status, runs::RunOutcome::Status::Failed);
    EXPECT_NE(ui.messages[0].text.find("坏.xlsx"), std::string::npos) << ui.messages[0].text;
    EXPECT_EQ(app->Workbooks().Count(), 0);
}

TEST_F(SummarizeBooks, RefusalsBeforeAnyWork) {
    book("甲", 0);
    struct Case {
        std::string sheet, titleRows;
        const char* says;
    };
    const Case cases[] = {{"", "1", "工作表号"},   {"0", "1", "工作表号"},    {"1.5", "1", "工作表号"},
                          {"2", "-1", "标题行数"}, {"2", "0.5", "不是整数"}, {"2", "1", "没有找到有数据的工作薄"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        ui.messages.clear();
        SummarizeBooksRequest r = request(c.sheet);
        r.titleRows = c.titleRows;
        runs::RunOutcome out = runSummarizeBooks(r, *app, chosen(), ui, {});
        EXPECT_EQ(out.status, runs::RunOutcome::Status::Refused);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.messages[0].text.find(c.says), std::string::npos) << ui.messages[0].text;
        EXPECT_EQ(app->Workbooks().Count(), 0);
    }
    SummarizeBooksSettings s;
    EXPECT_TRUE(checkSummarizeBooks(request("3"), 2, s).has_value());  // beyond the chosen workbook's sheets
    EXPECT_FALSE(checkSummarizeBooks(request("2"), 2, s).has_value());
}

// A folder of mixed sources: an .xlsx, CSV text in GBK (comma) and in UTF-8 with a byte-order
// mark (tab), and an OpenDocument spreadsheet (through LibreOffice, when it is installed). Each
// is listed and read like any workbook; the result is an .xlsx.
TEST_F(SummarizeBooks, CsvAndOdsFilesAreWorkbooksOfTheFolder) {
    auto make = [&](const fs::path& path, const std::string& who) {
        auto a = CreateObjectAs<Application>("Excel.Application");
        Workbook* b = a->Workbooks().Add();
        Worksheet* ws = b->Worksheets()(1);
        ws->Cells(1, 1).SetValue(Variant("姓名"));
        ws->Cells(1, 2).SetValue(Variant("金额"));
        ws->Cells(2, 1).SetValue(Variant(who));
        ws->Cells(2, 2).SetValue(Variant(5.0));
        b->SaveAs(path.string(), xlOpenXMLWorkbook);
        b->Close(false);
    };
    make(dir / "in" / "甲.xlsx", "甲");
    // "姓名,金额\n乙,7\n" in GBK
    std::ofstream(dir / "in" / "乙.CSV", std::ios::binary) << "\xD0\xD5\xC3\xFB,\xBD\xF0\xB6\xEE\n\xD2\xD2,7\n";
    std::ofstream(dir / "in" / "丙.csv", std::ios::binary) << "\xEF\xBB\xBF姓名\t金额\r\n丙\t9\r\n";
    std::vector<std::string> expected = {"甲", "乙", "丙"};
    if (!sheet::findLibreOffice().empty()) {
        make(dir / "丁.xlsx", "丁");
        ASSERT_FALSE(sheet::convertWithLibreOffice({(dir / "丁.xlsx").string()}, (dir / "in").string(), "ods")[0].empty());
        expected.push_back("丁");
    }
    EXPECT_EQ(runs::listFolder((dir / "in").string()).size(), expected.size());

    SummarizeBooksRequest r = request("1");
    r.footerFlag = "否";
    r.footerRows = "0";
    ui.fileChoices = {(dir / "结果").string()};
    ui.answers = {runs::Answer::No};
    runs::RunOutcome out = runSummarizeBooks(r, *app, chosen(), ui, {});
    ASSERT_TRUE(out.ok()) << out.message;
    ASSERT_EQ(out.made.size(), 1u);
    EXPECT_EQ(out.made[0], (dir / "结果.xlsx").string());

    auto other = CreateObjectAs<Application>("Excel.Application");
    Worksheet* s = other->Workbooks().Open(out.made[0])->Worksheets()(1);
    std::vector<std::string> names;
    double sum = 0;
    for (int row = 2; row <= s->UsedRange().rect().row2; ++row) {
        names.push_back(convert::toText(s->Cells(row, 1).Value()));
        sum += std::stod(convert::toText(s->Cells(row, 2).Value()));  // the summary writes texts
    }
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    EXPECT_DOUBLE_EQ(sum, expected.size() == 4 ? 26 : 21);
}

// Each workbook is named on the notice as it is read (paced, so not every one), and a stop asked
// for part-way ends the run as a failure does: every workbook closed, nothing written, and a
// message saying how far it got.
TEST_F(SummarizeBooks, ProgressNamesTheFilesAndAStopWritesNothing) {
    book("甲", 2);
    book("乙", 3);
    book("丙", 1);
    ui.stepMs = 1000;  // every progress update is due
    ui.fileChoices = {(dir / "结果").string()};
    ui.answers = {runs::Answer::No};
    ASSERT_TRUE(runSummarizeBooks(request(), *app, chosen(), ui, {}).ok());
    ASSERT_GE(ui.progress.size(), 3u);
    EXPECT_EQ(ui.progress[0].rfind("正在读取 1/3：", 0), 0u) << ui.progress[0];
    EXPECT_NE(ui.progress[2].find("3/3"), std::string::npos) << ui.progress[2];
    fs::remove(dir / "结果.xlsx");

    runs::ScriptedUi stopping;
    stopping.cancelAfter = 1;  // the second file is not read
    stopping.fileChoices = {(dir / "结果").string()};
    runs::RunOutcome out = runSummarizeBooks(request(), *app, chosen(), stopping, {});
    EXPECT_EQ(out.status, runs::RunOutcome::Status::Cancelled);
    EXPECT_TRUE(out.made.empty());
    EXPECT_EQ(app->Workbooks().Count(), 0);
    EXPECT_TRUE(stopping.dialogTitles.empty());  // no save dialog after a stop
    EXPECT_FALSE(fs::exists(dir / "结果.xlsx"));
    ASSERT_FALSE(stopping.messages.empty());
    EXPECT_NE(stopping.messages.back().text.find("已读取 1 个工作薄（共 3 个）"), std::string::npos)
        << stopping.messages.back().text;
    EXPECT_FALSE(stopping.noticeVisible());
}

}  // namespace
}  // namespace lorvane::summarize
