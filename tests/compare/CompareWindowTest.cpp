// The windows 对比 and 调用, driven by their control names with real clicks and focus moves:
// the OK checks in their order, the list checks on leaving the column lists, the runs through
// the windows in one workbook and across two, and the closing of workbook 2.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <unistd.h>

#include "DesktopFixture.h"
#include "automation/Constants.h"
#include "automation/Conversions.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "compare/CompareWindows.h"

namespace lorvane::shell::testing {
namespace {

namespace fs = std::filesystem;

class CompareWindowTest : public DesktopTest {
protected:
    fs::path dir, file1, file2;

    void SetUp() override {
        DesktopTest::SetUp();
        dir = fs::temp_directory_path() / ("compare-window-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        file1 = dir / "名单.xlsx";
        file2 = dir / "参照.xlsx";
        auto app = CreateObjectAs<Application>("Excel.Application");
        Workbook* b = app->Workbooks().Add();
        Worksheet* one = b->Worksheets()(1);
        one->SetName("表一");
        Worksheet* two = b->Worksheets().AddAfter(one);
        two->SetName("表二");
        const char* rows1[][2] = {{"工号", "部门"}, {"K1", ""}, {"K2", ""}, {"K3", ""}};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 2; ++c)
                if (*rows1[r][c]) one->Cells(r + 1, c + 1).SetValue(Variant(rows1[r][c]));
        const char* rows2[][2] = {{"工号", "部门"}, {"K3", "财务"}, {"K1", "销售"}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 2; ++c) two->Cells(r + 1, c + 1).SetValue(Variant(rows2[r][c]));
        b->SaveAs(file1.string(), xlOpenXMLWorkbook);
        b->Close(false);
        Workbook* other = app->Workbooks().Add();
        other->Worksheets()(1)->SetName("参照");
        other->Worksheets()(1)->Cells(1, 1).SetValue(Variant("工号"));
        other->Worksheets()(1)->Cells(2, 1).SetValue(Variant("K2"));
        other->Worksheets()(1)->Cells(1, 2).SetValue(Variant("部门"));
        other->Worksheets()(1)->Cells(2, 2).SetValue(Variant("后勤"));
        other->SaveAs(file2.string(), xlOpenXMLWorkbook);
        other->Close(false);
        session->openWorkbook = [](Application& a, const std::string& path) { return a.Workbooks().Open(path); };
    }
    void TearDown() override {
        DesktopTest::TearDown();
        fs::remove_all(dir);
    }

    // From the main window through 对比调用 to `button`'s window.
    Form* open(const char* button, const char* window) {
        ui.answers = {Answer::Yes};
        QTest::mouseClick(child<QPushButton>(main, "对比两个表格数据"), Qt::LeftButton);
        Form* chooser = session->findByName("对比调用");
        EXPECT_NE(chooser, nullptr);
        if (!chooser) return nullptr;
        QTest::mouseClick(child<QPushButton>(chooser, button), Qt::LeftButton);
        Form* w = session->findByName(window);
        EXPECT_NE(w, nullptr);
        if (w) activate(w);
        ui.messages.clear();
        return w;
    }
    void click(Form* w, const char* name) {
        activate(w);
        QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton);
    }
    void chooseBook(Form* w, const char* button, const fs::path& file) {
        ui.fileChoices = {file.string()};
        click(w, button);
    }
    static void choose(Form* w, const char* combo, const char* item) {
        auto* c = child<QComboBox>(w, combo);
        int i = c->findText(QString::fromUtf8(item));
        EXPECT_GE(i, 0) << item;
        c->setCurrentIndex(i);
        w->fireClick(c);
    }
    static void type(Form* w, const char* box, const char* text) {
        QWidget* c = w->control(box);
        if (auto* e = qobject_cast<QLineEdit*>(c)) e->setText(QString::fromUtf8(text));
        else if (auto* cb = qobject_cast<QComboBox*>(c)) cb->setEditText(QString::fromUtf8(text));
    }
    void ok(Form* w) {
        ui.messages.clear();
        click(w, "确定");
    }
    Workbook* book1(Form* w) { return w ? static_cast<compare::TwoTableWindow*>(w)->Workbook1 : nullptr; }
    Workbook* book2(Form* w) { return w ? static_cast<compare::TwoTableWindow*>(w)->Workbook2 : nullptr; }
    void gone() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

TEST_F(CompareWindowTest, OkChecksInTheirOrderThenTheMarkingRun) {
    Form* w = open("对比数据", "对比");
    ASSERT_NE(w, nullptr);
    auto expectRefused = [&](const char* text) {
        ok(w);
        ASSERT_FALSE(ui.messages.empty());
        EXPECT_NE(ui.messages.back().text.find(text), std::string::npos) << ui.messages.back().text;
        EXPECT_EQ(ui.messages.back().title, kProgramTitle);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(ui.exitsScheduled, 0);
    };
    expectRefused("您未选择第一个表格文件！");
    // A typed path opens nothing.
    type(w, "book1", file1.string().c_str());
    setTextOf(w->control("book2"), QString::fromStdString(file1.string()));
    choose(w, "表底文字1", "否");
    setTextOf(w->control("表名1"), QStringLiteral("表一"));
    setTextOf(w->control("表名2"), QStringLiteral("表二"));
    type(w, "标题行数1", "1");
    type(w, "对比列1", "A");
    type(w, "标题行数2", "1");
    type(w, "对比列2", "A");
    expectRefused("第一个表格的工作薄没有打开");

    chooseBook(w, "选择1", file1);
    EXPECT_EQ(textOf(w->control("表名1")), QStringLiteral("请选择要对比的工作表名称"));
    EXPECT_EQ(textOf(w->control("book2")), QString::fromStdString(file1.string()));
    expectRefused("您未选择第一个表格要对比的工作表名称！");
    choose(w, "表名1", "表一");
    type(w, "标题行数1", "");
    expectRefused("第一个表格的标题行数未输入");
    type(w, "标题行数1", "x");
    expectRefused("第一个表格的标题行数未输入");
    type(w, "标题行数1", "1");
    type(w, "对比列1", "");
    expectRefused("您未输入【表格一】中的【对比列】，请先输入！");
    type(w, "对比列1", "a");
    expectRefused("您输入【表格一】中的【对比列】不是数字或大字字母，请重新输入！");
    type(w, "对比列1", "XFE");
    expectRefused("不是工作表中的列");
    type(w, "对比列1", "A");
    choose(w, "表底文字1", "是");
    expectRefused("请正确输入第一个表格的表底行数");
    choose(w, "表底文字1", "否");
    setTextOf(w->control("book2"), QString());
    expectRefused("您未选择第二个表格文件！");
    setTextOf(w->control("book2"), QString::fromStdString(file1.string()));
    expectRefused("您未选择第二个表格要对比的工作表名称！");
    choose(w, "表名2", "表二");
    type(w, "标题行数2", "");
    expectRefused("第二个表格的标题行数未输入");
    type(w, "标题行数2", "1");
    type(w, "对比列2", "");
    expectRefused("您未输入【表格二】中的【对比列】，请先输入！");
    type(w, "对比列2", "A1");
    expectRefused("您输入【表格二】中的【对比列】不是数字或大字字母，请重新输入！");
    type(w, "对比列2", "1");
    choose(w, "表底文字2", "是");
    type(w, "表底文字行数2", "");
    expectRefused("请正确输入第二个表格的表底行数");
    choose(w, "表底文字2", "否");
    type(w, "标题行数1", "4");
    expectRefused("没有数据行");
    type(w, "标题行数1", "1");
    Workbook* b = book1(w);
    ASSERT_TRUE(b && b->isOpen());
    EXPECT_EQ(b->Worksheets()("表一")->UsedRange().rect().col2, 2);

    ok(w);
    gone();
    EXPECT_EQ(session->findByName("对比"), nullptr);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, "对比完成，运行总时间：0秒！");
    EXPECT_EQ(ui.exitsScheduled, 1);
    ASSERT_TRUE(b->isOpen());
    Worksheet* one = b->Worksheets()("表一");
    EXPECT_EQ(convert::toText(one->Cells(2, 3).Value()), "存在");
    EXPECT_EQ(convert::toText(one->Cells(3, 3).Value()), "不存在");
    EXPECT_EQ(convert::toText(one->Cells(4, 3).Value()), "存在");
}

TEST_F(CompareWindowTest, ExtractBothAcrossTwoWorkbooksClosesTheSecond) {
    Form* w = open("对比数据", "对比");
    ASSERT_NE(w, nullptr);
    chooseBook(w, "选择1", file1);
    choose(w, "是否同一个", "否");
    EXPECT_FALSE(w->control("选择2")->isHidden());
    chooseBook(w, "选择2", file2);
    EXPECT_EQ(textOf(w->control("book2")), QString::fromStdString(file2.string()));
    choose(w, "表名1", "表一");
    type(w, "标题行数1", "1");
    type(w, "对比列1", "A");
    choose(w, "表名2", "参照");
    type(w, "标题行数2", "1");
    type(w, "对比列2", "A");
    choose(w, "显示方式", "将“存在”和“不存在”都提取到新建工作表中");
    Workbook* b = book1(w);
    Workbook* other = book2(w);
    ASSERT_TRUE(other && other != b);
    ok(w);
    gone();
    EXPECT_EQ(ui.messages.back().text, "对比完成，运行总时间：0秒！");
    EXPECT_FALSE(other->isOpen());
    ASSERT_TRUE(b->isOpen());
    Worksheet* found = b->Worksheets().Find("对比结果“存在”数据");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(convert::toText(found->Cells(2, 1).Value()), "K2");
    EXPECT_EQ(convert::toText(b->Worksheets()("对比结果“不存在”数据")->Cells(3, 1).Value()), "K3");
    EXPECT_EQ(b->Parent()->ActiveSheet(), found);
}

// The same file chosen for both tables is one workbook: the run must not close it at its end.
TEST_F(CompareWindowTest, TheSameFileChosenTwiceIsOneWorkbook) {
    Form* w = open("对比数据", "对比");
    ASSERT_NE(w, nullptr);
    chooseBook(w, "选择1", file1);
    choose(w, "是否同一个", "否");
    chooseBook(w, "选择2", file1);
    Workbook* b = book1(w);
    EXPECT_EQ(book2(w), b);
    choose(w, "表名1", "表一");
    type(w, "标题行数1", "1");
    type(w, "对比列1", "A");
    choose(w, "表名2", "表二");
    type(w, "标题行数2", "1");
    type(w, "对比列2", "A");
    ok(w);
    gone();
    EXPECT_EQ(ui.messages.back().text, "对比完成，运行总时间：0秒！");
    ASSERT_TRUE(b->isOpen());
    EXPECT_EQ(convert::toText(b->Worksheets()("表一")->Cells(3, 3).Value()), "不存在");
}

TEST_F(CompareWindowTest, CloseAndANewFirstChoiceCloseWorkbookTwo) {
    Form* w = open("对比数据", "对比");
    ASSERT_NE(w, nullptr);
    chooseBook(w, "选择1", file1);
    choose(w, "是否同一个", "否");
    chooseBook(w, "选择2", file2);
    Workbook* other = book2(w);
    ASSERT_TRUE(other && other->isOpen());
    chooseBook(w, "选择1", file1);
    EXPECT_FALSE(other->isOpen());
    EXPECT_TRUE(textOf(w->control("book2")).isEmpty());
    chooseBook(w, "选择2", file2);
    other = book2(w);
    Workbook* b = book1(w);
    click(w, "关闭");
    gone();
    EXPECT_EQ(session->findByName("对比"), nullptr);
    EXPECT_FALSE(other->isOpen());
    EXPECT_FALSE(b->isOpen());
    EXPECT_TRUE(main->isVisible());
}

TEST_F(CompareWindowTest, FillListChecksOnLeavingAndTheFillRun) {
    Form* w = open("填充数据", "调用");
    ASSERT_NE(w, nullptr);
    chooseBook(w, "选择1", file1);
    choose(w, "表名1", "表一");
    type(w, "标题行数1", "1");
    type(w, "依据列1", "A");
    // One message per wrong entry on leaving the box; "3,5,6" is one number and passes.
    type(w, "填充列号", "C,5,c");
    activate(w);
    w->control("填充列号")->setFocus();
    ui.messages.clear();
    QTest::keyClick(w->control("填充列号"), Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"您输入的【填充列号】不是数字或大字字母，请重新输入！",
                                                    "您输入的【填充列号】不是数字或大字字母，请重新输入！"}));
    type(w, "调用列号", "3,5,6");
    w->control("调用列号")->setFocus();
    ui.messages.clear();
    QTest::keyClick(w->control("调用列号"), Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ui.messages.empty());

    // The same sheet twice in one workbook is refused on picking it.
    choose(w, "表名2", "表一");
    EXPECT_EQ(lastMessage(), "您所选择的两个表格是同一个，请重新选择！");
    choose(w, "表名2", "表二");
    type(w, "标题行数2", "1");
    type(w, "依据列2", "A");
    type(w, "调用列号", "B,C");
    ok(w);
    EXPECT_EQ(ui.messages.back().text, "您输入的【填充列号】不是数字或大字字母，请重新输入！");
    type(w, "填充列号", "B,,C");
    ok(w);
    EXPECT_NE(ui.messages.back().text.find("是空的"), std::string::npos);
    type(w, "填充列号", "B,C,D");
    ok(w);
    EXPECT_EQ(ui.messages.back().text, "【填充表格】中的【填充列号】数量不能大于【调用表格】中的【调用列号】数量，请核对！");
    EXPECT_TRUE(w->isVisible());
    type(w, "填充列号", "B");
    Workbook* b = book1(w);
    ok(w);
    gone();
    EXPECT_EQ(session->findByName("调用"), nullptr);
    EXPECT_EQ(ui.messages.back().text, "填充完成，运行总时间：0秒！");
    Worksheet* result = b->Worksheets().Find("表一（填充结果）");
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->Index(), 2);
    EXPECT_EQ(convert::toText(result->Cells(2, 2).Value()), "销售");
    EXPECT_EQ(convert::toText(result->Cells(3, 2).Value()), "");
    EXPECT_EQ(convert::toText(result->Cells(4, 2).Value()), "财务");
}

}  // namespace
}  // namespace lorvane::shell::testing
