// The road of summarizing a folder from the main window: the chooser, the sheet number, the OK
// check, the save dialog and the question to open the result, with real clicks.
#include <QComboBox>
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
constexpr const char* kWindow = "选择要汇总的工作表";

class SummarizeBooksWindowTest : public DesktopTest {
protected:
    fs::path dir;

    void SetUp() override {
        DesktopTest::SetUp();
        dir = fs::temp_directory_path() / ("summarize-books-window-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "in");
        for (const char* name : {"甲", "乙"}) {
            auto app = CreateObjectAs<Application>("Excel.Application");
            Workbook* b = app->Workbooks().Add();
            Sheets& sheets = b->Worksheets();
            sheets(1)->SetName("说明");
            Worksheet* ws = sheets.AddAfter(sheets(1));
            ws->SetName("明细");
            ws->Cells(1, 1).SetValue(Variant("姓名"));
            ws->Cells(2, 1).SetValue(Variant(std::string(name) + "1"));
            b->SaveAs((dir / "in" / (std::string(name) + ".xlsx")).string(), xlOpenXMLWorkbook);
            b->Close(false);
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
        QTest::mouseClick(child<QPushButton>(chooser, "汇总信息"), Qt::LeftButton);
        Form* w = session->findByName(kWindow);
        EXPECT_NE(w, nullptr);
        if (w) activate(w);
        ui.messages.clear();
        return w;
    }
};

TEST_F(SummarizeBooksWindowTest, SheetNumberShowsItsNameAndActivatesIt) {
    Form* w = open();
    ASSERT_NE(w, nullptr);
    auto* numbers = child<QComboBox>(w, "工作表号");
    ASSERT_EQ(numbers->count(), 2);
    EXPECT_EQ(textOf(w->control("工作表名")), QStringLiteral("说明"));
    numbers->setCurrentIndex(1);
    w->fireClick(numbers);
    EXPECT_EQ(textOf(w->control("工作表名")), QStringLiteral("明细"));
    EXPECT_EQ(session->SourceWorkbook->ActiveSheet()->Name(), "明细");
    EXPECT_EQ(focusName(w), QStringLiteral("标题行数"));
    numbers->setEditText(QString());
    w->fireClick(numbers);
    EXPECT_FALSE(w->control("工作表名")->isVisible());
}

TEST_F(SummarizeBooksWindowTest, TheRoadToTheSavedSummary) {
    Form* w = open();
    ASSERT_NE(w, nullptr);
    auto* numbers = child<QComboBox>(w, "工作表号");
    numbers->setCurrentIndex(1);
    w->fireClick(numbers);
    child<QLineEdit>(w, "标题行数")->setText("1");
    // The one check of its own: footer rows missing.
    setTextOf(w->control("表底文字"), QStringLiteral("是"));
    QTest::mouseClick(child<QPushButton>(w, "确定"), Qt::LeftButton);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, "请正确输入表底行数，如没有表底文字，请将“表格是否有表底文字”选为“否”！");
    EXPECT_TRUE(w->isVisible());

    setTextOf(w->control("表底文字"), QStringLiteral("否"));
    ui.messages.clear();
    ui.fileChoices = {(dir / "汇总").string()};
    ui.answers = {Answer::No};
    QTest::mouseClick(child<QPushButton>(w, "确定"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(session->findByName(kWindow), nullptr);
    ASSERT_GE(ui.messages.size(), 2u);
    const auto& report = ui.messages[ui.messages.size() - 2];
    EXPECT_EQ(report.text.rfind("汇总完成，运行总时间：", 0), 0u) << report.text;
    EXPECT_EQ(ui.messages.back().text, "汇总完成，是否要打开汇总结果？");
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(session->ChosenPath, dir.string() + "/");
    auto other = CreateObjectAs<Application>("Excel.Application");
    Worksheet* s = other->Workbooks().Open((dir / "汇总.xlsx").string())->Worksheets()(1);
    EXPECT_EQ(s->UsedRange().rect().row2, 3);
}

}  // namespace
}  // namespace lorvane::shell::testing
