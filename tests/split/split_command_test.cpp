// `lorvane split-sheets` and `lorvane split-books` on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "SplitTestSupport.h"
#include "split/SplitCommand.h"
#include "support/CommandCapture.h"
#include "support/MemoryLimit.h"

namespace lorvane::split {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::vector<std::string>>;
using testing::Row;

class SplitCommand : public testing::SplitFixture {
protected:
    fs::path dir, source;
    std::string out, err;

    void SetUp() override {
        SplitFixture::SetUp();
        dir = fs::temp_directory_path() /
              ("split_cmd_" + std::to_string(::getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        source = dir / "master.xlsx";
        fill({{"2024年费用表"}, {"部门", "姓名", "金额"}, {"甲", "张", 10}, {"乙", "李", 20}, {"甲", "王", 30}, {"制表人：赵"}});
        book->SaveAs(source.string(), 51);
    }
    void TearDown() override { fs::remove_all(dir); }

    int command(std::vector<std::string> args) {
        auto c = lorvane::testing::runCommand(&runSplitCommand, std::move(args));
        out = c.out;
        err = c.err;
        return c.status;
    }

    static std::string bytes(const fs::path& p) { return lorvane::testing::fileBytes(p.string()); }

    Workbook* openIn(std::shared_ptr<Application>& other, const fs::path& p) {
        other = CreateObjectAs<Application>("Excel.Application");
        return other->Workbooks().Open(p.string());
    }
};

TEST_F(SplitCommand, SplitSheetsSavesTheResultElsewhere) {
    const std::string before = bytes(source);
    const fs::path result = dir / "结果.xlsx";
    ASSERT_EQ(command({"split-sheets", source.string(), "--sheet", "总表", "--key", "A", "--title-rows", "2", "--footer-rows",
                       "1", "--keep-footer", "--output", result.string()}),
              0)
        << err;
    EXPECT_EQ(bytes(source), before);
    EXPECT_EQ(out, result.string() + "\n");
    EXPECT_EQ(err.rfind("拆分完成，运行总时间：", 0), 0u) << err;
    EXPECT_EQ(err.substr(err.size() - std::string("秒！\n").size()), "秒！\n");
    std::shared_ptr<Application> other;
    Workbook* saved = openIn(other, result);
    EXPECT_EQ(namesOf(saved), (std::vector<std::string>{"总表", "甲", "乙"}));
    EXPECT_EQ(texts(saved->Worksheets()("乙"), 3),
              (Texts{{"2024年费用表", "", ""}, {"部门", "姓名", "金额"}, {"乙", "李", "20"}, {"制表人：赵", "", ""}}));
}

TEST_F(SplitCommand, SplitBooksWritesInto分表BesideTheFile) {
    const std::string before = bytes(source);
    ASSERT_EQ(command({"split-books", source.string(), "--sheet=总表", "--key=1", "--title-rows=2", "--footer-rows=1"}), 0) << err;
    EXPECT_EQ(bytes(source), before);
    EXPECT_EQ(out, (dir / "分表" / "甲.xlsx").string() + "\n" + (dir / "分表" / "乙.xlsx").string() + "\n");
    std::shared_ptr<Application> other;
    Workbook* first = openIn(other, dir / "分表" / "甲.xlsx");
    EXPECT_EQ(texts(first->GetSheets()(1), 2), (Texts{{"2024年费用表", ""}, {"部门", "姓名"}, {"甲", "张"}, {"甲", "王"}}));
}

TEST_F(SplitCommand, RefusalsAndMistakesExitNonZero) {
    const std::string before = bytes(source);
    struct Case {
        std::vector<std::string> args;
        int rc;
        const char* says;
    };
    const std::string file = source.string();
    const Case cases[] = {
        {{"split-sheets", file, "--sheet", "总表", "--key", "0", "--title-rows", "2", "--output", (dir / "o").string()}, 1, "不是工作表中的列"},
        {{"split-sheets", file, "--sheet", "汇总", "--key", "A", "--title-rows", "2", "--output", (dir / "o").string()}, 1, "没有名为“汇总”的工作表"},
        {{"split-sheets", file, "--sheet", "总表", "--key", "A", "--title-rows", "2", "--output", file}, 1, "不能保存在源文件"},
        {{"split-sheets", file, "--sheet", "总表", "--key", "A", "--title-rows", "2", "--output", (dir / "master").string()}, 1, "不能保存在源文件"},
        {{"split-sheets", file, "--sheet", "总表", "--key", "A", "--title-rows", "2"}, 2, "--output"},
        {{"split-books", file, "--sheet", "总表", "--key", "A", "--title-rows", "2", "--keep-footer"}, 2, "--footer-rows"},
        {{"split-books", (dir / "无.xlsx").string(), "--sheet", "总表", "--key", "A", "--title-rows", "2"}, 1, "找不到"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        EXPECT_EQ(command(c.args), c.rc);
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_TRUE(out.empty());
    }
    EXPECT_EQ(bytes(source), before);
    EXPECT_FALSE(fs::exists(dir / "分表"));
}

// Absurd entries are refused or cost what the sheet holds: a 300-row master with 100000 title
// rows and every column once grew to 23 GB.
TEST_F(SplitCommand, AbsurdCountsAreRefusedOrCheapUnderAMemoryLimit) {
    std::vector<Row> rows = {{"部门", "姓名"}};
    for (int i = 1; i < 300; ++i) rows.push_back({i % 2 ? "甲" : "乙", "人" + std::to_string(i)});
    fill(rows);
    book->SaveAs(source.string(), 51);
    const std::string file = source.string(), output = (dir / "o.xlsx").string();
    struct Case {
        std::vector<std::string> extra;
        int rc;
        const char* says;  // on standard error
    };
    const Case cases[] = {
        {{"--title-rows", "100000", "--max-columns", "16384"}, 0, "拆分完成"},
        {{"--title-rows", "1", "--max-rows", "1048576", "--max-columns", "16384"}, 0, "拆分完成"},
        {{"--title-rows", "1", "--max-columns", "99999"}, 1, "最大列数"},
        {{"--title-rows", "1", "--max-rows", "2000000"}, 1, "最大行数"},
        {{"--title-rows", "-5"}, 1, "标题行数"},
        {{"--title-rows", "1", "--footer-rows", "-1"}, 1, "表底文字行数"},
        {{"--title-rows", "1", "--footer-rows", "1000000", "--keep-footer"}, 1, "表底文字行数"},
        {{"--title-rows", "十"}, 1, "标题行数"},
        {{"--title-rows", "1", "--max-rows", "很多"}, 0, "拆分完成"},
        {{"--title-rows", "1", "--key", "XFE"}, 1, "拆分依据列"},
        {{"--title-rows", "1", "--key", "99999999999999999999"}, 1, "拆分依据列"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"split-sheets", file, "--sheet", "总表", "--key", "A", "--output", output};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        SCOPED_TRACE(args.back());
        int rc = lorvane::testing::runUnderMemoryLimit(std::size_t{1} << 30, [&] {
            int code = command(args);
            return code == c.rc && err.find(c.says) != std::string::npos ? 0 : 10 + code;
        });
        EXPECT_EQ(rc, 0);
    }
}

TEST_F(SplitCommand, HelpNamesBothCommands) {
    EXPECT_EQ(command({"split-books", "--help"}), 0);
    EXPECT_NE(out.find("lorvane split-sheets"), std::string::npos);
    EXPECT_NE(out.find("lorvane split-books"), std::string::npos);
}

}  // namespace
}  // namespace lorvane::split
