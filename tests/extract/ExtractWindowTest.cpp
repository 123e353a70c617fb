// The road of extracting columns from the main window: 选择需要提取的工作表 with its box
// rebuilding in both label forms, the limits and their messages, the checks of 确定, then
// 提取方法 with its descriptions and both buttons, driven with real clicks and key presses.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include <filesystem>
#include <unistd.h>

#include "DesktopFixture.h"
#include "automation/Constants.h"
#include "automation/Conversions.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "extract/ExtractWindows.h"

namespace lorvane::shell::testing {
namespace {

namespace fs = std::filesystem;
using extract::ExtractOptionsWindow;
constexpr const char* kOptions = "选择需要提取的工作表";
constexpr const char* kMethod = "提取方法";

class ExtractWindowTest : public DesktopTest {
protected:
    fs::path dir;
    ExtractOptionsWindow* w = nullptr;

    void SetUp() override {
        DesktopTest::SetUp();
        dir = fs::temp_directory_path() / ("extract-window-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        auto app = CreateObjectAs<Application>("Excel.Application");
        Workbook* b = app->Workbooks().Add();
        Sheets& sheets = b->Worksheets();
        // 工资: three title rows, the labels in row 2, a table of 30 columns from B2 (the
        // counts are the last column and row: 31 and 12).
        Worksheet* pay = sheets(1);
        pay->SetName("工资");
        pay->Cells(1, 2).SetValue(Variant("2024年工资表"));
        for (int c = 2; c <= 31; ++c) {
            pay->Cells(2, c).SetValue(Variant("项" + std::to_string(c)));
            pay->Cells(3, c).SetValue(Variant("单位" + std::to_string(c)));
            for (int r = 4; r <= 12; ++r) pay->Cells(r, c).SetValue(Variant(r * 100.0 + c));
        }
        Worksheet* wide = sheets.AddAfter(pay);
        wide->SetName("五十列");
        for (int c = 1; c <= 50; ++c) wide->Cells(1, c).SetValue(Variant("列" + std::to_string(c)));
        Worksheet* huge = sheets.AddAfter(wide);
        huge->SetName("百列");
        for (int c = 1; c <= 100; ++c) huge->Cells(1, c).SetValue(Variant(static_cast<double>(c)));
        b->SaveAs((dir / "工资表.xlsx").string(), xlOpenXMLWorkbook);
        b->Close(false);
        session->openWorkbook = [](Application& a, const std::string& path) { return a.Workbooks().Open(path); };
    }
    void TearDown() override {
        DesktopTest::TearDown();
        fs::remove_all(dir);
    }

    ExtractOptionsWindow* open() {
        ui.answers = {Answer::Yes, Answer::Yes};  // end the spreadsheet programs; the warning
        ui.fileChoices = {(dir / "工资表.xlsx").string()};
        QTest::mouseClick(child<QPushButton>(main, "提取指定行列数据"), Qt::LeftButton);
        w = dynamic_cast<ExtractOptionsWindow*>(session->findByName(kOptions));
        EXPECT_NE(w, nullptr);
        if (w) activate(w);
        ui.messages.clear();
        return w;
    }
    QComboBox* combo(const char* name) { return child<QComboBox>(w, name); }
    // Picks an item of a combo box from its opened list with the keyboard (F4, arrows, Enter),
    // as a user does: only the item picked is reported, even when it is the current one.
    void pick(const char* name, const QString& item) {
        QComboBox* box = combo(name);
        const int target = box->findText(item);
        ASSERT_GE(target, 0) << item.toStdString();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_F4);
        QAbstractItemView* list = box->view();
        ASSERT_TRUE(list->isVisible());
        const int from = std::max(0, list->currentIndex().row());
        for (int i = from; i < target; ++i) QTest::keyClick(list, Qt::Key_Down);
        for (int i = from; i > target; --i) QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Return);
    }
    // Replaces the text of 标题行数 key by key, as typed.
    void typeTitleRows(const QString& text) {
        auto* box = child<QLineEdit>(w, "标题行数");
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    QStringList shownCaptions(bool numbers) {
        QStringList out;
        for (int i = 0; i < (numbers ? 88 : 42); ++i) {
            QCheckBox* c = numbers ? w->check2(i) : w->check1(i);
            if (c->isVisibleTo(w)) out << c->text();
        }
        return out;
    }
    bool numberFrameShown() { return w->frame1(1)->isVisibleTo(w) && !w->frame1(0)->isVisibleTo(w); }
    std::vector<std::string> messages() {
        std::vector<std::string> out;
        for (const auto& m : ui.messages) out.push_back(m.text);
        ui.messages.clear();
        return out;
    }
    // A click on the box's square, where a user ticks it.
    static void tick(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }
    void ok() { QTest::mouseClick(child<QPushButton>(w, "确定"), Qt::LeftButton); }
};

TEST_F(ExtractWindowTest, BoxesFollowTheSheetTheTitleRowsTheLabelRowAndTheForm) {
    ASSERT_NE(open(), nullptr);
    pick("工作表列表", QStringLiteral("工资"));
    EXPECT_EQ(session->SourceWorkbook->ActiveSheet()->Name(), "工资");
    EXPECT_EQ(w->columnCount(), 31);  // the last used column, though the table starts at B
    EXPECT_EQ(w->rowCount(), 12);
    EXPECT_EQ(focusName(w), QStringLiteral("标题行数"));

    typeTitleRows("3");
    EXPECT_EQ(combo("列标题所在行数")->count(), 3);
    EXPECT_EQ(combo("列标题所在行数")->currentText(), QStringLiteral("3"));
    EXPECT_EQ(focusName(w), QStringLiteral("列标题所在行数"));
    QStringList names = shownCaptions(false);
    ASSERT_EQ(names.size(), 31);
    EXPECT_EQ(names[0], QString());
    EXPECT_EQ(names[1], QStringLiteral("单位2"));
    EXPECT_EQ(names[30], QStringLiteral("单位31"));

    // The label row need not be the last title row.
    pick("列标题所在行数", QStringLiteral("2"));
    EXPECT_EQ(shownCaptions(false)[1], QStringLiteral("项2"));
    EXPECT_EQ(focusName(w), QStringLiteral("列标形式"));

    // Ticks survive a change of form and come back with it.
    tick(w->check1(1));
    tick(w->check1(30));
    pick("列标形式", QStringLiteral("列标题列号"));
    EXPECT_TRUE(numberFrameShown());
    QStringList letters = shownCaptions(true);
    ASSERT_EQ(letters.size(), 31);
    EXPECT_EQ(letters[0], QStringLiteral("A(1)"));
    EXPECT_EQ(letters[25], QStringLiteral("Z(26)"));
    EXPECT_EQ(letters[26], QStringLiteral("AA(27)"));
    pick("列标形式", QStringLiteral("列标题名称"));
    EXPECT_FALSE(numberFrameShown());
    EXPECT_TRUE(w->check1(1)->isChecked());
    EXPECT_TRUE(w->check1(30)->isChecked());
    EXPECT_TRUE(messages().empty());

    // Another sheet unticks the boxes.
    pick("工作表列表", QStringLiteral("五十列"));
    EXPECT_FALSE(w->check1(1)->isChecked());
}

TEST_F(ExtractWindowTest, TheFortyTwoAndEightyEightColumnLimits) {
    ASSERT_NE(open(), nullptr);
    const std::string names42 =
        "“需要提取列的列标形式”选项中的“列标题名称”最大支持42列，您所选的工作表总列数超过42列，请换成“列标题序号”！";
    const std::string numbers88 = "提取最大支持88列，您所选的工作表已超过88列，请删除部分不重要的列后再试！";
    pick("工作表列表", QStringLiteral("五十列"));
    typeTitleRows("1");
    // The name form cannot show 50 columns: the message, then the number form with every column.
    EXPECT_EQ(messages(), std::vector<std::string>{names42});
    EXPECT_EQ(combo("列标形式")->currentText(), QStringLiteral("列标题序号"));
    EXPECT_TRUE(numberFrameShown());
    QStringList letters = shownCaptions(true);
    ASSERT_EQ(letters.size(), 50);
    EXPECT_EQ(letters[49], QStringLiteral("AX(50)"));

    // 100 columns: in the number form the message and the boxes as they were.
    pick("工作表列表", QStringLiteral("百列"));
    EXPECT_EQ(messages(), std::vector<std::string>{numbers88});
    EXPECT_EQ(shownCaptions(true).size(), 50);
    // In the name form both messages, in order.
    pick("列标形式", QStringLiteral("列标题名称"));
    EXPECT_EQ(messages(), (std::vector<std::string>{names42, numbers88}));

    // 确定 refuses what the boxes cannot show, and the window stays.
    ok();
    EXPECT_FALSE(lastMessage().empty());
    EXPECT_EQ(session->findByName(kMethod), nullptr);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(ExtractWindowTest, TitleRowsZeroShowsTheNumberFormBoxesAndEmptyTextSaysSo) {
    ASSERT_NE(open(), nullptr);
    pick("工作表列表", QStringLiteral("工资"));
    typeTitleRows("0");
    EXPECT_EQ(messages(), std::vector<std::string>{"标题行数为0时只能选择“列标题序号”！"});
    EXPECT_EQ(combo("列标题所在行数")->currentText(), QStringLiteral("0"));
    EXPECT_EQ(combo("列标题所在行数")->count(), 0);
    // A table without titles can still be extracted: the letters label its columns.
    EXPECT_TRUE(numberFrameShown());
    EXPECT_EQ(shownCaptions(true).size(), 31);
    // Every rebuild says it again.
    pick("列标形式", QStringLiteral("列标题名称"));
    EXPECT_EQ(messages().front(), "标题行数为0时只能选择“列标题序号”！");
    EXPECT_TRUE(numberFrameShown());

    typeTitleRows("");
    EXPECT_EQ(lastMessage(), "标题行数不能为空,如果没有标题,请输入“0”!");
    ui.messages.clear();
    typeTitleRows(QStringLiteral("x"));
    EXPECT_TRUE(ui.messages.empty());
    QTest::keyClick(child<QLineEdit>(w, "标题行数"), Qt::Key_Tab);
    EXPECT_EQ(lastMessage(), "您输入的标题行数不是数字，请重新输入！没有标题行数请输入“0”");
}

TEST_F(ExtractWindowTest, OkChecksThenTheMethodWindowAndItsButtonRuns) {
    ASSERT_NE(open(), nullptr);
    ok();
    EXPECT_EQ(lastMessage(), "您还未选择需要提取的工作表，请先选择要提取的工作表名！");
    EXPECT_EQ(focusName(w), QStringLiteral("工作表列表"));
    EXPECT_EQ(session->findByName(kMethod), nullptr);

    pick("工作表列表", QStringLiteral("工资"));
    typeTitleRows("3");
    ui.messages.clear();
    ok();  // nothing ticked: said before anything is unloaded
    EXPECT_FALSE(lastMessage().empty());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(session->findByName(kMethod), nullptr);

    tick(w->check1(2));
    tick(w->check1(1));
    pick("提取方式", QStringLiteral("提取到本工作薄"));
    ui.messages.clear();
    ok();
    EXPECT_TRUE(ui.messages.empty()) << lastMessage();
    EXPECT_FALSE(w->isVisible());
    Form* method = session->findByName(kMethod);
    ASSERT_NE(method, nullptr);
    activate(method);
    auto* note = child<QLabel>(method, "说明");
    EXPECT_EQ(note->text(), QStringLiteral("\n     请将鼠标移到按钮上查看功能说明！"));
    auto hover = [](QWidget* target) {
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    };
    hover(child<QPushButton>(method, "删除列"));
    EXPECT_EQ(note->text(), QStringLiteral("\n     通过删除未选择的列，留下的列包含原有的公式和格式等！"));
    hover(child<QPushButton>(method, "提取数据"));
    EXPECT_EQ(note->text(), QStringLiteral("\n     通过获取所选列的数据，不包含原有的公式和格式等！"));
    hover(method);
    EXPECT_EQ(note->text(), QStringLiteral("\n     请将鼠标移到按钮上查看功能说明！"));

    Workbook* source = session->SourceWorkbook;
    QTest::mouseClick(child<QPushButton>(method, "提取数据"), Qt::LeftButton);
    EXPECT_TRUE(ui.messages.empty()) << lastMessage();  // success says nothing
    EXPECT_EQ(session->findByName(kOptions), nullptr);
    EXPECT_EQ(session->findByName(kMethod), nullptr);
    EXPECT_EQ(ui.exitsScheduled, 1);
    Worksheet* made = source->Worksheets().Find("工资提取表");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(convert::toText(made->Cells(2, 1).Value()), "项2");
    EXPECT_EQ(convert::toText(made->Cells(2, 2).Value()), "项3");
    EXPECT_EQ(convert::toText(made->Cells(12, 2).Value()), "1203");
}

TEST_F(ExtractWindowTest, DeletingColumnsIntoANewWorkbookFromTheMethodWindow) {
    ASSERT_NE(open(), nullptr);
    pick("工作表列表", QStringLiteral("工资"));
    typeTitleRows("3");
    tick(w->check1(3));
    ok();
    Form* method = session->findByName(kMethod);
    ASSERT_NE(method, nullptr);
    activate(method);
    QTest::mouseClick(child<QPushButton>(method, "删除列"), Qt::LeftButton);
    EXPECT_TRUE(ui.messages.empty()) << lastMessage();
    const fs::path result = dir / "工资表提取表.xlsx";
    ASSERT_TRUE(fs::exists(result));
    auto reader = CreateObjectAs<Application>("Excel.Application");
    Workbook* b = reader->Workbooks().Open(result.string());
    Worksheet* ws = b->GetSheets()(1);
    EXPECT_EQ(ws->Name(), "工资提取表");
    EXPECT_EQ(convert::toText(ws->Cells(2, 1).Value()), "项4");
    EXPECT_EQ(convert::toText(ws->Cells(4, 1).Value()), "404");
    EXPECT_TRUE(ws->Cells(2, 2).Value().isEmpty());
}

}  // namespace
}  // namespace lorvane::shell::testing
