// `lorvane compare` and `lorvane fill` on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "CompareTestSupport.h"
#include "compare/CompareCommand.h"
#include "support/CommandCapture.h"

namespace lorvane::compare {
namespace {

namespace fs = std::filesystem;
using testing::Texts;
using Strings = std::vector<std::string>;

class CompareCommand : public testing::TwoTableFixture {
protected:
    fs::path dir, file1, file2;
    std::string out, err;

    void SetUp() override {
        TwoTableFixture::SetUp();
        dir = fs::temp_directory_path() /
              ("compare_cmd_" + std::to_string(::getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        file1 = dir / "名单.xlsx";
        file2 = dir / "参照.xlsx";
        fill(one, {{"2024年名单"}, {"工号", "姓名", "部门"}, {"K1", "甲"}, {"K2", "乙"}, {"K3", "丙"}, {"制表人：赵"}});
        fill(two, {{"工号", "部门"}, {"K3", "财务"}, {"K1", "销售"}});
        book->SaveAs(file1.string(), 51);
        std::shared_ptr<Application> other = CreateObjectAs<Application>("Excel.Application");
        Workbook* b = other->Workbooks().Add();
        b->GetSheets()(1)->SetName("参照");
        fill(b->GetSheets()(1), {{"工号", "部门"}, {"K2", "后勤"}});
        b->SaveAs(file2.string(), 51);
    }
    void TearDown() override { fs::remove_all(dir); }

    int command(std::vector<std::string> args) {
        auto c = lorvane::testing::runCommand(&runCompareCommand, std::move(args));
        out = c.out;
        err = c.err;
        return c.status;
    }
    Workbook* open(const fs::path& p) { return reader->Workbooks().Open(p.string()); }
    std::shared_ptr<Application> reader = CreateObjectAs<Application>("Excel.Application");
    std::vector<std::string> base(const char* name) {
        return {name, file1.string(), "--sheet1", "表一", "--title-rows1", "2", "--key1", "A", "--footer-rows1", "1",
                "--sheet2", "表二", "--title-rows2", "1", "--key2", "1"};
    }
};

TEST_F(CompareCommand, MarksInOneWorkbookAndReportsTheCounts) {
    const std::string before = lorvane::testing::fileBytes(file1.string());
    const fs::path result = dir / "结果.xlsx";
    auto args = base("compare");
    args.insert(args.end(), {"--output", result.string()});
    ASSERT_EQ(command(args), 0) << err;
    EXPECT_EQ(lorvane::testing::fileBytes(file1.string()), before);
    EXPECT_EQ(out, result.string() + "\n");
    EXPECT_NE(err.find("对比完成，运行总时间："), std::string::npos) << err;
    EXPECT_NE(err.find("存在 2 行，不存在 1 行。"), std::string::npos) << err;
    Workbook* saved = open(result);
    EXPECT_EQ(column(saved->Worksheets()("表一"), 4, 3, 6), (Strings{"存在", "不存在", "存在", ""}));
}

TEST_F(CompareCommand, ExtractsAcrossTwoWorkbooks) {
    const fs::path result = dir / "结果.xlsx";
    auto args = base("compare");
    args[10] = "--book2";
    args[11] = file2.string();
    args.insert(args.end(), {"--sheet2", "参照", "--mode", "both", "--output", result.string()});
    ASSERT_EQ(command(args), 0) << err;
    EXPECT_NE(err.find("存在 1 行，不存在 2 行。"), std::string::npos) << err;
    Workbook* saved = open(result);
    EXPECT_EQ(column(saved->Worksheets()(kFoundSheet), 1, 1, 4), (Strings{"2024年名单", "工号", "K2", "制表人：赵"}));
    EXPECT_EQ(column(saved->Worksheets()(kNotFoundSheet), 1, 1, 5), (Strings{"2024年名单", "工号", "K1", "K3", "制表人：赵"}));
}

TEST_F(CompareCommand, FillsACopyOfTableOne) {
    const fs::path result = dir / "结果.xlsx";
    auto args = base("fill");
    args.insert(args.end(), {"--fill-columns", "C", "--source-columns", "B", "--output", result.string()});
    ASSERT_EQ(command(args), 0) << err;
    EXPECT_NE(err.find("填充完成，运行总时间："), std::string::npos) << err;
    Workbook* saved = open(result);
    EXPECT_EQ(column(saved->Worksheets()("表一（填充结果）"), 3, 3, 5), (Strings{"销售", "", "财务"}));
    EXPECT_TRUE(saved->Worksheets()("表一")->Cells(3, 3).Value().isEmpty());
}

TEST_F(CompareCommand, RefusalsAndMistakesExitNonZeroAndWriteNothing) {
    const std::string before1 = lorvane::testing::fileBytes(file1.string());
    const std::string before2 = lorvane::testing::fileBytes(file2.string());
    const std::string o = (dir / "o.xlsx").string();
    auto with = [&](const char* name, std::vector<std::string> extra) {
        auto args = base(name);
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };
    struct Case {
        std::vector<std::string> args;
        int rc;
        const char* says;
    };
    const Case cases[] = {
        {with("compare", {"--output", file1.string()}), 1, "不能保存在输入文件"},
        {with("compare", {"--book2", file2.string(), "--output", (dir / "参照").string()}), 1, "不能保存在输入文件"},
        {with("compare", {"--mode", "all", "--output", o}), 2, "--mode"},
        {with("compare", {}), 2, "--output"},
        {with("compare", {"--key1", "XFE", "--output", o}), 1, "不是工作表中的列"},
        {with("compare", {"--sheet1", "无此表", "--output", o}), 1, "没有名为“无此表”的工作表"},
        {with("compare", {"--book2", (dir / "无.xlsx").string(), "--output", o}), 1, "对比没有完成"},
        {with("fill", {"--fill-columns", "C,,E", "--source-columns", "B,C,D", "--output", o}), 1, "是空的"},
        {with("fill", {"--fill-columns", "C,D", "--source-columns", "B", "--output", o}), 1, "数量不能大于"},
        {with("fill", {"--source-columns", "B", "--output", o}), 2, "--fill-columns"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        EXPECT_EQ(command(c.args), c.rc);
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_TRUE(out.empty());
    }
    EXPECT_EQ(lorvane::testing::fileBytes(file1.string()), before1);
    EXPECT_EQ(lorvane::testing::fileBytes(file2.string()), before2);
    EXPECT_FALSE(fs::exists(o));
}

TEST_F(CompareCommand, HelpNamesBothCommands) {
    EXPECT_EQ(command({"fill", "--help"}), 0);
    EXPECT_NE(out.find("lorvane compare"), std::string::npos);
    EXPECT_NE(out.find("lorvane fill"), std::string::npos);
}

}  // namespace
}  // namespace lorvane::compare
