// Process ending, engine detection, the file dialog's filter and the output folder.
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

#include "DesktopFixture.h"
#include "shell/EngineDetection.h"
#include "shell/FileDialog.h"
#include "shell/InfoWindows.h"
#include "shell/QtUiService.h"
#include "shell/Form.h"
#include "base/AutomationError.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QFileDialog>
#include <QLabel>

namespace lorvane::shell::testing {
namespace {

struct NameRow {
    const char* executable;
    const char* name;
    bool matches;
};

TEST(ProcessNames, MatchWholeNameWithoutExtensionIgnoringCase) {
    const NameRow rows[] = {
        {"et", "ET", true},          {"et.exe", "ET", true},          {"EXCEL.EXE", "EXCEL", true},
        {"excel", "EXCEL", true},    {"etcd", "ET", false},           {"ethtool", "ET", false},
        {"wps", "ET", false},        {"wps.exe", "EXCEL", false},     {"excelsior", "EXCEL", false},
        {"/opt/kingsoft/et", "ET", true}, {"C:\\Program Files\\Office\\EXCEL.EXE", "EXCEL", true},
        {"et.exe", "", false},       {".et", "ET", false},            {"et.sh", "ET", false},
        {"excel.py", "EXCEL", false}, {"ET.Exe", "ET", true},         {"et.exe.bak", "ET", false},
        {"/home/u/bin/excel.py", "EXCEL", false}, {".exe", "", false},
    };
    for (const auto& r : rows)
        EXPECT_EQ(processNameMatches(r.executable, r.name), r.matches) << r.executable << " / " << r.name;
}

TEST(ProcessEnd, EndsOnlyTheUsersMatchingProcessesAndNeverItself) {
    FakeProcessTable t;
    t.entries = {
        {201, 1000, {"EXCEL.EXE"}}, {202, 1000, {"excel.exe"}}, {203, 1000, {"wps"}},
        {204, 1000, {"etcd"}},      {205, 1000, {"ethtool"}},   {206, 0, {"EXCEL.EXE"}},  // another user
        {100, 1000, {"excel"}},                                                            // this program
        {207, 1000, {"wine-preloader", "C:\\WPS\\et.exe"}},
    };
    EXPECT_EQ(KillProcessByName("EXCEL", t), 2);
    EXPECT_EQ(t.terminated, (std::vector<pid_t>{201, 202}));
    t.terminated.clear();
    EXPECT_EQ(KillProcessByName("ET", t), 1);
    EXPECT_EQ(t.terminated, (std::vector<pid_t>{207}));
}

TEST(ProcessEnd, EmptyTableDoesNothing) {
    FakeProcessTable t;
    EXPECT_EQ(KillProcessByName("ET", t), 0);
    ProcProcessTable missing("/nonexistent-proc");
    EXPECT_TRUE(missing.list().empty());
}

// A real child whose program is called "et" ends; one called "etcd" does not.
TEST(ProcessEnd, EndsARealChildProcessByItsProgramName) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("lorvane-kill-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::copy_file("/bin/sleep", dir / "et", fs::copy_options::overwrite_existing);
    fs::copy_file("/bin/sleep", dir / "etcd", fs::copy_options::overwrite_existing);
    auto spawn = [](const fs::path& program) {
        pid_t pid = ::fork();
        if (pid == 0) {
            ::execl(program.c_str(), program.filename().c_str(), "30", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return pid;
    };
    pid_t et = spawn(dir / "et");
    pid_t etcd = spawn(dir / "etcd");
    ASSERT_GT(et, 0);
    ASSERT_GT(etcd, 0);
    // The child is ours once its program is running under its own name.
    ProcProcessTable table;
    for (int i = 0; i < 1000; ++i) {
        bool seen = false;
        for (const auto& p : table.list())
            if (p.pid == et)
                for (const auto& n : p.names) seen = seen || processNameMatches(n, "ET");
        if (seen) break;
        ::usleep(1000);
    }
    EXPECT_GE(KillProcessByName("ET", table), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(et, &status, 0), et);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(::waitpid(etcd, &status, WNOHANG), 0);  // still running
    ::kill(etcd, SIGKILL);
    ::waitpid(etcd, &status, 0);
    fs::remove_all(dir);
}

struct DetectionRow {
    const char* name;
    std::vector<const char*> refused;
    const char* failing;  // fails with another error than 429
    EngineInfo::Flag et, ket, excel;
    const char* engine;
    std::vector<std::string> messages;
};

TEST(EngineDetection, ProbesInTheFixedOrder) {
    const std::string none = "本机未安装Excel或WPS，无法运行此程序，请先安装相应的程序！";
    const DetectionRow rows[] = {
        {"only Excel", {kEtId, kKetId}, nullptr, EngineInfo::No, EngineInfo::No, EngineInfo::Yes, kExcelId, {}},
        {"only KET", {kEtId, kExcelId}, nullptr, EngineInfo::No, EngineInfo::Yes, EngineInfo::Unset, kKetId, {}},
        {"WPS and Excel", {}, nullptr, EngineInfo::Yes, EngineInfo::Unset, EngineInfo::Unset, kEtId, {}},
        {"nothing", {kEtId, kKetId, kExcelId}, nullptr, EngineInfo::No, EngineInfo::No, EngineInfo::No, kEtId, {none}},
        {"ET broken", {}, kEtId, EngineInfo::Unset, EngineInfo::Yes, EngineInfo::Unset, kKetId,
         {"错误代码：1004\r\n错误描述：无法启动"}},
        {"all but Excel broken", {kEtId}, kKetId, EngineInfo::No, EngineInfo::Unset, EngineInfo::Yes, kExcelId,
         {"错误代码：1004\r\n错误描述：无法启动"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ObjectRegistry::instance().reset();
        for (const char* id : r.refused) ObjectRegistry::instance().refuse(id);
        if (r.failing)
            ObjectRegistry::instance().setFactory(r.failing, []() -> std::shared_ptr<AutomationObject> {
                throw AutomationError(errc::kMethodFailed, "无法启动");
            });
        runs::ScriptedUi ui;
        EngineInfo info;
        std::shared_ptr<Application> app;
        DetectEngine(app, info, ui);
        EXPECT_EQ(info.et, r.et);
        EXPECT_EQ(info.ket, r.ket);
        EXPECT_EQ(info.excel, r.excel);
        EXPECT_EQ(engineIdentifier(info), r.engine);
        EXPECT_EQ(ui.texts(), r.messages);
        if (!r.messages.empty() && r.messages.front().starts_with("错误代码")) {
            EXPECT_EQ(ui.messages.front().title, "错误");
            EXPECT_EQ(ui.messages.front().icon, Icon::Critical);
        }
        if (r.et == EngineInfo::Yes || r.ket == EngineInfo::Yes || r.excel == EngineInfo::Yes) {
            ASSERT_TRUE(app);
            EXPECT_FALSE(app->Visible());
        }
    }
    ObjectRegistry::instance().reset();
}

TEST(EngineDetection, NothingInstalledTellsOnceWithItsTitle) {
    for (const char* id : {kEtId, kKetId, kExcelId}) ObjectRegistry::instance().refuse(id);
    runs::ScriptedUi ui;
    EngineInfo info;
    std::shared_ptr<Application> app;
    DetectEngine(app, info, ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "温馨提示");
    EXPECT_EQ(ui.messages[0].icon, Icon::Information);
    ObjectRegistry::instance().reset();
}

TEST(FileDialogFilter, TranslatesToTheQtForm) {
    const std::pair<const char*, const char*> rows[] = {
        {"Excel (*.xls;*.xlsx)|*.xls;*.xlsx|", "Excel (*.xls *.xlsx)"},
        {"Excel (*.xls;*.xlsx)|*.xls;*.xlsx", "Excel (*.xls *.xlsx)"},  // no trailing "|"
        {"Excel|*.xlsx|All|*.*|", "Excel (*.xlsx);;All (*.*)"},
        {"Excel (*.xls;*.xlsx)", "Excel (*.xls *.xlsx)"},
    };
    for (const auto& [in, out] : rows) EXPECT_EQ(qtFileFilter(in), out) << in;
}

// Qt's standard texts are translated like the program's own: no "Look in", "Open", "Cancel".
TEST(FileDialogTexts, LabelsAndButtonsAreChinese) {
    for (bool saveMode : {false, true}) {
        auto dialog = makeFileDialog(saveMode, "请选择表格文件", "Excel 文件(*.xls;*.xlsx)|*.xls;*.xlsx");
        dialog->show();
        QCoreApplication::processEvents();
        auto chinese = [](const QString& s) {
            for (QChar c : s)
                if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) return true;
            return false;
        };
        int checked = 0;
        for (auto* label : dialog->findChildren<QLabel*>())
            if (label->isVisible() && !label->text().isEmpty() && !label->text().contains('/')) {
                EXPECT_TRUE(chinese(label->text())) << label->text().toStdString();
                ++checked;
            }
        for (auto* button : dialog->findChildren<QAbstractButton*>())
            if (button->isVisible() && !button->text().isEmpty()) {
                EXPECT_TRUE(chinese(button->text())) << button->text().toStdString();
                ++checked;
            }
        EXPECT_GE(checked, 4);  // 查看、文件名称、文件类型, 打开/保存, 取消
        dialog->close();
    }
}

// A failure inside a window's handler is a Chinese message through the session's UI, and the
// window goes on working; an exception never leaves the Qt slot.
TEST_F(DesktopTest, AHandlerThatThrowsIsReportedAndTheWindowStaysUsable) {
    auto* form = new Form("试验", QStringLiteral("试验"), 300, 200);
    auto* button = form->button("确定", QStringLiteral("确  定"), 10, 10, 100, 30);
    int clicks = 0;
    form->onClick(button, [&] {
        if (++clicks == 1) throw AutomationError(errc::kMethodFailed, "工作表已被删除。");
        if (clicks == 2) throw std::bad_alloc();
    });
    form->show();
    for (int i = 0; i < 3; ++i) QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 3);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text.rfind("操作没有完成：工作表已被删除。", 0), 0u) << ui.messages[0].text;
    EXPECT_NE(ui.messages[1].text.find("内存不足"), std::string::npos);
    delete form;
}

// The running notice shows what the run reports, and its 取消 (clicked as a user does, while the
// run asks between two steps) is what the run sees as a stop; the notice then says it is stopping
// and takes no further progress text.
TEST_F(DesktopTest, RunningNoticeShowsProgressAndTakesACancelClick) {
    QtUiService qtUi;
    qtUi.setSession(session.get());
    qtUi.showRunningNotice();
    auto* notice = session->find<RunningNoticeWindow>();
    ASSERT_NE(notice, nullptr);
    auto* progress = child<QLabel>(notice, "进度");
    auto* cancel = child<QPushButton>(notice, "取消");
    qtUi.showProgress("正在读取 3/120：第03分公司.xlsx");
    EXPECT_EQ(progress->text(), QStringLiteral("正在读取 3/120：第03分公司.xlsx"));
    EXPECT_EQ(child<QLabel>(notice, "Label1")->text(), QStringLiteral("正在运行中，请稍等……"));
    EXPECT_FALSE(qtUi.cancelRequested());

    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(qtUi.cancelRequested());
    EXPECT_FALSE(cancel->isEnabled());
    qtUi.showProgress("正在读取 4/120：第04分公司.xlsx");
    EXPECT_EQ(progress->text(), QStringLiteral("正在停止，请稍等……"));
    qtUi.hideRunningNotice();
    EXPECT_EQ(session->find<RunningNoticeWindow>(), nullptr);
    EXPECT_FALSE(qtUi.cancelRequested());  // no notice, no stop
}

TEST(OutputLocation, KeepsTheFolderWithItsSeparator) {
    EXPECT_EQ(folderPart("D:\\out\\result.xlsx"), "D:\\out\\");
    EXPECT_EQ(folderPart("/home/wang/out/result.xlsx"), "/home/wang/out/");
    EXPECT_EQ(folderPart("result.xlsx"), "");
}

}  // namespace
}  // namespace lorvane::shell::testing
