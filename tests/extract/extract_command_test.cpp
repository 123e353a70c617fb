// `lorvane extract` on real files: both methods, both targets, and the refusals.
#include <gtest/gtest.h>

#include "ExtractTestSupport.h"
#include "extract/ExtractCommand.h"
#include "support/CommandCapture.h"

namespace lorvane::extract {
namespace {

using testing::Texts;
namespace fs = std::filesystem;

class ExtractCommandTest : public testing::ExtractFixture {
protected:
    fs::path source;
    std::string out, err;

    void SetUp() override {
        ExtractFixture::SetUp();
        fill({{"2024年工资表"}, {"序号", "姓名", "部门", "金额"}, {1, "张三", "一部", 100}, {2, "李四", "二部", 200}});
        formulaWithResult(3, 5, "=D3*2", 200);
        formulaWithResult(4, 5, "=D4*2", 400);
        saveSource();
        source = dir / "工资表.xlsx";
    }

    int command(std::vector<std::string> args) {
        auto c = lorvane::testing::runCommand(&runExtractCommand, std::move(args));
        out = c.out;
        err = c.err;
        return c.status;
    }
    std::string bytes(const fs::path& p) { return lorvane::testing::fileBytes(p.string()); }
};

TEST_F(ExtractCommandTest, ValuesIntoANewWorkbookBesideTheFileByDefault) {
    const std::string before = bytes(source);
    ASSERT_EQ(command({"extract", source.string(), "--sheet", "数据", "--title-rows", "2", "--columns", "E,B"}), 0) << err;
    const fs::path result = dir / "工资表提取表.xlsx";
    EXPECT_EQ(out, result.string() + "\n");
    EXPECT_EQ(err.rfind("提取完成，运行总时间：", 0), 0u) << err;
    EXPECT_EQ(bytes(source), before);
    std::shared_ptr<Application> other;
    Workbook* saved = openIn(other, result);
    EXPECT_EQ(namesOf(saved), std::vector<std::string>{"数据提取表"});
    EXPECT_EQ(texts(saved->GetSheets()(1), 4, 2), (Texts{{"", ""}, {"姓名", ""}, {"张三", "200"}, {"李四", "400"}}));
    EXPECT_FALSE(saved->GetSheets()(1)->Cells(3, 2).HasFormula());
}

TEST_F(ExtractCommandTest, DeletionIntoTheSameWorkbookSavedAsTheOutput) {
    const std::string before = bytes(source);
    const fs::path result = dir / "结果.xlsx";
    ASSERT_EQ(command({"extract", source.string(), "--sheet=数据", "--title-rows=2", "--columns=4,5", "--method=delete", "--to=sheet",
                       "--output", result.string()}),
              0)
        << err;
    EXPECT_EQ(out, result.string() + "\n");
    EXPECT_EQ(bytes(source), before);
    std::shared_ptr<Application> other;
    Workbook* saved = openIn(other, result);
    EXPECT_EQ(namesOf(saved), (std::vector<std::string>{"数据", "数据提取表"}));
    Worksheet* trimmed = saved->Worksheets()("数据提取表");
    EXPECT_EQ(trimmed->Cells(3, 2).Formula(), "=A3*2");
    EXPECT_EQ(texts(trimmed, 2, 3), (Texts{{"", "", ""}, {"金额", "", ""}}));
}

TEST_F(ExtractCommandTest, ANewWorkbookGoesToTheOutputWhenGiven) {
    const fs::path result = dir / "子" / "提取.xlsx";
    fs::create_directories(result.parent_path());
    ASSERT_EQ(command({"extract", source.string(), "--sheet", "数据", "--title-rows", "2", "--columns", "B", "--method", "delete",
                       "--output", result.string()}),
              0)
        << err;
    EXPECT_EQ(out, result.string() + "\n");
    EXPECT_FALSE(fs::exists(dir / "工资表提取表.xlsx"));
}

TEST_F(ExtractCommandTest, RefusalsAndMistakesExitNonZeroAndWriteNothing) {
    const std::string before = bytes(source);
    const std::string file = source.string(), o = (dir / "o.xlsx").string();
    struct Case {
        std::vector<std::string> args;
        int rc;
        const char* says;
    };
    const Case cases[] = {
        {{"extract", file, "--sheet", "数据", "--title-rows", "2", "--columns", "F"}, 1, "不在工作表“数据”的已用区域内"},
        {{"extract", file, "--sheet", "数据", "--title-rows", "4", "--columns", "B"}, 1, "没有数据行"},
        {{"extract", file, "--sheet", "数据", "--title-rows", "x", "--columns", "B"}, 1, "不是数字"},
        {{"extract", file, "--sheet", "汇总", "--title-rows", "2", "--columns", "B"}, 1, "没有名为“汇总”的工作表"},
        {{"extract", file, "--sheet", "数据", "--title-rows", "2", "--columns", "b"}, 2, "不是列"},
        {{"extract", file, "--sheet", "数据", "--title-rows", "2"}, 2, "--columns"},
        {{"extract", file, "--sheet", "数据", "--title-rows", "2", "--columns", "B", "--method", "copy"}, 2, "--method"},
        {{"extract", file, "--sheet", "数据", "--title-rows", "2", "--columns", "B", "--to", "folder"}, 2, "--to"},
        {{"extract", file, "--sheet", "数据", "--title-rows", "2", "--columns", "B", "--to", "sheet"}, 2, "--output"},
        {{"extract", file, "--sheet", "数据", "--title-rows", "2", "--columns", "B", "--to", "sheet", "--output", file}, 1, "不能保存在源文件"},
        {{"extract", file, "--sheet", "数据", "--title-rows", "2", "--columns", "B", "--output", (dir / "工资表").string()}, 1, "不能保存在源文件"},
        {{"extract", (dir / "无.xlsx").string(), "--sheet", "数据", "--title-rows", "2", "--columns", "B"}, 1, "找不到"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        EXPECT_EQ(command(c.args), c.rc);
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_TRUE(out.empty());
    }
    EXPECT_EQ(bytes(source), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(ExtractCommandTest, HelpNamesTheCommand) {
    EXPECT_EQ(command({"extract", "--help"}), 0);
    EXPECT_NE(out.find("lorvane extract"), std::string::npos);
    EXPECT_NE(out.find("--method"), std::string::npos);
}

}  // namespace
}  // namespace lorvane::extract
