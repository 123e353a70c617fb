// The options window of summarizing one workbook's sheets, driven by its control names with
// real clicks, keys and focus moves: the name checks, the OK checks in their order and the
// whole road from the main window to the saved summary.
#include <QComboBox>
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
constexpr const char* kWindow = "选择要汇总工作薄的工作表";

class SummarizeSheetsWindowTest : public DesktopTest {
protected:
    fs::path file;

    void SetUp() override {
        DesktopTest::SetUp();
        file = fs::temp_directory_path() / ("summarize-window-" + std::to_string(::getpid()) + ".xlsx");
        // A workbook of the sheets 一部 (3 rows) and 二部 (2 rows), each with one title row.
        auto app = CreateObjectAs<Application>("Excel.Application");
        Workbook* b = app->Workbooks().Add();
        Sheets& sheets = b->Worksheets();
        sheets(1)->SetName("一部");
        sheets.AddAfter(sheets(1))->SetName("二部");
        for (Worksheet* ws : sheets) {
            ws->Cells(1, 1).SetValue(Variant("姓名"));
            ws->Cells(1, 2).SetValue(Variant("金额"));
            int rows = ws->Name() == "一部" ? 3 : 2;
            for (int r = 2; r <= rows + 1; ++r) {
                ws->Cells(r, 1).SetValue(Variant(ws->Name() + std::to_string(r)));
                ws->Cells(r, 2).SetValue(Variant(r * 100.0));
            }
        }
        b->SaveAs(file.string(), xlOpenXMLWorkbook);
        b->Close(false);
        session->openWorkbook = [](Application& a, const std::string& path) { return a.Workbooks().Open(path); };
    }
    void TearDown() override {
        DesktopTest::TearDown();
        fs::remove(file);
    }

    Form* open() {
        ui.answers = {Answer::Yes, Answer::Yes};
        ui.fileChoices = {file.string()};
        QTest::mouseClick(child<QPushButton>(main, "汇总到新建总表"), Qt::LeftButton);
        Form* w = session->findByName(kWindow);
        EXPECT_NE(w, nullptr);
        if (w) activate(w);
        ui.messages.clear();
        return w;
    }
    static void choose(Form* w, const char* combo, const char* item) {
        auto* c = child<QComboBox>(w, combo);
        c->setCurrentIndex(c->findText(QString::fromUtf8(item)));
        w->fireClick(c);
    }
    static void type(Form* w, const char* box, const char* text) {
        QWidget* c = w->control(box);
        if (auto* e = qobject_cast<QLineEdit*>(c)) e->setText(QString::fromUtf8(text));
        else if (auto* cb = qobject_cast<QComboBox*>(c)) cb->setEditText(QString::fromUtf8(text));
    }
    void ok(Form* w) {
        ui.messages.clear();
        QTest::mouseClick(child<QPushButton>(w, "确定"), Qt::LeftButton);
    }
};

TEST_F(SummarizeSheetsWindowTest, ExistsSwitchesBetweenChoosingAndTyping) {
    Form* w = open();
    ASSERT_NE(w, nullptr);
    choose(w, "是否存在", "否");
    EXPECT_EQ(child<QLabel>(w, "汇总表名称")->text(), QStringLiteral("请输入汇总表名"));
    EXPECT_EQ(textOf(w->control("汇总表名")), QStringLiteral("汇总表"));
    EXPECT_EQ(focusName(w), QStringLiteral("汇总表名"));
    choose(w, "表底文字", "是");
    type(w, "表底文字行数", "2");
    choose(w, "是否存在", "是");
    EXPECT_EQ(child<QLabel>(w, "汇总表名称")->text(), QStringLiteral("请选择汇总表名"));
    EXPECT_EQ(textOf(w->control("汇总表名")), QStringLiteral("请选择汇总表名称"));
    EXPECT_EQ(textOf(w->control("表底文字")), QStringLiteral("否"));
    EXPECT_TRUE(textOf(w->control("表底文字行数")).isEmpty());
    // Choosing a sheet activates it in the workbook and moves on to the title rows.
    choose(w, "汇总表名", "二部");
    EXPECT_EQ(session->SourceWorkbook->ActiveSheet()->Name(), "二部");
    EXPECT_EQ(focusName(w), QStringLiteral("标题行数"));
}

// Leaving the name on a sheet that exists, while a new sheet is asked for: refused once, then
// taken as the existing summary sheet.
TEST_F(SummarizeSheetsWindowTest, ATakenNameIsRefusedOnceThenAccepted) {
    Form* w = open();
    ASSERT_NE(w, nullptr);
    type(w, "标题行数", "1");
    choose(w, "是否存在", "否");
    type(w, "汇总表名", "二部");
    ui.messages.clear();
    QTest::keyClick(w->control("汇总表名"), Qt::Key_Tab);
    QCoreApplication::processEvents();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "工作薄中已经存在您输入的工作表名，请重新输入！");
    EXPECT_EQ(focusName(w), QStringLiteral("汇总表名"));
    QTest::keyClick(w->control("汇总表名"), Qt::Key_Tab);
    QCoreApplication::processEvents();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, "您确定要将【二部】作为要汇总的工作表名？");
    EXPECT_EQ(textOf(w->control("是否存在")), QStringLiteral("是"));
    EXPECT_EQ(focusName(w), QStringLiteral("标题行数"));
}

TEST_F(SummarizeSheetsWindowTest, OkChecksInTheirOrderKeepTheWindowOpen) {
    struct Step {
        const char* titleRows;
        const char* name;  // nullptr: leave the prompt
        const char* footerRows;
        const char* message;
        const char* focus;
    };
    const Step steps[] = {
        {"", "汇总", nullptr, "您未输入标题行数，请先输入标题行数，用数字表示，没有标题行数的话请输入“0”！", nullptr},
        {"x", "汇总", nullptr, "您输入的标题行数不是数字，请重新输入！", nullptr},
        {"1", nullptr, nullptr, "您还未选择汇总表名称，请先选择汇总表名称！", "汇总表名"},
        {"1", "汇总", "", "请正确输入表底行数，如没有表底文字，请将“表格是否有表底文字”选为“否”！", "表底文字行数"},
        {"1", "一部", nullptr, "工作簿中已经有名为“一部”的工作表", nullptr},
        {"1.5", "汇总", nullptr, "不是整数", nullptr},
        {"1", "汇总", "-1", "表底文字行数", nullptr},
    };
    Form* w = open();
    ASSERT_NE(w, nullptr);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.message);
        setTextOf(w->control("是否存在"), QStringLiteral("否"));
        setTextOf(w->control("汇总表名"), s.name ? QString::fromUtf8(s.name) : QStringLiteral("请选择汇总表名称"));
        type(w, "标题行数", s.titleRows);
        choose(w, "表底文字", s.footerRows ? "是" : "否");
        if (s.footerRows) type(w, "表底文字行数", s.footerRows);
        activate(w);
        ok(w);
        // The field left for 确定 may have its say first; the OK check speaks last.
        ASSERT_FALSE(ui.messages.empty());
        EXPECT_NE(ui.messages.back().text.find(s.message), std::string::npos) << ui.messages.back().text;
        EXPECT_EQ(ui.messages.back().title, kProgramTitle);
        EXPECT_TRUE(w->isVisible());
        if (s.focus) EXPECT_EQ(focusName(w), QString::fromUtf8(s.focus));
        EXPECT_EQ(session->SourceWorkbook->Worksheets().Count(), 2);
    }
}

TEST_F(SummarizeSheetsWindowTest, TheRoadFromMainToTheSavedSummary) {
    Form* w = open();
    ASSERT_NE(w, nullptr);
    choose(w, "是否存在", "否");
    type(w, "标题行数", "1");
    ok(w);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(session->findByName(kWindow), nullptr);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text.rfind("汇总完成，运行总时间：", 0), 0u) << ui.messages.back().text;
    EXPECT_EQ(ui.exitsScheduled, 1);
    Workbook* book = session->SourceWorkbook;
    ASSERT_TRUE(book && book->isOpen());
    EXPECT_TRUE(book->Saved());
    Worksheet* summary = book->Worksheets().Find("汇总表");
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(summary->UsedRange().rect().row2, 6);
    EXPECT_EQ(summary->Cells(6, 1).Value(), Variant("二部3"));

    auto other = CreateObjectAs<Application>("Excel.Application");
    EXPECT_NE(other->Workbooks().Open(file.string())->Worksheets().Find("汇总表"), nullptr);
}

}  // namespace
}  // namespace lorvane::shell::testing
