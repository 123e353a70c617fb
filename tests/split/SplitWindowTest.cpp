// The split options and confirmation windows, driven by their control names: the OK check in
// its order, 修改 and 关闭, and the whole road from the main window to the split sheets.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "DesktopFixture.h"
#include "automation/Workbook.h"

namespace lorvane::shell::testing {
namespace {

struct SplitWindows {
    const char* button;   // on main
    const char* options;
    const char* confirm;
};
const SplitWindows kWindows[] = {
    {"拆分总表", "选择要拆分工作薄的汇总表", "拆分汇总表提醒"},
    {"拆分成单薄", "选择要拆分工作薄总表到单工作薄", "拆分汇总表到单薄提醒"},
};

class SplitWindowTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        // A master sheet 总表 with one title row and the keys B, A, B, C, and a second sheet.
        session->openWorkbook = [](Application& app, const std::string&) -> Workbook* {
            Workbook* b = app.Workbooks().Add();
            Worksheet* master = b->GetSheets().Item(1);
            master->SetName("总表");
            const char* rows[][2] = {{"部门", "姓名"}, {"B", "张三"}, {"A", "李四"}, {"B", "王五"}, {"C", "赵六"}};
            for (int r = 0; r < 5; ++r)
                for (int c = 0; c < 2; ++c) master->Cells(r + 1, c + 1).SetValue(rows[r][c]);
            b->GetSheets().AddAfter(master)->SetName("说明");
            b->SetSaved(true);
            return b;
        };
    }

    Form* openOptions(const SplitWindows& w) {
        ui.answers = {Answer::Yes, Answer::Yes};
        ui.fileChoices = {"/data/master.xlsx"};
        main->fireClick(child(main, w.button));
        Form* options = session->findByName(w.options);
        EXPECT_NE(options, nullptr);
        if (options) activate(options);
        return options;
    }
    void chooseSheet(Form* options, const char* name) {
        auto* list = child<QComboBox>(options, "工作表列表");
        list->setCurrentIndex(list->findText(QString::fromUtf8(name)));
        options->fireClick(list);
    }
    void type(Form* w, const char* box, const char* text) { child<QLineEdit>(w, box)->setText(QString::fromUtf8(text)); }
    void ok(Form* w) {
        ui.messages.clear();
        w->fireClick(child(w, "确定"));
    }
    // From main to the confirmation window with the master 总表, key column A and one title row.
    Form* reachConfirmation(const SplitWindows& w) {
        Form* options = openOptions(w);
        if (!options) return nullptr;
        chooseSheet(options, "总表");
        type(options, "依据列", "A");
        type(options, "标题行数", "1");
        ok(options);
        return session->findByName(w.confirm);
    }
};

TEST_F(SplitWindowTest, ChoosingTheMasterActivatesItAndMovesToTheKeyColumn) {
    Form* options = openOptions(kWindows[0]);
    ASSERT_NE(options, nullptr);
    chooseSheet(options, "说明");
    EXPECT_EQ(session->SourceWorkbook->ActiveSheet()->Name(), "说明");
    EXPECT_EQ(focusName(options), QStringLiteral("依据列"));
}

TEST_F(SplitWindowTest, OkCheckStopsAtTheFirstFailureInItsOrder) {
    struct Step {
        bool chooseMaster;
        const char* key;
        const char* titleRows;
        const char* message;  // nullptr: passes to the confirmation window
        const char* title;
    };
    const Step steps[] = {
        {false, "C", "1", "您还未选择总表名称，请先选择总表名称！", "提示"},
        {true, "", "1", "您未输入【拆分依据列】，请先输入！", kProgramTitle},
        {true, "c", "1", "您输入的【拆分依据列】不是数字或大字字母，请重新输入！", kProgramTitle},
        {true, "C3", "1", "您输入的【拆分依据列】不是数字或大字字母或输入有误，请重新输入！", kProgramTitle},
        {true, "ABCD", "1", "您输入的【拆分依据列】错误，请重新输入！", kProgramTitle},
        {true, "A", "x", "您未输入标题行数或输入的标题行数不是数字，请重新输入！\n\n如果没有标题行，请输入“0”！", "提示"},
        {true, "A", "", "您未输入标题行数或输入的标题行数不是数字，请重新输入！\n\n如果没有标题行，请输入“0”！", "提示"},
        {true, "A", "1", nullptr, nullptr},
    };
    for (const auto& w : kWindows) {
        for (const auto& s : steps) {
            SCOPED_TRACE(std::string(w.options) + " key=" + s.key + " title=" + s.titleRows);
            Form* options = openOptions(w);
            ASSERT_NE(options, nullptr);
            if (s.chooseMaster) chooseSheet(options, "总表");
            type(options, "依据列", s.key);
            type(options, "标题行数", s.titleRows);
            ok(options);
            if (s.message) {
                ASSERT_EQ(ui.messages.size(), 1u);
                EXPECT_EQ(ui.messages[0].text, s.message);
                EXPECT_EQ(ui.messages[0].title, s.title);
                EXPECT_TRUE(options->isVisible());
                EXPECT_EQ(session->findByName(w.confirm), nullptr);
                if (std::string(s.message).find("标题行数") != std::string::npos)
                    EXPECT_EQ(focusName(options), QStringLiteral("标题行数"));
            } else {
                EXPECT_TRUE(ui.messages.empty());
                EXPECT_FALSE(options->isVisible());
                Form* confirm = session->findByName(w.confirm);
                ASSERT_NE(confirm, nullptr);
                EXPECT_EQ(child<QLineEdit>(confirm, "工作表名")->text(), QStringLiteral("总表"));
            }
            // Back to main for the next step.
            if (Form* confirm = session->findByName(w.confirm)) confirm->fireClick(child(confirm, "关闭"));
            else options->fireClick(child(options, "关闭"));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(main->isVisible());
        }
    }
}

TEST_F(SplitWindowTest, NumericKeyColumnOutsideTheSheetIsRefusedByOk) {
    for (const char* key : {"0", "-1", "2.5", "16385"}) {
        SCOPED_TRACE(key);
        Form* options = openOptions(kWindows[0]);
        ASSERT_NE(options, nullptr);
        chooseSheet(options, "总表");
        type(options, "依据列", key);
        type(options, "标题行数", "1");
        ok(options);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.messages[0].text.find("拆分依据列"), std::string::npos);
        EXPECT_EQ(session->findByName("拆分汇总表提醒"), nullptr);
        options->fireClick(child(options, "关闭"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(SplitWindowTest, ChangeGoesBackWithEntriesKeptAndCloseEndsTheOperation) {
    for (const auto& w : kWindows) {
        SCOPED_TRACE(w.options);
        Form* options = openOptions(w);
        ASSERT_NE(options, nullptr);
        chooseSheet(options, "总表");
        type(options, "依据列", "A");
        type(options, "标题行数", "1");
        ok(options);
        Form* confirm = session->findByName(w.confirm);
        ASSERT_NE(confirm, nullptr);
        confirm->fireClick(child(confirm, "修改"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(session->findByName(w.confirm), nullptr);
        EXPECT_TRUE(options->isVisible());
        EXPECT_EQ(child<QLineEdit>(options, "依据列")->text(), QStringLiteral("A"));

        ok(options);
        confirm = session->findByName(w.confirm);
        ASSERT_NE(confirm, nullptr);
        Workbook* book = session->SourceWorkbook;
        auto app = session->SpreadsheetApp;
        confirm->fireClick(child(confirm, "关闭"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(session->findByName(w.confirm), nullptr);
        EXPECT_EQ(session->findByName(w.options), nullptr);
        EXPECT_FALSE(book->isOpen());
        EXPECT_TRUE(app->quit());
        EXPECT_TRUE(main->isVisible());
    }
}

TEST_F(SplitWindowTest, ARefusedSplitKeepsTheWindowsAndChangesNothing) {
    Form* confirm = reachConfirmation(kWindows[0]);
    ASSERT_NE(confirm, nullptr);
    child<QLineEdit>(confirm, "工作表名")->setText(QStringLiteral("没有这个表"));
    ok(confirm);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("没有这个表"), std::string::npos);
    EXPECT_TRUE(confirm->isVisible());
    EXPECT_EQ(ui.exitsScheduled, 0);
    EXPECT_EQ(session->SourceWorkbook->GetSheets().Count(), 2);
}

// A split that would leave only a hidden master is refused while both windows are still
// there to correct the entry, not after they have gone.
TEST_F(SplitWindowTest, AHiddenMasterIsRefusedWhileTheWindowsStayOpen) {
    Form* confirm = reachConfirmation(kWindows[0]);
    ASSERT_NE(confirm, nullptr);
    Workbook* book = session->SourceWorkbook;
    book->GetSheets().Item("说明")->SetName("B");  // deleted by the split: key B
    book->GetSheets().Item("总表")->SetVisible(false);
    ui.messages.clear();
    QTest::mouseClick(child<QPushButton>(confirm, "确定"), Qt::LeftButton);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("隐藏"), std::string::npos) << ui.messages[0].text;
    EXPECT_TRUE(confirm->isVisible());
    EXPECT_EQ(ui.exitsScheduled, 0);
    EXPECT_EQ(book->GetSheets().Count(), 2);
    QTest::mouseClick(child<QPushButton>(confirm, "修改"), Qt::LeftButton);
    EXPECT_TRUE(session->findByName(kWindows[0].options)->isVisible());
}

// Absurd entries typed into the windows end in a message with the windows open, or in a
// finished split; never in an exception out of a handler or memory use beyond the sheet.
TEST_F(SplitWindowTest, AbsurdEntriesEndInAMessageOrAFinishedSplit) {
    struct Entry {
        const char* key;
        const char* titleRows;
        bool splits;
    };
    const Entry entries[] = {{"A", "-5", false}, {"A", "1e9", false}, {"XFE", "1", false},
                             {"99999", "1", false}, {"A", "１", false}, {"A", "100000", true}};
    for (const auto& w : kWindows) {
        for (const Entry& e : entries) {
            if (e.splits && &w != &kWindows[0]) continue;  // the split into sheets ends the program
            SCOPED_TRACE(std::string(w.options) + " " + e.key + " " + e.titleRows);
            Form* options = openOptions(w);
            ASSERT_NE(options, nullptr);
            chooseSheet(options, "总表");
            type(options, "依据列", e.key);
            type(options, "标题行数", e.titleRows);
            ui.messages.clear();
            ui.exitsScheduled = 0;
            QTest::mouseClick(child<QPushButton>(options, "确定"), Qt::LeftButton);
            Form* confirm = session->findByName(w.confirm);
            if (confirm) QTest::mouseClick(child<QPushButton>(confirm, "确定"), Qt::LeftButton);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            ASSERT_FALSE(ui.messages.empty());
            if (e.splits) {
                EXPECT_EQ(ui.messages.back().text.rfind("拆分完成", 0), 0u) << ui.messages.back().text;
                continue;
            }
            EXPECT_EQ(ui.messages.back().text.find("操作没有完成"), std::string::npos) << ui.messages.back().text;
            Form* open = session->findByName(w.confirm);
            if (!open) open = session->findByName(w.options);
            ASSERT_NE(open, nullptr);
            EXPECT_TRUE(open->isVisible());
            EXPECT_EQ(ui.exitsScheduled, 0);
            QTest::mouseClick(child<QPushButton>(open, "关闭"), Qt::LeftButton);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
}

TEST_F(SplitWindowTest, TheRoadFromMainToTheSplitSheets) {
    Form* confirm = reachConfirmation(kWindows[0]);
    ASSERT_NE(confirm, nullptr);
    ui.clock = 100;
    ok(confirm);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(session->findByName("拆分汇总表提醒"), nullptr);
    EXPECT_EQ(session->findByName("选择要拆分工作薄的汇总表"), nullptr);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, "拆分完成，运行总时间：0秒！");
    EXPECT_EQ(ui.noticeShown, ui.noticeHidden);
    EXPECT_EQ(ui.exitsScheduled, 1);
    Workbook* book = session->SourceWorkbook;
    ASSERT_TRUE(book->isOpen());
    std::vector<std::string> names;
    for (Worksheet* ws : book->GetSheets()) names.push_back(ws->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"总表", "说明", "B", "A", "C"}));
    EXPECT_EQ(book->GetSheets().Item("B")->Cells(3, 2).Value(), Variant("王五"));
    EXPECT_FALSE(book->Saved());  // left for the user to check and save
}

}  // namespace
}  // namespace lorvane::shell::testing
