// The main window: descriptions, dispatch of every operation, the choosers, the countdown.
#include <QLabel>
#include <QPushButton>

#include "DesktopFixture.h"
#include "compare/CompareWindows.h"
#include "extract/ExtractWindows.h"
#include "shell/InfoWindows.h"
#include "split/SplitOptionsWindow.h"
#include "summarize/SummarizeWindows.h"

namespace lorvane::shell::testing {
namespace {

const char* const kIdle = "\n     请将鼠标移动到按钮上查看功能说明！";

TEST_F(DesktopTest, MainShowsItsTextsAtStart) {
    for (const char* id : {kEtId, kKetId, kExcelId}) ObjectRegistry::instance().refuse(id);
    main->load();
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Lorvane公办助手 V2.1"));
    auto* d = child<QLabel>(main, "说明");
    EXPECT_EQ(d->text(), QString::fromUtf8(kIdle));
    EXPECT_EQ(d->font().pointSize(), 28);
    EXPECT_TRUE(child(main, "Picture1")->isHidden());
    EXPECT_EQ(session->find<SplashWindow>(), nullptr);  // unloaded again
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"本机未安装Excel或WPS，无法运行此程序，请先安装相应的程序！"});
    const std::pair<const char*, const char*> captions[] = {
        {"汇总到新建总表", "汇总本工作薄各分表到总表"}, {"汇总各工作薄", "汇总各工作薄到总表"},
        {"拆分总表", "根据名称拆分成分表"}, {"拆分成单薄", "根据名称拆分成单个工作薄"},
        {"提取指定行列数据", "提取指定行列数据"}, {"对比两个表格数据", "对比、调用两个表格数据"},
        {"jiaocheng", "使用教程"}, {"关于", "关  于"}, {"exit", "关  闭"}};
    for (const auto& [name, caption] : captions) EXPECT_EQ(child<QPushButton>(main, name)->text(), QString::fromUtf8(caption));
    EXPECT_EQ(child<QLabel>(main, "Label1")->text(), QStringLiteral("常用办公助手合集"));
    EXPECT_EQ(child<QLabel>(main, "查看")->text(), QStringLiteral("查看说明"));
}

struct HoverRow {
    const char* button;
    const char* text;
    int points;
};

TEST_F(DesktopTest, HoverDescribesEachButton) {
    const HoverRow rows[] = {
        {"拆分成单薄", "     当前工作薄有汇总数据，需要将各名称的数据拆分成单个工作薄，分发给不同部门或单位填写时，可使用此功能进行一键拆分！", 25},
        {"拆分总表", "     当一个工作表有很多不同数据的总表，需要将各名称拆分，发分给不同部门填写时，可以使用本功能进行一键拆分!", 25},
        {"汇总到新建总表", "     当工作薄有很多相同结构的工作表，需要将数据汇总到一张工作表时，可以使用本功能一键进行汇总！", 25},
        {"汇总各工作薄", "     当收集到多个表格结构一样的分表时，可一键将数据汇总到一张总表上！", 25},
        {"提取指定行列数据", "     根据所选工作表从表中提取部分列到新建表格或工作薄上！", 24},
        {"对比两个表格数据",
         "     对比：当有两个表格时，需要对比两个表中的数据否存在包含关系，并将对比结果存放在最后列里或提取到新建工作表中！\n"
         "     调用：当有两个表格时，一个表中的数据需要某个关键字从另一个表格中查找并调用过来进行填充！", 19},
        {"exit", "     点击【关闭】按钮，退出程序！", 25},
        {"关于", "     点击【关于】按钮，了解相关信息！", 25},
    };
    auto* d = child<QLabel>(main, "说明");
    for (const auto& r : rows) {
        SCOPED_TRACE(r.button);
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(child(main, r.button), &move);
        EXPECT_EQ(d->text(), "\n" + QString::fromUtf8(r.text));
        EXPECT_EQ(d->font().pointSize(), r.points);
        EXPECT_TRUE(d->isVisibleTo(main));
    }
    // 使用教程 shows the picture and leaves the description; the free surface hides it again.
    const QString before = d->text();
    main->fireMouseMove(child(main, "jiaocheng"));
    EXPECT_TRUE(child(main, "Picture1")->isVisibleTo(main));
    EXPECT_TRUE(child(main, "Image1")->isVisibleTo(main));
    EXPECT_EQ(d->text(), before);
    QMouseEvent move(QEvent::MouseMove, QPointF(880, 620), QPointF(880, 620), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(main, &move);
    EXPECT_FALSE(child(main, "Picture1")->isVisibleTo(main));
    EXPECT_EQ(d->text(), QString::fromUtf8(kIdle));
    EXPECT_EQ(d->font().pointSize(), 28);
}

// Records, when the running notice goes, what the options window looked like.
struct NoticeWatch : runs::ScriptedUi {
    std::function<void()> atHide;
    void hideRunningNotice() override {
        if (atHide) atHide();
        runs::ScriptedUi::hideRunningNotice();
    }
};

struct DispatchRow {
    const char* button;
    const char* confirm;  // beginning of the second question
    const char* confirmTitle;
    Icon icon;
    const char* dialogTitle;
    const char* cancelText;
    const char* window;
    const char* list;
    const char* prompt;
    bool keepsPath;
    int notices;          // 0: no running notice
    bool shownAtNoticeEnd;
};

const DispatchRow kDispatch[] = {
    {"汇总到新建总表", "此操作将提取所选工作薄的所有工作表数据汇总到新建的工作表上，是否继续？", "操作提示", Icon::Question,
     "请选择您需要汇总的表格文件", "您已经取消汇总或是未选对应的文件夹里的文件！", "选择要汇总工作薄的工作表", "汇总表名",
     "请选择汇总表名称", true, 1, true},
    {"拆分总表", "此操作将根据所选工作薄的“总表”按指定列名称拆分成各分表！\n\n特别提醒：", "警告", Icon::Exclamation,
     "请选择您需要拆分的表格文件", "您已经取消操作或是未选表格文件！", "选择要拆分工作薄的汇总表", "工作表列表",
     "请选择总表名称", false, 1, false},
    {"拆分成单薄", "此操作将根据所选工作薄的“汇总表”按指定列名称拆分成新工作薄分表！\n\n特别提醒：", "警告",
     Icon::Exclamation, "请选择您需要拆分的表格文件", "您已经取消操作或是未选表格文件！", "选择要拆分工作薄总表到单工作薄",
     "工作表列表", "请选择总表名称", true, 1, false},
    {"提取指定行列数据", "此操作将根据所选工作薄的某个工作表按提取指定列形成新的工作表或新工作薄！\n\n特别提醒：", "警告",
     Icon::Exclamation, "请选择您需要拆分的表格文件", "您已经取消提取或是未选工作薄文件！", "选择需要提取的工作表",
     "工作表列表", "请选择要提取的工作表", true, 0, false},
};

class DispatchTest : public DesktopTest {
protected:
    void click(const char* button) { main->fireClick(child(main, button)); }
    void runningExcel() { processes.entries = {{300, 1000, {"EXCEL.EXE"}}, {301, 1000, {"et"}}, {302, 1000, {"wps"}}}; }
};

TEST_F(DispatchTest, NoToTheFirstQuestionChangesNothing) {
    for (const auto& r : kDispatch) {
        SCOPED_TRACE(r.button);
        runningExcel();
        processes.terminated.clear();
        ui.messages.clear();
        ui.answers = {Answer::No};
        click(r.button);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, "为了保证数据正确性，即将关闭“EXCEL”或“WPS”程序，您未保存的表格数据可能丢失，是否继续？");
        EXPECT_EQ(ui.messages[0].title, "操作提示");
        EXPECT_EQ(ui.messages[0].defaultButton, Answer::No);
        EXPECT_TRUE(processes.terminated.empty());
        EXPECT_TRUE(ui.dialogTitles.empty());
        EXPECT_TRUE(main->isVisible());
    }
}

TEST_F(DispatchTest, NoToTheSecondQuestionHasAlreadyEndedThePrograms) {
    for (const auto& r : kDispatch) {
        SCOPED_TRACE(r.button);
        runningExcel();
        processes.terminated.clear();
        ui.messages.clear();
        ui.answers = {Answer::Yes, Answer::No};
        click(r.button);
        ASSERT_EQ(ui.messages.size(), 2u);
        EXPECT_TRUE(ui.messages[1].text.starts_with(r.confirm));
        EXPECT_EQ(ui.messages[1].title, r.confirmTitle);
        EXPECT_EQ(ui.messages[1].icon, r.icon);
        EXPECT_EQ(ui.messages[1].buttons, Buttons::YesNo);
        EXPECT_EQ(ui.messages[1].defaultButton, Answer::No);
        EXPECT_EQ(processes.terminated, (std::vector<pid_t>{300, 301}));  // wps untouched
        EXPECT_TRUE(ui.dialogTitles.empty());
        EXPECT_TRUE(main->isVisible());
    }
}

TEST_F(DispatchTest, CancelledDialogShowsTheCancelText) {
    for (const auto& r : kDispatch) {
        SCOPED_TRACE(r.button);
        ui.messages.clear();
        ui.dialogTitles.clear();
        ui.answers = {Answer::Yes, Answer::Yes};
        click(r.button);
        ASSERT_EQ(ui.dialogTitles, std::vector<std::string>{r.dialogTitle});
        ASSERT_EQ(ui.messages.size(), 3u);
        EXPECT_EQ(ui.messages[2].text, r.cancelText);
        EXPECT_EQ(ui.messages[2].title, kProgramTitle);
        EXPECT_EQ(ui.messages[2].icon, Icon::None);
        EXPECT_TRUE(main->isVisible());
        EXPECT_EQ(session->findByName(r.window), nullptr);
    }
}

TEST_F(DispatchTest, ChosenWorkbookFillsTheOptionsWindow) {
    for (const auto& r : kDispatch) {
        SCOPED_TRACE(r.button);
        NoticeWatch watch;
        Session s(watch, processes);
        s.openWorkbook = session->openWorkbook;
        MainWindow m(s);
        m.show();
        files["/data/部门.xlsx"] = {"总表", "一部", "二部"};
        watch.answers = {Answer::Yes, Answer::Yes};
        watch.fileChoices = {"/data/部门.xlsx"};
        s.ChosenPath = "unchanged";
        bool shownAtHide = false;
        int itemsAtHide = -1;
        watch.atHide = [&] {
            Form* w = s.findByName(r.window);
            shownAtHide = w && w->isVisible();
            itemsAtHide = w ? child<QComboBox>(w, r.list)->count() : -1;
        };
        m.fireClick(child(&m, r.button));
        Form* w = s.findByName(r.window);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible());
        EXPECT_FALSE(m.isVisible());
        auto* list = child<QComboBox>(w, r.list);
        EXPECT_EQ(list->currentText(), QString::fromUtf8(r.prompt));
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->itemText(0), QStringLiteral("总表"));
        EXPECT_EQ(list->itemText(2), QStringLiteral("二部"));
        EXPECT_EQ(watch.noticeShown, r.notices);
        EXPECT_EQ(watch.noticeHidden, r.notices);
        if (r.notices) {
            EXPECT_EQ(shownAtHide, r.shownAtNoticeEnd);
            EXPECT_EQ(itemsAtHide, 3);
        }
        EXPECT_EQ(s.ChosenPath, r.keepsPath ? "/data/部门.xlsx" : "unchanged");
        EXPECT_EQ(s.SheetCount, 3);
        ASSERT_NE(s.SourceWorkbook, nullptr);
        EXPECT_TRUE(s.SpreadsheetApp->Visible());
        EXPECT_TRUE(s.SpreadsheetApp->ScreenUpdating());
        // 关闭 goes back to main and quits the application.
        w->fireClick(child(w, "关闭"));
        EXPECT_TRUE(m.isVisible());
        EXPECT_TRUE(s.SpreadsheetApp == nullptr || s.SpreadsheetApp->quit());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(s.findByName(r.window), nullptr);
    }
}

TEST_F(DispatchTest, OneSheetWorkbookListsOneItem) {
    files["/data/one.xlsx"] = {"Sheet1"};
    ui.answers = {Answer::Yes, Answer::Yes};
    ui.fileChoices = {"/data/one.xlsx"};
    click("拆分总表");
    auto* w = session->findByName("选择要拆分工作薄的汇总表");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(child<QComboBox>(w, "工作表列表")->count(), 1);
    EXPECT_EQ(child<QComboBox>(w, "工作表列表")->currentText(), QStringLiteral("请选择总表名称"));
}

TEST_F(DispatchTest, WorkbookThatCannotBeOpenedComesBackToMain) {
    for (const auto& r : kDispatch) {
        SCOPED_TRACE(r.button);
        ui.messages.clear();
        ui.answers = {Answer::Yes, Answer::Yes};
        ui.fileChoices = {"/data/broken.xlsx"};
        click(r.button);
        EXPECT_EQ(lastMessage(), "文件“/data/broken.xlsx”不是有效的工作簿文件。");
        EXPECT_EQ(ui.noticeShown, ui.noticeHidden);
        EXPECT_TRUE(main->isVisible());
        EXPECT_EQ(session->findByName(r.window), nullptr);
    }
}

TEST_F(DispatchTest, ManyWorkbooksAndCompareLeadToTheirChoosers) {
    click("汇总各工作薄");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(main->isVisible());
    auto* chooser = session->findByName("汇总多工作薄");
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(child<QLabel>(chooser, "说明")->font().pointSize(), 18);
    chooser->close();  // the window system's close button
    EXPECT_TRUE(main->isVisible());

    processes.entries = {{300, 1000, {"EXCEL.EXE"}}};
    ui.answers = {Answer::No};
    click("对比两个表格数据");
    EXPECT_TRUE(processes.terminated.empty());
    EXPECT_EQ(session->findByName("对比调用"), nullptr);
    ui.answers = {Answer::Yes};
    click("对比两个表格数据");
    EXPECT_EQ(processes.terminated, std::vector<pid_t>{300});
    EXPECT_TRUE(ui.dialogTitles.empty());
    ASSERT_NE(session->findByName("对比调用"), nullptr);
    EXPECT_FALSE(main->isVisible());
}

struct ManyRow {
    const char* button;
    const char* window;
    const char* numberText;
};

TEST_F(DispatchTest, ManyWorkbookChooserFillsSheetNumbers) {
    const ManyRow rows[] = {{"汇总信息", "选择要汇总的工作表", ""}, {"汇总数值", "选择要合计的工作表", "1"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.button);
        files["/data/月报/一月.xlsx"] = {"封面", "数据"};
        click("汇总各工作薄");
        auto* chooser = session->findByName("汇总多工作薄");
        ui.answers = {Answer::Yes};
        ui.fileChoices = {"/data/月报/一月.xlsx"};
        chooser->fireClick(child(chooser, r.button));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(session->findByName("汇总多工作薄"), nullptr);
        auto* w = session->findByName(r.window);
        ASSERT_NE(w, nullptr);
        auto* numbers = child<QComboBox>(w, "工作表号");
        ASSERT_EQ(numbers->count(), 2);
        EXPECT_EQ(numbers->itemText(1), QStringLiteral("2"));
        EXPECT_EQ(numbers->currentText(), QString::fromUtf8(r.numberText));
        EXPECT_EQ(textOf(child(w, "工作表名")), QStringLiteral("封面"));
        EXPECT_EQ(session->SheetNameTable, (std::vector<std::string>{"封面", "数据"}));
        EXPECT_EQ(session->ChosenPath, "/data/月报/一月.xlsx");
        w->fireClick(child(w, "关闭"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(DesktopTest, ExitCountsDownThenShowsThePopup) {
    main->fireClick(child(main, "exit"));
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(main->exitCountdown(), 60);
    EXPECT_TRUE(main->timer()->isActive());
    EXPECT_EQ(main->timer()->interval(), 1000);
    for (int i = 59; i >= 1; --i) {
        main->tick();
        ASSERT_EQ(main->exitCountdown(), i);
    }
    EXPECT_EQ(session->find<PopupWindow>(), nullptr);
    EXPECT_NE(session->mainWindow(), nullptr);
    main->tick();
    EXPECT_FALSE(main->timer()->isActive());
    ASSERT_NE(session->find<PopupWindow>(), nullptr);
    EXPECT_TRUE(session->find<PopupWindow>()->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(session->mainWindow(), nullptr);  // unloaded
    main = nullptr;
}

TEST_F(DesktopTest, AboutAndTutorial) {
    main->fireClick(child(main, "关于"));
    ASSERT_NE(session->findByName("欢迎页面"), nullptr);
    EXPECT_TRUE(main->isVisible());
    main->fireClick(child(main, "jiaocheng"));
    ASSERT_EQ(ui.opened.size(), 1u);
    QFile page(QString::fromStdString(ui.opened[0]));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    for (const char* part : {"汇总本工作薄各分表到总表", "根据名称拆分成单个工作薄", "提取指定行列数据", "对比"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(part))) << part;
}

}  // namespace
}  // namespace lorvane::shell::testing
