// The workbook window: what the grid shows, the engine's calls acting on it, the save prompt.
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
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

    // A visible workbook with the sheets `names`, each holding its own name in A1.
    Workbook* bookWithSheets(std::initializer_list<const char*> names) {
        Workbook* book = app->Workbooks().Add();
        Worksheet* last = nullptr;
        for (const char* name : names) {
            Worksheet* ws = last ? book->GetSheets().AddAfter(last) : book->GetSheets().Item(1);
            ws->SetName(name);
            ws->Cells(1, 1).SetValue(Variant(std::string(name)));
            last = ws;
        }
        app->SetDisplayAlerts(false);
        app->SetVisible(true);
        return book;
    }
    static std::vector<std::string> tabTexts(WorkbookWindow* w) {
        std::vector<std::string> out;
        for (int i = 0; i < w->tabs()->count(); ++i) out.push_back(w->tabs()->tabText(i).toStdString());
        return out;
    }
    static std::string shown(WorkbookWindow* w, int row, int col) {
        auto* m = w->model();
        return m->data(m->index(row - 1, col - 1), Qt::DisplayRole).toString().toStdString();
    }
    static std::string currentTab(WorkbookWindow* w) { return w->tabs()->tabText(w->tabs()->currentIndex()).toStdString(); }
    // Paints the window as the screen would, reading every cell in view.
    static void paint(WorkbookWindow* w) { (void)w->grab(); }
    // The pass of the event loop that follows a run.
    static void afterRun() { QCoreApplication::sendPostedEvents(); }
};

using Tabs = std::vector<std::string>;

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
    EXPECT_GE(w->model()->rowCount(), 1000000);
    EXPECT_EQ(w->model()->data(w->model()->index(999999, 2), Qt::DisplayRole).toString(), QStringLiteral("7"));
    w->grid()->scrollToBottom();
}

// Deleting sheets through the object model: the window lets go of a deleted sheet before its
// storage is freed and shows the sheet the workbook makes active, at once.
TEST_F(WorkbookWindowTest, DeletedSheetsLeaveTheWindowAtOnce) {
    Workbook* book = bookWithSheets({"甲", "乙", "丙", "丁"});
    WorkbookWindow* w = windows->windowOf(book);
    book->GetSheets().Item("乙")->Activate();
    paint(w);
    ASSERT_EQ(shown(w, 1, 1), "乙");

    book->GetSheets().Item("乙")->Delete();  // the shown sheet
    EXPECT_EQ(tabTexts(w), (Tabs{"甲", "丙", "丁"}));
    EXPECT_EQ(currentTab(w), "丙");
    EXPECT_EQ(shown(w, 1, 1), "丙");
    paint(w);

    book->GetSheets().Item("丁")->Delete();  // a sheet not shown
    EXPECT_EQ(tabTexts(w), (Tabs{"甲", "丙"}));
    EXPECT_EQ(shown(w, 1, 1), "丙");

    book->GetSheets().Item("丙")->Delete();  // the shown and last sheet: the one before it
    EXPECT_EQ(tabTexts(w), (Tabs{"甲"}));
    EXPECT_EQ(shown(w, 1, 1), "甲");
    paint(w);
    afterRun();
    EXPECT_EQ(shown(w, 1, 1), "甲");
}

TEST_F(WorkbookWindowTest, TabsFollowSheetsAddedRenamedHiddenAndCopied) {
    Workbook* book = bookWithSheets({"甲", "乙"});
    WorkbookWindow* w = windows->windowOf(book);
    Sheets& sheets = book->GetSheets();
    sheets.Item("乙")->Activate();
    const struct {
        const char* what;
        std::function<void()> step;
        Tabs tabs;
        const char* current;
    } steps[] = {
        {"Add puts the new sheet before the active one", [&] { sheets.Add(); }, {"甲", "Sheet3", "乙"}, "Sheet3"},
        {"AddAfter", [&] { sheets.AddAfter(sheets.Item("乙")); }, {"甲", "Sheet3", "乙", "Sheet4"}, "Sheet4"},
        {"rename a sheet not shown", [&] { sheets.Item("Sheet3")->SetName("汇总"); }, {"甲", "汇总", "乙", "Sheet4"}, "Sheet4"},
        {"rename the shown sheet", [&] { sheets.Item("Sheet4")->SetName("明细"); }, {"甲", "汇总", "乙", "明细"}, "明细"},
        {"hide", [&] { sheets.Item("汇总")->SetVisible(false); }, {"甲", "乙", "明细"}, "明细"},
        {"a sheet added after a hidden one", [&] { sheets.AddAfter(sheets.Item("汇总")); }, {"甲", "Sheet5", "乙", "明细"}, "Sheet5"},
        {"show again", [&] { sheets.Item("汇总")->SetVisible(true); }, {"甲", "汇总", "Sheet5", "乙", "明细"}, "Sheet5"},
        {"copy", [&] { sheets.Item("甲")->CopyAfter(sheets.Item("明细")); }, {"甲", "汇总", "Sheet5", "乙", "明细", "甲 (2)"}, "甲 (2)"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        s.step();
        EXPECT_EQ(tabTexts(w), s.tabs);
        EXPECT_EQ(currentTab(w), s.current);
    }
    EXPECT_EQ(shown(w, 1, 1), "甲");  // the copy, with the cells of its source
    paint(w);
}

// Writes through the object model show at once; the grid grows to reach them at once and
// shrinks back in the pass of the event loop after the run.
TEST_F(WorkbookWindowTest, CellsWrittenShowAtOnce) {
    Workbook* book = bookWithSheets({"甲", "乙"});
    WorkbookWindow* w = windows->windowOf(book);
    Worksheet* shownSheet = book->GetSheets().Item("甲");
    shownSheet->Activate();
    auto* m = w->model();
    ASSERT_EQ(m->rowCount(), 100);
    ASSERT_EQ(m->columnCount(), 26);
    QSignalSpy changed(m, &QAbstractItemModel::dataChanged);

    shownSheet->Cells(2, 2).SetValue(Variant(1234.5));
    EXPECT_EQ(shown(w, 2, 2), "1234.5");
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_EQ(changed.last().at(0).toModelIndex(), m->index(1, 1));

    shownSheet->Cells(500, 40).SetValue(Variant(std::string("远处")));
    EXPECT_EQ(m->rowCount(), 550);
    EXPECT_EQ(m->columnCount(), 45);
    EXPECT_EQ(shown(w, 500, 40), "远处");

    VariantArray block(3000, 3);
    for (int r = 1; r <= 3000; ++r)
        for (int c = 1; c <= 3; ++c) block(r, c) = Variant(static_cast<double>(r * 10 + c));
    shownSheet->GetRange("A1001").Resize(3000, 3).SetValue(block);
    EXPECT_EQ(m->rowCount(), 4050);
    EXPECT_EQ(shown(w, 4000, 3), "30003");
    EXPECT_EQ(changed.last().at(1).toModelIndex(), m->index(3999, 2));

    shownSheet->GetRange("B2").SetNumberFormat("#,##0.00");
    EXPECT_EQ(shown(w, 2, 2), "1,234.50");

    // Another sheet's writes leave the grid as it is.
    const int before = changed.count();
    book->GetSheets().Item("乙")->Cells(9000, 9).SetValue(Variant(1.0));
    EXPECT_EQ(changed.count(), before);
    EXPECT_EQ(m->rowCount(), 4050);

    shownSheet->GetRange("A1001:C4000").ClearContents();
    shownSheet->Cells(500, 40).ClearContents();
    EXPECT_EQ(shown(w, 4000, 3), "");
    paint(w);
    afterRun();
    EXPECT_EQ(m->rowCount(), 100);
    EXPECT_EQ(m->columnCount(), 26);
    EXPECT_EQ(shown(w, 2, 2), "1,234.50");
}

TEST_F(WorkbookWindowTest, RowsDeletedAndCellsMergedAreLaidOutAfterTheRun) {
    Workbook* book = bookWithSheets({"甲"});
    WorkbookWindow* w = windows->windowOf(book);
    Worksheet* ws = book->GetSheets().Item(1);
    ws->Cells(300, 1).SetValue(Variant(std::string("末行")));
    ASSERT_EQ(w->model()->rowCount(), 350);
    ws->GetRange("1:100").Delete();
    EXPECT_EQ(shown(w, 200, 1), "末行");  // read at once, laid out later
    ws->GetRange("B3:D4").Merge();
    afterRun();
    EXPECT_EQ(w->model()->rowCount(), 250);
    EXPECT_EQ(w->grid()->columnSpan(2, 1), 3);
    EXPECT_EQ(w->grid()->rowSpan(2, 1), 2);
}

// With screen updating off the window leaves its work until updating is on again, except that
// it lets go of a deleted sheet at once.
TEST_F(WorkbookWindowTest, ScreenUpdatingOffStillLetsGoOfDeletedSheets) {
    Workbook* book = bookWithSheets({"甲", "乙", "丙"});
    WorkbookWindow* w = windows->windowOf(book);
    book->GetSheets().Item("乙")->Activate();
    app->SetScreenUpdating(false);
    book->GetSheets().Item("乙")->Cells(2, 1).SetValue(Variant(std::string("新值")));
    book->GetSheets().Item("甲")->SetName("首");
    book->GetSheets().Item("乙")->Delete();
    EXPECT_EQ(w->model()->sheet(), nullptr);
    const Tabs left = tabTexts(w);
    EXPECT_EQ(std::count(left.begin(), left.end(), "乙"), 0);
    paint(w);
    book->GetSheets().Item("丙")->Cells(700, 1).SetValue(Variant(7.0));
    book->GetSheets().AddAfter(book->GetSheets().Item("丙"))->SetName("末");
    book->GetSheets().Item("丙")->Activate();
    afterRun();
    paint(w);

    app->SetScreenUpdating(true);
    EXPECT_EQ(tabTexts(w), (Tabs{"首", "丙", "末"}));
    EXPECT_EQ(currentTab(w), "丙");
    EXPECT_EQ(shown(w, 1, 1), "丙");
    EXPECT_EQ(shown(w, 700, 1), "7");
    EXPECT_EQ(w->model()->rowCount(), 750);
}

// A run started from a button works while the window is open; the event loop may get a turn
// in the middle of it (a question, a progress notice) and paint the window.
TEST_F(WorkbookWindowTest, ARunInAButtonHandlerAndTabClicks) {
    Workbook* book = bookWithSheets({"总表", "北京", "上海"});
    WorkbookWindow* w = windows->windowOf(book);
    book->GetSheets().Item("北京")->Activate();
    QPushButton run(QStringLiteral("运行"));
    QObject::connect(&run, &QPushButton::clicked, [&] {
        Sheets& sheets = book->GetSheets();
        for (Worksheet* ws : sheets)
            if (ws->Name() != "总表") ws->Delete();
        QCoreApplication::processEvents();
        paint(w);
        for (const char* city : {"广州", "深圳"}) {
            Worksheet* ws = sheets.AddAfter(sheets(sheets.Count()));
            ws->SetName(city);
            ws->GetRange("A1:A2").SetValue(Variant(std::string(city)));
            QCoreApplication::processEvents();
            paint(w);
        }
    });
    run.show();
    QTest::mouseClick(&run, Qt::LeftButton);
    EXPECT_EQ(tabTexts(w), (Tabs{"总表", "广州", "深圳"}));
    EXPECT_EQ(currentTab(w), "深圳");
    EXPECT_EQ(shown(w, 2, 1), "深圳");

    QTest::mouseClick(w->tabs(), Qt::LeftButton, {}, w->tabs()->tabRect(1).center());
    EXPECT_EQ(currentTab(w), "广州");
    EXPECT_EQ(shown(w, 1, 1), "广州");
    EXPECT_EQ(book->ActiveSheet()->Name(), "广州");
    book->GetSheets().Item("广州")->Delete();
    EXPECT_EQ(tabTexts(w), (Tabs{"总表", "深圳"}));
    QTest::mouseClick(w->tabs(), Qt::LeftButton, {}, w->tabs()->tabRect(0).center());
    EXPECT_EQ(shown(w, 1, 1), "总表");
    EXPECT_EQ(book->ActiveSheet()->Name(), "总表");
}

// The engine closing the workbook frees its storage right away; the window, which Qt deletes
// only later, has let go of it by then.
TEST_F(WorkbookWindowTest, ClosingTheWorkbookLetsGoOfItsStorage) {
    Workbook* book = bookWithSheets({"甲", "乙"});
    QPointer<WorkbookWindow> w = windows->windowOf(book);
    paint(w);
    book->Close(false);
    ASSERT_FALSE(w.isNull());
    EXPECT_EQ(w->model()->sheet(), nullptr);
    EXPECT_EQ(w->tabs()->count(), 0);
    paint(w);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
}

// 用其他程序打开 hands the desktop the workbook's own file when it holds everything, and
// otherwise a fresh temporary copy; the workbook keeps its file, name and unsaved changes.
TEST_F(WorkbookWindowTest, OpenInOtherProgramShowsTheFileOrACopyOfTheChanges) {
    Workbook* book = bookWithSheets({"甲"});
    QPointer<WorkbookWindow> w = windows->windowOf(book);
    auto* button = w->findChild<QPushButton*>("用其他程序打开");
    ASSERT_NE(button, nullptr);
    auto cellA1 = [](const std::string& path) {  // read by another application, as the other program would
        Application reader;
        Workbook* copy = reader.Workbooks().Open(path);
        std::string text = copy->GetSheets().Item(1)->Cells(1, 1).Value().text();
        copy->Close(false);
        return text;
    };

    const std::string unsavedName = book->FullName();
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(ui.opened.size(), 1u);
    EXPECT_TRUE(ui.opened[0].ends_with(".xlsx")) << ui.opened[0];
    EXPECT_EQ(cellA1(ui.opened[0]), "甲");
    EXPECT_EQ(book->FullName(), unsavedName);
    EXPECT_TRUE(book->Path().empty());

    QTemporaryDir dir;
    const std::string own = dir.filePath("名单.xlsx").toStdString();
    book->SaveAs(own);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(ui.opened.size(), 2u);
    EXPECT_EQ(ui.opened[1], book->FullName());

    book->GetSheets().Item(1)->Cells(1, 1).SetValue(Variant(std::string("乙")));
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(ui.opened.size(), 3u);
    EXPECT_NE(ui.opened[2], own);
    EXPECT_TRUE(ui.opened[2].ends_with("/名单.xlsx")) << ui.opened[2];
    EXPECT_EQ(cellA1(ui.opened[2]), "乙");
    EXPECT_EQ(cellA1(own), "甲");  // the user's file is not written behind their back
    EXPECT_FALSE(book->Saved());
    EXPECT_EQ(book->FullName(), own);
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
