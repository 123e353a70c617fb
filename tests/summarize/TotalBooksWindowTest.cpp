// The road of totalling a folder from the main window: the chooser, 选择要合计的工作表 with its
// type switches, its column and cell checks, every OK check in order, the save dialog and the
// question to open the result, with real clicks and key presses.
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <unistd.h>

#include "DesktopFixture.h"
#include "automation/Constants.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"

namespace lorvane::shell::testing {
namespace {

namespace fs = std::filesystem;
constexpr const char* kWindow = "选择要合计的工作表";

class TotalBooksWindowTest : public DesktopTest {
protected:
    fs::path dir;
    Form* w = nullptr;

    void SetUp() override {
        DesktopTest::SetUp();
        dir = fs::temp_directory_path() / ("total-books-window-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "in");
        double k = 1;
        for (const char* name : {"甲", "乙"}) {
            auto app = CreateObjectAs<Application>("Excel.Application");
            Workbook* b = app->Workbooks().Add();
            Sheets& sheets = b->Worksheets();
            sheets(1)->SetName("说明");
            Worksheet* ws = sheets.AddAfter(sheets(1));
            ws->SetName("明细");
            ws->Cells(1, 1).SetValue(Variant("费用表"));
            ws->Cells(2, 2).SetValue(Variant("金额"));
            for (int r = 3; r <= 5; ++r) ws->Cells(r, 2).SetValue(Variant(k * r));
            ws->Cells(6, 1).SetValue(Variant("制表"));
            b->SaveAs((dir / "in" / (std::string(name) + ".xlsx")).string(), xlOpenXMLWorkbook);
            b->Close(false);
            k = 10;
        }
        session->openWorkbook = [](Application& a, const std::string& path) { return a.Workbooks().Open(path); };
    }
    void TearDown() override {
        DesktopTest::TearDown();
        fs::remove_all(dir);
    }

    Form* open() {
        QTest::mouseClick(child<QPushButton>(main, "汇总各工作薄"), Qt::LeftButton);
        Form* chooser = session->findByName("汇总多工作薄");
        EXPECT_NE(chooser, nullptr);
        if (!chooser) return nullptr;
        ui.answers = {Answer::Yes};
        ui.fileChoices = {(dir / "in" / "甲.xlsx").string()};
        QTest::mouseClick(child<QPushButton>(chooser, "汇总数值"), Qt::LeftButton);
        w = session->findByName(kWindow);
        EXPECT_NE(w, nullptr);
        if (w) activate(w);
        ui.messages.clear();
        return w;
    }
    QWidget* c(const char* name) { return w->control(name); }
    QLineEdit* box(const char* name) { return child<QLineEdit>(w, name); }
    // Types into a text box and leaves it with Tab, as a user does.
    void type(const char* name, const QString& text) {
        QLineEdit* b = box(name);
        b->setFocus();
        b->selectAll();
        QTest::keyClick(b, Qt::Key_Delete);
        if (!text.isEmpty()) {
            // Chinese text and full-width punctuation arrive through the input method.
            QInputMethodEvent e;
            e.setCommitString(text);
            QApplication::sendEvent(b, &e);
        }
    }
    void leave(const char* name) { QTest::keyClick(box(name), Qt::Key_Tab); }
    // Picks the item `steps` down (negative: up) from the current one with the arrow keys.
    void pick(const char* name, int steps) {
        auto* combo = child<QComboBox>(w, name);
        combo->setFocus();
        for (int i = 0; i < std::abs(steps); ++i) QTest::keyClick(combo, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
    }
    void ok() { QTest::mouseClick(child<QPushButton>(w, "确定"), Qt::LeftButton); }
    bool shown(const char* name) { return c(name)->isVisible(); }
};

TEST_F(TotalBooksWindowTest, SheetNumberShowsItsNameActivatesItAndResetsTheFooter) {
    ASSERT_NE(open(), nullptr);
    auto* numbers = child<QComboBox>(w, "工作表号");
    ASSERT_EQ(numbers->count(), 2);
    EXPECT_EQ(textOf(c("工作表名")), QStringLiteral("说明"));
    pick("表底文字", 1);
    type("表底文字行数", "2");
    pick("工作表号", 1);
    EXPECT_EQ(textOf(c("工作表名")), QStringLiteral("明细"));
    EXPECT_EQ(session->SourceWorkbook->ActiveSheet()->Name(), "明细");
    EXPECT_EQ(textOf(c("表底文字")), QStringLiteral("否"));
    EXPECT_EQ(textOf(c("表底文字行数")), QString());
    EXPECT_EQ(focusName(w), QStringLiteral("标题行数"));
}

TEST_F(TotalBooksWindowTest, TotalTypeSwitchesCaptionWidthAndGroups) {
    ASSERT_NE(open(), nullptr);
    pick("表底文字", 1);  // 是: the footer rows show
    EXPECT_TRUE(shown("表底文字行数"));
    pick("合计类型", 1);
    EXPECT_EQ(textOf(c("合计类型")), QStringLiteral("指定某一列"));
    EXPECT_EQ(child<QLabel>(w, "列号1")->text(), QStringLiteral("指定列号"));
    EXPECT_EQ(c("位置1")->width(), 57);
    EXPECT_FALSE(shown("位置2"));
    EXPECT_FALSE(shown("列号2"));
    for (const char* n : {"Label7", "表底文字", "Label8", "表底文字行数", "Label5", "Label12", "最大行数", "Label14"})
        EXPECT_TRUE(shown(n)) << n;
    EXPECT_EQ(focusName(w), QStringLiteral("位置1"));

    pick("合计类型", 1);
    EXPECT_EQ(child<QLabel>(w, "列号1")->text(), QStringLiteral("指定单元格"));
    EXPECT_EQ(c("位置1")->width(), 241);
    for (const char* n : {"列号2", "位置2", "Label7", "表底文字", "Label8", "表底文字行数", "Label5", "Label12", "最大行数", "Label14"})
        EXPECT_FALSE(shown(n)) << n;
    EXPECT_EQ(focusName(w), QStringLiteral("位置1"));

    pick("合计类型", -2);
    EXPECT_EQ(child<QLabel>(w, "列号1")->text(), QStringLiteral("开始列号"));
    EXPECT_EQ(c("位置1")->width(), 57);
    for (const char* n : {"列号2", "位置2", "Label7", "表底文字", "Label8", "表底文字行数", "最大行数"}) EXPECT_TRUE(shown(n)) << n;
}

TEST_F(TotalBooksWindowTest, LeavingThePositionsChecksColumnsOrCells) {
    ASSERT_NE(open(), nullptr);
    struct Case {
        const char* field;
        QString text;
        std::string says;  // empty: no message
    };
    const Case columns[] = {
        {"位置1", "abcd", "您输入的【开始列号】错误，请重新输入！"},
        {"位置1", "a1", "您输入的【开始列号】不是数字或大字字母，请重新输入！"},
        {"位置1", "ab", ""},
        {"位置1", "3", ""},
        {"位置2", "XYZW", "您输入的【结束列号】错误，请重新输入！"},
        {"位置2", QStringLiteral("甲"), "您输入的【结束列号】不是数字或大字字母，请重新输入！"},
        {"位置2", "", ""},
    };
    for (const Case& k : columns) {
        SCOPED_TRACE(k.text.toStdString());
        ui.messages.clear();
        type(k.field, k.text);
        leave(k.field);
        EXPECT_EQ(lastMessage(), k.says);
    }
    pick("合计类型", 2);
    const Case cells[] = {
        {"位置1", "d3,,d6", "您输入的第{2}个【指定单元格】错误，“指定单元格”形式为EXCEL表格中的形式，如第3行第4个单元格为:D3，请重新输入！"},
        {"位置1", "d3,d6,", "第{3}个"},
        {"位置1", "", "第{1}个"},
        {"位置1", QStringLiteral(" d3 ，d6"), ""},
    };
    for (const Case& k : cells) {
        SCOPED_TRACE(k.text.toStdString());
        ui.messages.clear();
        type(k.field, k.text);
        leave(k.field);
        if (k.says.empty()) {
            EXPECT_TRUE(ui.messages.empty()) << lastMessage();
        } else {
            EXPECT_NE(lastMessage().find(k.says), std::string::npos) << lastMessage();
        }
    }
}

// Every OK check in order, each leaving the window open with the chosen workbook, then the run:
// the report, the save dialog, the question, and the result opened on Yes.
TEST_F(TotalBooksWindowTest, OkChecksInOrderThenTheRoadToTheOpenedResult) {
    ASSERT_NE(open(), nullptr);
    pick("工作表号", 1);
    auto refused = [&](const std::string& says, const char* focus) {
        ui.messages.clear();
        ok();
        EXPECT_NE(lastMessage().find(says), std::string::npos) << lastMessage();
        EXPECT_EQ(session->findByName(kWindow), w);
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(session->SourceWorkbook && session->SourceWorkbook->isOpen());
        if (focus) {
            EXPECT_EQ(focusName(w), QString::fromUtf8(focus));
        }
    };
    child<QComboBox>(w, "工作表号")->setFocus();
    child<QComboBox>(w, "工作表号")->lineEdit()->selectAll();
    QTest::keyClick(child<QComboBox>(w, "工作表号"), Qt::Key_Delete);
    refused("工作表号“”不对", "工作表号");
    pick("工作表号", -1);
    pick("工作表号", 1);
    refused("您输入的标题行数不是数字，请重新输入！", "标题行数");
    QTest::keyClicks(box("标题行数"), "2");
    EXPECT_EQ(focusName(w), QStringLiteral("合计类型"));
    refused("您未输入的【开始列号】，请先输入！", "位置1");
    type("位置1", "0");
    refused("您输入的【开始列号】错误，请重新输入！", "位置1");
    type("位置1", "a1");
    refused("您输入的【开始列号】不是数字或字母，请重新输入！", "位置1");
    type("位置1", "c");
    refused("您未输入的【结束列号】，请先输入！", "位置2");
    type("位置2", "XFE");
    refused("您输入的【结束列号】错误，请重新输入！", "位置2");
    type("位置2", "b");
    pick("表底文字", 1);
    refused("请正确输入表底行数，如没有表底文字，请将“表格是否有表底文字”选为“否”！", "表底文字行数");
    QTest::keyClicks(box("表底文字行数"), "1");
    refused("您输入的【结束列号】小于【开始列号】，请重新输入！", "位置2");
    type("位置1", "B");
    type("最大行数", "-1");
    refused("最大行数“-1”超出范围", "最大行数");
    type("最大行数", "");
    type("工作表名", QStringLiteral("一二三四五六七八九十一二三四五六七八九十一二三四五六七"));
    refused("不能超过31个字符", "工作表名");
    type("工作表名", QStringLiteral("明细"));
    type("最大行数", "3");  // 3 less 1 footer row: no row below the 2 title rows
    refused("没有要合计的数据行", nullptr);
    type("最大行数", "");

    ui.messages.clear();
    ui.fileChoices = {(dir / "合计").string()};
    ui.answers = {Answer::Yes};
    ok();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(session->findByName(kWindow), nullptr);
    ASSERT_GE(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[ui.messages.size() - 2].text.rfind("合计完成，运行总时间：", 0), 0u);
    EXPECT_EQ(ui.messages.back().text, "合计完成，是否要打开汇总结果？");
    EXPECT_EQ(ui.dialogTitles.back(), "请选择要保存在的文件夹");
    EXPECT_EQ(session->ChosenPath, dir.string() + "/");
    ASSERT_NE(session->SourceWorkbook, nullptr);  // the result, opened
    EXPECT_EQ(session->SourceWorkbook->FullName(), (dir / "合计.xlsx").string());
    Worksheet* s = session->SourceWorkbook->Worksheets()(1);
    EXPECT_EQ(s->Name(), "明细(汇总表)");
    EXPECT_EQ(s->Cells(3, 2).Value(), Variant(33.0));
    EXPECT_EQ(s->Cells(5, 2).Value(), Variant(55.0));
    EXPECT_EQ(s->Cells(6, 1).Value(), Variant("制表"));
    EXPECT_FALSE(main->isVisible());  // the countdown to the end has begun
}

TEST_F(TotalBooksWindowTest, GivenCellsRoadAndNoToTheQuestionShowsMain) {
    ASSERT_NE(open(), nullptr);
    pick("工作表号", 1);
    QTest::keyClicks(box("标题行数"), "0");
    pick("合计类型", 2);
    type("位置1", QStringLiteral("b3，B5"));
    ui.fileChoices = {(dir / "格").string()};
    ui.answers = {Answer::No};
    ok();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ui.messages.back().text, "合计完成，是否要打开汇总结果？");
    EXPECT_TRUE(main->isVisible());
    auto other = CreateObjectAs<Application>("Excel.Application");
    Worksheet* s = other->Workbooks().Open((dir / "格.xlsx").string())->Worksheets()(1);
    EXPECT_EQ(s->Cells(3, 2).Value(), Variant(33.0));
    EXPECT_EQ(s->Cells(5, 2).Value(), Variant(55.0));
}

}  // namespace
}  // namespace lorvane::shell::testing
