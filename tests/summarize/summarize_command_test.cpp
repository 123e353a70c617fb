// `lorvane summarize-sheets` on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "summarize/SummarizeCommand.h"
#include "support/CommandCapture.h"

namespace lorvane::summarize {
namespace {

namespace fs = std::filesystem;

class SummarizeCommand : public ::testing::Test {
protected:
    fs::path dir, source;
    std::string out, err;

    void SetUp() override {
        dir = fs::temp_directory_path() / ("summarize_cmd_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        source = dir / "部门.xlsx";
        auto app = CreateObjectAs<Application>("Excel.Application");
        Workbook* b = app->Workbooks().Add();
        Sheets& sheets = b->Worksheets();
        sheets(1)->SetName("甲");
        sheets.AddAfter(sheets(1))->SetName("乙");
        for (Worksheet* ws : sheets) {
            ws->Cells(1, 1).SetValue(Variant("姓名"));
            ws->Cells(1, 2).SetValue(Variant("金额"));
            for (int r = 2; r <= 3; ++r) {
                ws->Cells(r, 1).SetValue(Variant(ws->Name() + std::to_string(r)));
                ws->Cells(r, 2).SetValue(Variant(double(r)));
            }
            ws->Cells(4, 1).SetValue(Variant("制表：" + ws->Name()));
        }
        b->SaveAs(source.string(), xlOpenXMLWorkbook);
        b->Close(false);
    }
    void TearDown() override { fs::remove_all(dir); }

    int command(std::vector<std::string> args) {
        auto c = lorvane::testing::runCommand(&runSummarizeCommand, std::move(args));
        out = c.out;
        err = c.err;
        return c.status;
    }
    static std::string bytes(const fs::path& p) { return lorvane::testing::fileBytes(p.string()); }
};

TEST_F(SummarizeCommand, WritesTheSummaryElsewhereAndLeavesTheSourceAlone) {
    const std::string before = bytes(source);
    const fs::path result = dir / "结果.xlsx";
    ASSERT_EQ(command({"summarize-sheets", source.string(), "--title-rows", "1", "--footer-rows", "1", "--keep-footer",
                       "--summary-sheet", "总表", "--output", result.string()}),
              0)
        << err;
    EXPECT_EQ(bytes(source), before);
    EXPECT_EQ(out, result.string() + "\n");
    EXPECT_EQ(err.rfind("汇总完成，运行总时间：", 0), 0u) << err;
    auto app = CreateObjectAs<Application>("Excel.Application");
    Worksheet* summary = app->Workbooks().Open(result.string())->Worksheets().Find("总表");
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(summary->Cells(5, 1).Value(), Variant("乙3"));
    EXPECT_EQ(summary->Cells(6, 1).Value(), Variant("制表：甲"));
}

TEST_F(SummarizeCommand, RefusalsAndMistakesExitNonZero) {
    const std::string before = bytes(source);
    const std::string file = source.string(), output = (dir / "o.xlsx").string();
    struct Case {
        std::vector<std::string> args;
        int rc;
        const char* says;
    };
    const Case cases[] = {
        {{"summarize-sheets", file, "--output", output}, 2, "--title-rows"},
        {{"summarize-sheets", file, "--title-rows", "1"}, 2, "--output"},
        {{"summarize-sheets", file, "--title-rows", "1", "--keep-footer", "--output", output}, 2, "--footer-rows"},
        {{"summarize-sheets", file, "--title-rows", "1", "--output", file}, 1, "不能保存在源文件"},
        {{"summarize-sheets", file, "--title-rows", "1", "--summary-sheet", "甲", "--output", output}, 1, "已经有名为“甲”"},
        {{"summarize-sheets", file, "--title-rows", "1", "--replace", "--output", output}, 1, "没有名为“汇总表”"},
        {{"summarize-sheets", file, "--title-rows", "1", "--key", "XFE", "--output", output}, 1, "不是工作表中的列"},
        {{"summarize-sheets", file, "--title-rows", "0", "--output", output}, 1, "没有找到有数据的工作表"},
        {{"summarize-sheets", (dir / "无.xlsx").string(), "--title-rows", "1", "--output", output}, 1, "找不到"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        EXPECT_EQ(command(c.args), c.rc);
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_TRUE(out.empty());
    }
    EXPECT_EQ(bytes(source), before);
    EXPECT_FALSE(fs::exists(output));
}

// A folder summarized from any file in it; the result may not land in that folder.
TEST_F(SummarizeCommand, SummarizeBooksReadsTheFolderOfTheFileGiven) {
    fs::create_directories(dir / "结果");
    const fs::path result = dir / "结果" / "汇总.xlsx";
    const std::string before = bytes(source);
    ASSERT_EQ(command({"summarize-books", source.string(), "--sheet-number", "2", "--title-rows", "1", "--output",
                       result.string()}),
              0)
        << err;
    EXPECT_EQ(out, result.string() + "\n");
    EXPECT_EQ(bytes(source), before);
    auto app = CreateObjectAs<Application>("Excel.Application");
    Worksheet* summary = app->Workbooks().Open(result.string())->Worksheets()(1);
    EXPECT_EQ(summary->Name(), "汇总表");
    EXPECT_EQ(summary->Cells(3, 1).Value(), Variant("乙3"));
    EXPECT_EQ(summary->Cells(4, 1).Value(), Variant("制表：乙"));  // no footer rows given: the row is data

    EXPECT_EQ(command({"summarize-books", dir.string(), "--sheet-number", "2", "--output", (dir / "汇总.xlsx").string()}), 1);
    EXPECT_NE(err.find("不能保存在被汇总的文件夹"), std::string::npos) << err;
    EXPECT_EQ(command({"summarize-books", dir.string(), "--sheet-number", "0", "--output", result.string()}), 1);
    EXPECT_NE(err.find("工作表号"), std::string::npos) << err;
    EXPECT_EQ(command({"summarize-books", dir.string(), "--output", result.string()}), 2);
}

}  // namespace
}  // namespace lorvane::summarize
