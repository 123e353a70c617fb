// The workbook window: what the grid shows, the engine's calls acting on it, the save prompt.
#include <QTabBar>
#include <QTableView>

#include "DesktopFixture.h"
#include "automation/Conversions.h"
#include "shell/QtUiService.h"
#include "spreadsheet/BookData.h"
#include "shell/workbook/SheetModel.h"
#include "shell/workbook/WorkbookWindow.h"

namespace lorvane::shell::testing {
namespace {

using window::formatNumber;
using window::WorkbookWindow;
using window::WorkbookWindows;

TEST(NumberFormats, ShowNumbersDatesAndGeneral) {
    const double date = convert::dateSerial(2024, 1, 5);
    const struct {
        double value;
        const char* code;
        const char* text;
    } rows[] = {
        {1234.5, "General", "1234.5"},      {0.1 + 0.2, "General", "0.3"},     {1e20, "General", "1E+20"},
        {1234.567, "0.00", "1234.57"},      {1234567, "#,##0", "1,234,567"},   {-1234.5, "#,##0.00", "-1,234.50"},
        {0.256, "0%", "26%"},               {0.256, "0.0%", "25.6%"},           {12, "0\"元\"", "12元"},
        {-5, "0;(0)", "(5)"},               {date, "yyyy/m/d", "2024/1/5"},    {date, "yyyy-mm-dd", "2024-01-05"},
        {date, "yyyy\"年\"m\"月\"d\"日\"", "2024年1月5日"}, {date + 0.5, "h:mm", "12:00"},
        {date + 0.5, "yyyy/m/d h:mm:ss", "2024/1/5 12:00:00"}, {42, "@", "42"},
    };
    for (const auto& r : rows) EXPECT_EQ(formatNumber(r.value, r.code).toStdString(), r.text) << r.code;
}

class WorkbookWindowTest : public ::testing::Test {
protected:
    runs::ScriptedUi ui;
    std::unique_ptr<WorkbookWindows> windows;
    std::shared_ptr<Application> app;
    void SetUp() override {
        windows = std::make_unique<WorkbookWindows>(ui);
        app = std::make_shared<Application>();
        app->setObserver(windows.get());
        app->setAlertService(std::make_shared<UiAlertService>(ui));
    }
    void TearDown() override {
        windows.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        app.reset();
    }
};

TEST_F(WorkbookWindowTest, ShownWhileVisibleWithTabsAndValues) {
    Workbook* book = app->Workbooks().Add();
    Worksheet* s1 = book->GetSheets().Item(1);
    Worksheet* s2 = book->GetSheets().AddAfter(s1);
    s2->SetName("明细");
    s1->Cells(1, 1).SetValue(Variant(std::string("姓名")));
    s1->Cells(2, 2).SetValue(Variant(1234.5));
    s1->Cells(3, 2).SetValue(Variant(convert::dateSerial(2024, 3, 8)));
    s1->Cells(3, 2).SetNumberFormat("yyyy/m/d");
    s1->GetRange("A5:C5").Merge();
    WorkbookWindow* w = windows->windowOf(book);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->isVisible());
    app->SetVisible(true);
    EXPECT_TRUE(w->isVisible());
    s1->Activate();
    w->refresh(true);
    ASSERT_EQ(w->tabs()->count(), 2);
    EXPECT_EQ(w->tabs()->tabText(1), QStringLiteral("明细"));
    auto* m = w->model();
    EXPECT_EQ(m->data(m->index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("姓名"));
    EXPECT_EQ(m->data(m->index(1, 1), Qt::DisplayRole).toString(), QStringLiteral("1234.5"));
    EXPECT_EQ(m->data(m->index(2, 1), Qt::DisplayRole).toString(), QStringLiteral("2024/3/8"));
    EXPECT_EQ(w->grid()->columnSpan(4, 0), 3);
    EXPECT_EQ(m->headerData(27, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("AB"));

    s2->Activate();
    EXPECT_EQ(w->tabs()->currentIndex(), 1);
    s1->GetRange("D9").Select();
    EXPECT_EQ(w->tabs()->currentIndex(), 0);
    EXPECT_EQ(w->grid()->currentIndex().row(), 8);
    EXPECT_EQ(w->grid()->currentIndex().column(), 3);
    app->SetScreenUpdating(false);
    EXPECT_FALSE(w->grid()->updatesEnabled());
    app->SetScreenUpdating(true);
    EXPECT_TRUE(w->grid()->updatesEnabled());
    app->SetVisible(false);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(WorkbookWindowTest, AMillionRowsCostNothingUntilScrolled) {
    Workbook* book = app->Workbooks().Add();
    book->GetSheets().Item(1)->Cells(1000000, 3).SetValue(Variant(7.0));
    app->SetVisible(true);
    WorkbookWindow* w = windows->windowOf(book);
    w->refresh(true);
    EXPECT_GE(w->model()->rowCount(), 1000000);
    EXPECT_EQ(w->model()->data(w->model()->index(999999, 2), Qt::DisplayRole).toString(), QStringLiteral("7"));
    w->grid()->scrollToBottom();
}

struct CloseRow {
    Answer answer;
    bool closed;
    bool saveAsked;  // the workbook has no file: saving asks where
};

TEST_F(WorkbookWindowTest, ClosingAChangedWorkbookAsks) {
    const CloseRow rows[] = {{Answer::Cancel, false, false}, {Answer::No, true, false}, {Answer::Yes, false, true}};
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.answer));
        Workbook* book = app->Workbooks().Add();
        book->GetSheets().Item(1)->Cells(1, 1).SetValue(Variant(1.0));
        app->SetVisible(true);
        QPointer<WorkbookWindow> w = windows->windowOf(book);
        ui.messages.clear();
        ui.dialogTitles.clear();
        ui.answers = {r.answer};
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_FALSE(ui.messages.empty());
        EXPECT_EQ(ui.messages[0].buttons, Buttons::YesNoCancel);
        EXPECT_NE(ui.messages[0].text.find(book->Name()), std::string::npos);
        EXPECT_EQ(book->isOpen(), !r.closed);
        EXPECT_EQ(w.isNull(), r.closed);
        // Yes on a workbook never saved asks for a place; cancelling that keeps the window.
        EXPECT_EQ(!ui.dialogTitles.empty(), r.saveAsked);
        if (book->isOpen()) {
            book->SetSaved(true);
            w->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        EXPECT_FALSE(book->isOpen());
    }
}

TEST_F(WorkbookWindowTest, QuitClosesWindowsFollowingDisplayAlerts) {
    Workbook* a = app->Workbooks().Add();
    Workbook* b = app->Workbooks().Add();
    a->GetSheets().Item(1)->Cells(1, 1).SetValue(Variant(1.0));
    b->GetSheets().Item(1)->Cells(1, 1).SetValue(Variant(1.0));
    app->SetVisible(true);
    QPointer<WorkbookWindow> wa = windows->windowOf(a), wb = windows->windowOf(b);
    app->SetDisplayAlerts(false);
    app->Quit();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(wa.isNull());
    EXPECT_TRUE(wb.isNull());
}

TEST_F(WorkbookWindowTest, QuitWithAlertsAsksAndCancelKeepsTheApplication) {
    Workbook* a = app->Workbooks().Add();
    a->GetSheets().Item(1)->Cells(1, 1).SetValue(Variant(1.0));
    app->SetVisible(true);
    ui.answers = {Answer::Cancel};
    app->Quit();
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_FALSE(app->quit());
    EXPECT_NE(windows->windowOf(a), nullptr);
    ui.answers = {Answer::No};
    app->Quit();
    EXPECT_TRUE(app->quit());
    EXPECT_EQ(windows->windowOf(a), nullptr);
}

}  // namespace
}  // namespace lorvane::shell::testing
