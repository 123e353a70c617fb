// Pieces every run shares: name sets, the outcome texts, the folder listing and the scans of
// a sheet's real bounds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "automation/Application.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "base/AutomationError.h"
#include "base/CellAddress.h"
#include "runs/FolderListing.h"
#include "runs/NameSet.h"
#include "runs/RunOutcome.h"
#include "runs/SheetScans.h"

namespace lorvane::runs {
namespace {

namespace fs = std::filesystem;

TEST(NameSets, IgnoreLetterCaseOnly) {
    NameSet names;
    EXPECT_EQ(names.insert("Abc", 0), -1);
    EXPECT_EQ(names.insert("aBC", 1), 0);
    EXPECT_EQ(names.insert("ＡＢＣ", 2), -1);  // full-width letters are other names...
    EXPECT_EQ(names.insert("ａｂｃ", 3), 2);   // ...that fold among themselves
    EXPECT_EQ(names.insert("Ärger", 4), -1);
    EXPECT_EQ(names.insert("ärger", 5), 4);
    EXPECT_EQ(names.insert("销售部", 6), -1);
    EXPECT_EQ(names.insert("销售部 ", 7), -1);
    EXPECT_EQ(names.find("ABC"), 0);
    EXPECT_EQ(names.find("xyz"), -1);
}

TEST(RunTexts, ErrorsAndNameLists) {
    EXPECT_EQ(errorText(AutomationError(errc::kBadFile, "文件已损坏。")), "文件已损坏。");
    EXPECT_EQ(errorText(std::bad_alloc()), "内存不足。");
    EXPECT_EQ(nameList({"甲", "乙"}), "“甲”、“乙”");
    EXPECT_EQ(nameList({"甲", "乙", "丙"}, 2), "“甲”、“乙”……等共 3 个");
    EXPECT_EQ(RunOutcome::refused("不行").status, RunOutcome::Status::Refused);
}

TEST(FolderListing, WorkbooksInListingOrderWithoutLockFiles) {
    EXPECT_TRUE(fileNameMatches("第03分公司.XLSX", "*.xls*"));
    EXPECT_TRUE(fileNameMatches("a.xls", "*.xls*"));
    EXPECT_TRUE(fileNameMatches("表一.xlsm", "表?.xls*"));
    EXPECT_FALSE(fileNameMatches("a.xl", "*.xls*"));
    EXPECT_FALSE(fileNameMatches("a.csv", "*.xls*"));
    EXPECT_FALSE(fileNameMatches("表一二.xlsx", "表?.xlsx"));

    fs::path dir = fs::temp_directory_path() / ("lorvane-listing-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "子文件夹.xlsx");
    for (const char* name : {"一.xlsx", "二.XLS", "~$一.xlsx", ".~lock.二.XLS#", ".隐藏.xlsx", "说明.txt"}) std::ofstream(dir / name) << "x";
    std::vector<std::string> listed = listFolder(dir.string());
    std::vector<std::string> expected;
    for (const auto& e : fs::directory_iterator(dir)) {
        std::string name = e.path().filename().string();
        if (name == "一.xlsx" || name == "二.XLS") expected.push_back(e.path().string());
    }
    EXPECT_EQ(listed, expected);
    try {
        listFolder((dir / "没有").string());
        ADD_FAILURE();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), errc::kPathNotFound);
    }
    fs::remove_all(dir);
}

TEST(SheetScans, LastColumnAndRowOverTheRealBounds) {
    auto app = CreateObjectAs<Application>("Excel.Application");
    Worksheet* ws = app->Workbooks().Add()->GetSheets()(1);
    ws->Cells(1, 300).SetValue(Variant("IN"));
    ws->Cells(2, kMaxColumns).SetValue(Variant("XFD"));
    ws->Cells(70000, 2).SetValue(Variant(1.0));
    ws->Cells(70001, 1).SetValue(Variant(""));
    EXPECT_EQ(lastColumnInRow(*ws, 1), 300);
    EXPECT_EQ(lastColumnInRow(*ws, 2), kMaxColumns);
    EXPECT_EQ(lastColumnInRow(*ws, 3), 0);
    EXPECT_EQ(lastFilledRow(*ws, kMaxRows, 0, 2), 70000);
    EXPECT_EQ(lastFilledRow(*ws, kMaxRows, 0, 1), 0);
    EXPECT_EQ(lastFilledRow(*ws, 69999, 0, 2), 0);
}

}  // namespace
}  // namespace lorvane::runs
