#include "shell/Session.h"

#include <exception>

#include "automation/Application.h"
#include "base/AutomationError.h"
#include "automation/CreateObject.h"
#include "shell/FileDialog.h"
#include "shell/Form.h"
#include "shell/MainWindow.h"
#include "shell/ProcessEnd.h"
#include "shell/RunServices.h"

namespace lorvane::shell {

Session::Session(UiService& ui_, ProcessTable& processes_) : ui(ui_), processes(processes_) {
    openWorkbook = [](Application& app, const std::string& path) { return app.Workbooks().Open(path); };
    openInputWorkbook = [](Application& app, const std::string& path) { return app.Workbooks().OpenInput(path); };
    Form::setFailureReporter([this](const std::string& text) { ui.inform(text); });
}

Session::~Session() {
    Form::setFailureReporter({});
    for (auto& [name, w] : windows_)
        if (w) delete w.data();
}

std::shared_ptr<Application> Session::createApplication() {
    auto app = CreateObjectAs<Application>(engineIdentifier(engine));
    if (alerts) app->setAlertService(alerts);
    if (workbookObserver) app->setObserver(workbookObserver);
    created_.push_back(app);
    return app;
}

void Session::endSpreadsheetPrograms() {
    KillProcessByName("EXCEL", processes);
    KillProcessByName("ET", processes);
    // The applications of this program end as their processes would: nothing is saved.
    // The one of the start-up detection is among them.
    std::vector<std::shared_ptr<Application>> apps = created_;
    if (SpreadsheetApp) apps.push_back(SpreadsheetApp);
    for (auto& app : apps) {
        if (app->quit()) continue;
        try {
            app->SetDisplayAlerts(false);
            for (Workbook* b : app->Workbooks().all()) b->Close(false);
            app->Quit();
        } catch (const std::exception&) {
        }
    }
}

void Session::reportError(const std::string& description) {
    ui.message(Message{description, "错误", Buttons::Ok, Icon::Critical, Answer::Ok});
}

static std::vector<std::string> sheetNamesOf(Workbook* book) {
    std::vector<std::string> names;
    int count = book->GetSheets().Count();  // every sheet, however many
    names.reserve(count);
    for (int i = 1; i <= count; ++i) names.push_back(book->GetSheets().Item(i)->Name());
    return names;
}

std::optional<Session::Opened> Session::openInApplication(const std::shared_ptr<Application>& app,
                                                          const std::string& path, bool asInput) {
    try {
        if (!app) throw AutomationError(errc::kObjectGone, "电子表格程序尚未启动，请先选择第一个表格。");
        Opened o;
        o.app = app;
        o.book = (asInput ? openInputWorkbook : openWorkbook)(*app, path);
        if (!o.book) throw AutomationError(errc::kBadFile, "无法打开文件“" + path + "”。");
        app->SetVisible(true);
        app->SetScreenUpdating(true);
        o.sheetNames = sheetNamesOf(o.book);
        return o;
    } catch (const AutomationError& e) {
        reportError(e.description());
    } catch (const std::exception& e) {
        reportError(std::string("无法打开文件“") + path + "”：" + e.what());
    }
    return std::nullopt;
}

std::optional<Session::Opened> Session::openInNewApplication(const std::string& path) {
    std::shared_ptr<Application> app;
    try {
        app = createApplication();
    } catch (const AutomationError& e) {
        reportError(e.description());
        return std::nullopt;
    }
    auto o = openInApplication(app, path);
    if (!o) quitQuietly(app);
    return o;
}

std::optional<std::vector<std::string>> Session::OpenChosenWorkbook(const std::string& path) {
    auto o = openInNewApplication(path);
    if (!o) return std::nullopt;
    SpreadsheetApp = o->app;
    SourceWorkbook = o->book;
    SheetCount = static_cast<int>(o->sheetNames.size());
    return o->sheetNames;
}

std::string Session::chooseOutputLocation() {
    std::string chosen = ui.fileDialog(true, "请选择要保存在的文件夹", kWorkbookFilter);
    if (!chosen.empty()) ChosenPath = folderPart(chosen);
    return chosen;
}

void Session::setMainWindow(MainWindow* m) { main_ = m; }
MainWindow* Session::mainWindow() const { return main_; }

void Session::showMain() {
    if (main_) {
        main_->show();
        main_->raise();
    }
}

void Session::hideMain() {
    if (main_) main_->hide();
}

void Session::ScheduleExit() {
    if (main_) main_->scheduleExit();
}

void closeQuietly(Workbook* book) {
    if (!book) return;
    try {
        book->Close();
    } catch (const std::exception&) {
    }
}

void quitQuietly(const std::shared_ptr<Application>& app) {
    if (!app) return;
    try {
        app->Quit();
    } catch (const std::exception&) {
    }
}

void Session::closeOptionsWindow(Form* window, bool release) {
    if (window) window->unload();
    showMain();
    closeQuietly(SourceWorkbook);
    SourceWorkbook = nullptr;
    quitQuietly(SpreadsheetApp);
    if (release) SpreadsheetApp.reset();
}

void Session::closeConfirmWindow(Form* window, Form* optionsWindow) {
    if (window) window->unload();
    if (optionsWindow) optionsWindow->unload();
    closeQuietly(SourceWorkbook);
    SourceWorkbook = nullptr;
    quitQuietly(SpreadsheetApp);
    showMain();
}

Form* Session::findByName(const std::string& name) const {
    auto it = windows_.find(name);
    return it == windows_.end() ? nullptr : it->second.data();
}

}  // namespace lorvane::shell
