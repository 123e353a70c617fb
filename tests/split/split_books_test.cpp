// The split into workbooks, run headless on the real engine with scripted answers.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "SplitTestSupport.h"
#include "base/AutomationError.h"
#include "automation/Constants.h"
#include "split/SplitIntoBooks.h"
#include "spreadsheet/SafeSave.h"

namespace lorvane::split {
namespace {

namespace fs = std::filesystem;
using testing::Row;
using Texts = std::vector<std::vector<std::string>>;

class SplitBooks : public testing::SplitFixture {
protected:
    fs::path dir;
    fs::path folder;

    void SetUp() override {
        SplitFixture::SetUp();
        dir = fs::temp_directory_path() /
              ("split_books_" + std::to_string(::getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        folder = dir / "分表";
    }
    void TearDown() override { fs::remove_all(dir); }

    runs::RunOutcome run(const SplitRequest& r) { return runSplitIntoBooks(r, *app, *book, (dir / "总表.xlsx").string(), ui); }

    std::vector<std::string> filesOut() const {
        std::vector<std::string> out;
        if (!fs::exists(folder)) return out;
        for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    // Opens a written workbook in an application of its own.
    struct Opened {
        std::shared_ptr<Application> app = CreateObjectAs<Application>("Excel.Application");
        Workbook* book = nullptr;
        Worksheet* sheet() { return book->GetSheets()(1); }
    };
    Opened open(const std::string& name) {
        Opened o;
        o.book = o.app->Workbooks().Open((folder / name).string());
        return o;
    }

    // A refused run changed nothing: no folder, the source open, the application on show.
    void expectRefused(const runs::RunOutcome& out) {
        EXPECT_EQ(out.status, runs::RunOutcome::Status::Refused);
        EXPECT_FALSE(fs::exists(folder));
        EXPECT_TRUE(book->isOpen());
        EXPECT_FALSE(app->quit());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, out.message);
        EXPECT_EQ(ui.exitsScheduled, 1);
        EXPECT_FALSE(ui.noticeVisible());
    }
};

TEST_F(SplitBooks, OneWorkbookPerKeyInTheFolder分表) {
    fill({{"部门", "姓名", "金额"}, {"张三", "甲", 10}, {"李四", "乙", 20}, {"张三", "丙", 30}});
    master->Columns(2).SetColumnWidth(20);
    master->GetRange("C2:C4").SetNumberFormat("0.00");
    ui.answers.push_back(runs::Answer::Yes);
    struct Order : ApplicationObserver {
        std::vector<std::string> closed;
        void workbookClosed(Workbook* b) override { closed.push_back(b->Name()); }
    } order;
    app->setObserver(&order);
    runs::RunOutcome out = run(request("A", "1"));
    app->setObserver(nullptr);

    ASSERT_TRUE(out.ok()) << out.message;
    EXPECT_EQ(filesOut(), (std::vector<std::string>{"张三.xlsx", "李四.xlsx"}));
    EXPECT_EQ(order.closed, (std::vector<std::string>{"张三.xlsx", "李四.xlsx", "工作簿1"}));
    Opened first = open("张三.xlsx");
    EXPECT_EQ(namesOf(first.book), std::vector<std::string>{"张三"});
    EXPECT_EQ(texts(first.sheet(), 3), (Texts{{"部门", "姓名", "金额"}, {"张三", "甲", "10"}, {"张三", "丙", "30"}}));
    // The text format comes after the master's formats here, so it stays on the block.
    EXPECT_EQ(first.sheet()->Cells(2, 3).NumberFormat(), "@");
    EXPECT_EQ(first.sheet()->Columns(2).ColumnWidth(), 20);

    EXPECT_FALSE(book->isOpen());  // closed without saving
    EXPECT_TRUE(app->quit());
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "拆分完成，运行总时间：0秒！");
    EXPECT_EQ(ui.messages[1].text, "数据拆分完成，是否要打开“分表”文件夹？");
    EXPECT_EQ(ui.messages[1].title, "温馨提示");
    EXPECT_EQ(ui.messages[1].icon, runs::Icon::Question);
    EXPECT_EQ(ui.messages[1].defaultButton, runs::Answer::No);
    EXPECT_EQ(ui.opened, std::vector<std::string>{(folder / "").string()});
    EXPECT_EQ(ui.exitsScheduled, 1);
    EXPECT_FALSE(ui.noticeVisible());
}

TEST_F(SplitBooks, ASecondRunReplacesItsFilesAndLeavesOthers) {
    fs::create_directories(folder);
    std::ofstream(folder / "张三.xlsx") << "old";
    std::ofstream(folder / "旧部门.xlsx") << "keep";
    fill({{"部门", "值"}, {"张三", 1}, {Variant(), 2}});
    runs::RunOutcome out = run(request("A", "1"));
    ASSERT_TRUE(out.ok()) << out.message;
    EXPECT_EQ(filesOut(), (std::vector<std::string>{"张三.xlsx", "旧部门.xlsx", "空.xlsx"}));
    EXPECT_EQ(texts(open("张三.xlsx").sheet(), 2), (Texts{{"部门", "值"}, {"张三", "1"}}));
    EXPECT_EQ(texts(open("空.xlsx").sheet(), 2), (Texts{{"部门", "值"}, {"", "2"}}));
    EXPECT_TRUE(ui.opened.empty());  // the question's default is No
}

TEST_F(SplitBooks, KeptFooterSitsBelowTheDataInEveryWorkbook) {
    fill({{"部门", "值"}, {"甲", 1}, {"乙", 2}, {"甲", 3}, {"制表人：王", Variant()}});
    SplitRequest r = request("A", "1");
    r.footerFlag = r.keep = "是";
    r.footerRows = "1";
    ASSERT_TRUE(run(r).ok());
    EXPECT_EQ(texts(open("甲.xlsx").sheet(), 2), (Texts{{"部门", "值"}, {"甲", "1"}, {"甲", "3"}, {"制表人：王", ""}}));
    EXPECT_EQ(texts(open("乙.xlsx").sheet(), 2), (Texts{{"部门", "值"}, {"乙", "2"}, {"制表人：王", ""}}));
}

TEST_F(SplitBooks, AMasterWithoutDataRowsMakesTheFolderAndAsksAllTheSame) {
    fill({{"部门", "值"}});
    ASSERT_TRUE(run(request("A", "1")).ok());
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(filesOut().empty());
    EXPECT_FALSE(book->isOpen());
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"拆分完成，运行总时间：0秒！", "数据拆分完成，是否要打开“分表”文件夹？"}));
}

TEST_F(SplitBooks, KeysThatCannotNameAFileInside分表AreRefused) {
    fill({{"部门"}, {"好"}, {".."}, {"a\"b"}, {"<x>"}, {"报表"}, {"报表.xlsx"}, {"Ab"}, {"aB"}});
    runs::RunOutcome out = run(request("A", "1"));
    expectRefused(out);
    for (const char* part : {"“..”（第3行）", "“a\"b”（第4行）", "“<x>”（第5行）", "“报表.xlsx”（第7行）与“报表”（第6行）的文件名相同",
                             "“aB”（第9行）与“Ab”（第8行）只有字母大小写不同"})
        EXPECT_NE(out.message.find(part), std::string::npos) << part << "\n" << out.message;
    EXPECT_EQ(out.message.find("“好”"), std::string::npos);
}

TEST_F(SplitBooks, RefusedWhen分表IsAFileOrAKeysFileIsAFolder) {
    fill({{"部门"}, {"甲"}});
    std::ofstream(folder) << "not a folder";
    runs::RunOutcome out = run(request("A", "1"));
    EXPECT_EQ(out.status, runs::RunOutcome::Status::Refused);
    EXPECT_TRUE(fs::is_regular_file(folder));
    EXPECT_TRUE(book->isOpen());

    fs::remove(folder);
    fs::create_directories(folder / "甲.xlsx");
    ui = runs::ScriptedUi{};
    out = run(request("A", "1"));
    EXPECT_EQ(out.status, runs::RunOutcome::Status::Refused);
    EXPECT_NE(out.message.find("是一个文件夹"), std::string::npos) << out.message;
    EXPECT_TRUE(book->isOpen());
}

TEST_F(SplitBooks, AFailurePartWaySaysWhichFilesWereWritten) {
    fill({{"部门"}, {"甲"}, {"乙"}, {"丙"}});
    struct FailOnThirdBook : ApplicationObserver {
        int opened = 0;
        void workbookOpened(Workbook*) override {
            if (++opened == 3) throw AutomationError(errc::kMethodFailed, "内存不足，无法新建工作簿。");
        }
    } failing;
    app->setObserver(&failing);
    runs::RunOutcome out = run(request("A", "1"));
    app->setObserver(nullptr);

    EXPECT_EQ(out.status, runs::RunOutcome::Status::Failed);
    EXPECT_EQ(filesOut(), (std::vector<std::string>{"乙.xlsx", "甲.xlsx"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string& text = ui.messages[0].text;
    EXPECT_EQ(text.rfind("拆分没有完成：内存不足，无法新建工作簿。", 0), 0u) << text;
    EXPECT_NE(text.find("（2 个）：“甲.xlsx”、“乙.xlsx”"), std::string::npos) << text;
    EXPECT_TRUE(book->isOpen());
    EXPECT_FALSE(app->quit());
    EXPECT_TRUE(app->Visible());
    EXPECT_TRUE(app->DisplayAlerts());
    EXPECT_TRUE(app->ScreenUpdating());
    EXPECT_EQ(ui.exitsScheduled, 1);
    EXPECT_FALSE(ui.noticeVisible());
}

// Workbooks reach the disk while the next ones are made; a disk failure on one of them still
// ends the run as failed, naming that file, and the files that were written are listed.
TEST_F(SplitBooks, AWorkbookTheDiskRefusesIsReportedAndNotListed) {
    fill({{"部门"}, {"甲"}, {"乙"}, {"丙"}});
    int writes = 0;
    sheet::setSaveFailureHook([&](sheet::SaveStage s) { return s == sheet::SaveStage::Write && ++writes == 2 ? ENOSPC : 0; });
    runs::RunOutcome out = run(request("A", "1"));
    sheet::setSaveFailureHook({});

    EXPECT_EQ(out.status, runs::RunOutcome::Status::Failed);
    EXPECT_EQ(filesOut(), (std::vector<std::string>{"丙.xlsx", "甲.xlsx"}));
    EXPECT_EQ(out.made, (std::vector<std::string>{(folder / "甲.xlsx").string(), (folder / "丙.xlsx").string()}));
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string& text = ui.messages[0].text;
    EXPECT_EQ(text.rfind("拆分没有完成：无法保存“乙.xlsx”：磁盘空间不足。", 0), 0u) << text;
    EXPECT_NE(text.find("（2 个）：“甲.xlsx”、“丙.xlsx”"), std::string::npos) << text;
    EXPECT_TRUE(book->isOpen());
    EXPECT_FALSE(app->SaveInBackground());
    EXPECT_TRUE(app->DisplayAlerts());
}

// A stop asked for between two workbooks: the files already written are whole and listed, no
// other file appears, the source stays open and unchanged, and no question about 分表.
TEST_F(SplitBooks, AStopBetweenWorkbooksLeavesOnlyWholeFiles) {
    fill({{"部门"}, {"甲"}, {"乙"}, {"丙"}});
    ui.stepMs = 1000;
    ui.cancelAfter = 2;
    runs::RunOutcome out = run(request("A", "1"));
    EXPECT_EQ(out.status, runs::RunOutcome::Status::Cancelled);
    EXPECT_EQ(filesOut(), (std::vector<std::string>{"乙.xlsx", "甲.xlsx"}));
    for (const char* name : {"甲.xlsx", "乙.xlsx"}) EXPECT_EQ(open(name).sheet()->Cells(2, 1).Value(), Variant(std::string(name, std::strlen(name) - 5)));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("已取消拆分。", 0), 0u) << ui.messages[0].text;
    EXPECT_NE(ui.messages[0].text.find("（2 个）"), std::string::npos) << ui.messages[0].text;
    EXPECT_EQ(ui.progress.front(), "正在写入 1/3：甲.xlsx");
    EXPECT_TRUE(book->isOpen());
    EXPECT_TRUE(ui.opened.empty());
    EXPECT_FALSE(ui.noticeVisible());
}

}  // namespace
}  // namespace lorvane::split
