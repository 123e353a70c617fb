// The headless `convert` command: exit status and messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/ConvertCommand.h"
#include "support/Corpus.h"
#include "spreadsheet/WorkbookFile.h"

namespace fs = std::filesystem;

namespace {

const fs::path kCorpus = lorvane::testing::corpusDir();

int convert(std::vector<std::string> args, std::string& err) {
    args.insert(args.begin(), "convert");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    ::testing::internal::CaptureStderr();
    int status = lorvane::cli::runConvertCommand(static_cast<int>(argv.size()), argv.data());
    err = ::testing::internal::GetCapturedStderr();
    return status;
}

TEST(ConvertCommand, ConvertsAndReportsFailuresInChinese) {
    LORVANE_SKIP_WITHOUT_CORPUS();
    fs::path dir = fs::temp_directory_path() / ("lorvane-convert-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string err;
    std::string out = (dir / "out.xlsx").string();
    EXPECT_EQ(convert({(kCorpus / "xlsx/xlsxwriter_merge_cells01.xlsx").string(), out}, err), 0) << err;
    EXPECT_EQ(lorvane::sheet::readWorkbookFile(out)->sheets[0]->merges.size(), 4u);

    EXPECT_NE(convert({(kCorpus / "bad/poi_poc-xmlbomb.xlsx").string(), (dir / "bomb.xlsx").string()}, err), 0);
    EXPECT_NE(err.find("poi_poc-xmlbomb.xlsx"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "bomb.xlsx"));

    EXPECT_NE(convert({(dir / "missing.xlsx").string(), out}, err), 0);
    EXPECT_NE(err.find("找不到文件"), std::string::npos) << err;
    EXPECT_NE(convert({(kCorpus / "xlsx/xlsxwriter_simple01.xlsx").string(), (dir / "no/dir/x.xlsx").string()}, err), 0);
    EXPECT_NE(err.find("不存在"), std::string::npos) << err;
    EXPECT_EQ(convert({"only-one-argument"}, err), 2);
    EXPECT_NE(err.find("用法"), std::string::npos);
    fs::remove_all(dir);
}

}  // namespace
