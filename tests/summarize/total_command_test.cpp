// `lorvane total-books` on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "summarize/TotalCommand.h"
#include "support/CommandCapture.h"

namespace lorvane::summarize {
namespace {

namespace fs = std::filesystem;

class TotalCommand : public ::testing::Test {
protected:
    fs::path dir, folder;
    std::string out, err;

    void SetUp() override {
        dir = fs::temp_directory_path() / ("total_cmd_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        folder = dir / "各分公司";
        fs::create_directories(folder);
        fs::create_directories(dir / "结果");
        // Sheet 2 "统计": a title row, a header row, rows 3..5 of numbers in B and C, a footer in row 6.
        for (int k = 1; k <= 3; ++k) {
            auto app = CreateObjectAs<Application>("Excel.Application");
            Workbook* b = app->Workbooks().Add();
            Sheets& sheets = b->Worksheets();
            sheets(1)->SetName("明细");
            Worksheet* ws = sheets.AddAfter(sheets(1));
            ws->SetName("统计");
            ws->Cells(1, 1).SetValue(Variant("统计表"));
            ws->Cells(2, 2).SetValue(Variant("一月"));
            for (int r = 3; r <= 5; ++r) {
                ws->Cells(r, 1).SetValue(Variant("部" + std::to_string(r)));
                ws->Cells(r, 2).SetValue(Variant(double(k * r)));
                ws->Cells(r, 3).SetValue(Variant(double(100 * k)));
            }
            ws->Cells(6, 1).SetValue(Variant("制表"));
            b->SaveAs((folder / ("第" + std::to_string(k) + ".xlsx")).string(), xlOpenXMLWorkbook);
            b->Close(false);
        }
    }
    void TearDown() override { fs::remove_all(dir); }

    int command(std::vector<std::string> args) {
        args.insert(args.begin(), "total-books");
        auto c = lorvane::testing::runCommand(&runTotalCommand, std::move(args));
        out = c.out;
        err = c.err;
        return c.status;
    }
    Worksheet* result(const fs::path& path) {
        reader = CreateObjectAs<Application>("Excel.Application");
        return reader->Workbooks().Open(path.string())->Worksheets()(1);
    }
    std::shared_ptr<Application> reader;
};

TEST_F(TotalCommand, TotalsAColumnRangeOfTheFolder) {
    const fs::path target = dir / "结果" / "合计.xlsx";
    const std::string before = lorvane::testing::fileBytes((folder / "第1.xlsx").string());
    ASSERT_EQ(command({folder.string(), "--sheet-number", "2", "--title-rows", "2", "--columns", "b:C", "--footer-rows", "1",
                       "--output", target.string()}),
              0)
        << err;
    EXPECT_EQ(out, target.string() + "\n");
    EXPECT_EQ(err.rfind("合计完成，运行总时间：", 0), 0u) << err;
    EXPECT_EQ(lorvane::testing::fileBytes((folder / "第1.xlsx").string()), before);
    Worksheet* s = result(target);
    EXPECT_EQ(s->Name(), "统计(汇总表)");
    for (int r = 3; r <= 5; ++r) {
        EXPECT_EQ(s->Cells(r, 2).Value(), Variant(6.0 * r));
        EXPECT_EQ(s->Cells(r, 3).Value(), Variant(600.0));
    }
    EXPECT_EQ(s->Cells(6, 1).Value(), Variant("制表"));
}

// A file stands for its folder; --max-rows counts the footer rows; the given cells and one column.
TEST_F(TotalCommand, AFileStandsForItsFolderAndEveryKindRuns) {
    const fs::path one = dir / "结果" / "一列";
    ASSERT_EQ(command({(folder / "第2.xlsx").string(), "--sheet-number", "2", "--title-rows", "2", "--column", "2",
                       "--footer-rows", "1", "--max-rows", "5", "--output", one.string()}),
              0)
        << err;
    EXPECT_EQ(out, one.string() + ".xlsx\n");
    Worksheet* s = result(one.string() + ".xlsx");
    EXPECT_EQ(s->Cells(3, 2).Value(), Variant(18.0));
    EXPECT_EQ(s->Cells(4, 2).Value(), Variant(24.0));
    EXPECT_NE(s->Cells(5, 2).Value(), Variant(30.0));  // beyond 最大行数 less the footer: not totalled

    const fs::path cells = dir / "结果" / "单元格.xlsx";
    ASSERT_EQ(command({folder.string(), "--sheet-number", "2", "--title-rows", "0", "--cells", "B5,$C$3", "--output",
                       cells.string()}),
              0)
        << err;
    s = result(cells);
    EXPECT_EQ(s->Cells(5, 2).Value(), Variant(30.0));
    EXPECT_EQ(s->Cells(3, 3).Value(), Variant(600.0));
}

TEST_F(TotalCommand, RefusalsAndMistakesExitNonZero) {
    const std::string f = folder.string(), o = (dir / "结果" / "o.xlsx").string();
    struct Case {
        std::vector<std::string> args;
        int rc;
        const char* says;
    };
    const Case cases[] = {
        {{f, "--title-rows", "2", "--column", "B", "--output", o}, 2, "--sheet-number"},
        {{f, "--sheet-number", "2", "--column", "B", "--output", o}, 2, "--title-rows"},
        {{f, "--sheet-number", "2", "--title-rows", "2", "--output", o}, 2, "三者之一"},
        {{f, "--sheet-number", "2", "--title-rows", "2", "--column", "B", "--cells", "B3", "--output", o}, 2, "三者之一"},
        {{f, "--sheet-number", "2", "--title-rows", "2", "--columns", "B", "--output", o}, 2, "开始列:结束列"},
        {{f, "--sheet-number", "2", "--title-rows", "2", "--column", "B"}, 2, "--output"},
        {{f, "--sheet-number", "3", "--title-rows", "2", "--column", "B", "--output", o}, 1, "工作表号“3”不对"},
        {{f, "--sheet-number", "2", "--title-rows", "2", "--column", "0", "--output", o}, 1, "【开始列号】错误"},
        {{f, "--sheet-number", "2", "--title-rows", "2", "--columns", "C:B", "--output", o}, 1, "小于【开始列号】"},
        {{f, "--sheet-number", "2", "--title-rows", "2", "--cells", "B3:B5", "--output", o}, 1, "第{1}个【指定单元格】错误"},
        {{f, "--sheet-number", "2", "--title-rows", "6", "--column", "B", "--output", o}, 1, "没有要合计的数据行"},
        {{f, "--sheet-number", "2", "--title-rows", "2", "--column", "B", "--output", (folder / "合计.xlsx").string()}, 1,
         "不能保存在被合计的文件夹"},
        {{(dir / "无").string(), "--sheet-number", "2", "--title-rows", "2", "--column", "B", "--output", o}, 1, "找不到"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        EXPECT_EQ(command(c.args), c.rc);
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_TRUE(out.empty());
    }
    EXPECT_FALSE(fs::exists(o));
    EXPECT_FALSE(fs::exists(folder / "合计.xlsx"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
}

}  // namespace
}  // namespace lorvane::summarize
