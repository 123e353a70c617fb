#pragma once
// What all windows of the program share: the spreadsheet application and workbook of the
// current operation, the chosen path, the sheet names, the engine found at start-up, and the
// windows themselves (each loaded at most once).
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/EngineDetection.h"
#include "shell/Form.h"
#include "shell/RunServices.h"

namespace lorvane {
class Application;
class ApplicationObserver;
class AlertService;
class Workbook;
}  // namespace lorvane

namespace lorvane::shell {


class ProcessTable;
class MainWindow;

class Session {
public:
    Session(UiService& ui, ProcessTable& processes);
    ~Session();

    UiService& ui;
    ProcessTable& processes;
    EngineInfo engine;
    std::shared_ptr<Application> SpreadsheetApp;
    Workbook* SourceWorkbook = nullptr;
    std::string ChosenPath;
    int SheetCount = 0;
    std::vector<std::string> SheetNameTable;

    // Opens a workbook file in an application (Workbooks.Open unless replaced, e.g. by tests).
    std::function<Workbook*(Application&, const std::string&)> openWorkbook;
    // The same for a workbook only read by a run (Workbooks.OpenInput: sheets parsed when used).
    std::function<Workbook*(Application&, const std::string&)> openInputWorkbook;
    // Shows the workbooks of every application this session creates (the workbook windows).
    ApplicationObserver* workbookObserver = nullptr;
    // Answers the applications' questions (save changes, replace file).
    std::shared_ptr<AlertService> alerts;

    // A new application by the engine rule (Excel, else KET, else ET), wired to the windows.
    std::shared_ptr<Application> createApplication();
    // Ends the spreadsheet programs: processes named EXCEL or ET, and every application this
    // program created (closed without saving).
    void endSpreadsheetPrograms();

    // A new application, the workbook at `path` opened in it, visible, and its sheet names.
    // On failure the user is told why, the half-opened application is quit, and nullopt comes back.
    struct Opened {
        std::shared_ptr<Application> app;
        Workbook* book = nullptr;
        std::vector<std::string> sheetNames;
    };
    std::optional<Opened> openInNewApplication(const std::string& path);
    // The same into SpreadsheetApp, SourceWorkbook and SheetCount.
    std::optional<std::vector<std::string>> OpenChosenWorkbook(const std::string& path);
    // Opens a further workbook in `app` (no new application), as a run's input when `asInput`;
    // nullopt after telling the user.
    std::optional<Opened> openInApplication(const std::shared_ptr<Application>& app, const std::string& path,
                                            bool asInput = false);
    void reportError(const std::string& description);

    // The output location for a result workbook: the save dialog; ChosenPath becomes its folder.
    // Empty when cancelled.
    std::string chooseOutputLocation();

    // The main window and the hand-over at the end of a run.
    void setMainWindow(MainWindow* m);
    MainWindow* mainWindow() const;
    void showMain();
    void hideMain();
    void ScheduleExit();

    // The close buttons: unload the options window, show main, close SourceWorkbook, quit the
    // application (and forget it when `release`). Failures are ignored.
    void closeOptionsWindow(Form* window, bool release = false);
    // The close button of a confirmation window: itself, its options window, the workbook,
    // the application, then main.
    void closeConfirmWindow(Form* window, Form* optionsWindow);

    // Windows, one of each kind, by class: loaded on first use.
    template <class T>
    T* load() {
        if (auto* w = find<T>()) return w;
        auto* w = new T(*this);
        const std::string key = T::kName;
        windows_[key] = w;
        w->setGoneHandler([this, key, w] {
            auto it = windows_.find(key);
            if (it != windows_.end() && it->second == w) windows_.erase(it);
        });
        return w;
    }
    template <class T>
    T* find() const {
        auto it = windows_.find(T::kName);
        return it == windows_.end() || !it->second ? nullptr : static_cast<T*>(it->second.data());
    }
    template <class T>
    void unload() {
        if (auto* w = find<T>()) w->unload();
    }
    Form* findByName(const std::string& name) const;

private:
    std::map<std::string, QPointer<Form>> windows_;
    // Every application made here lives as long as the session, so workbook pointers held by
    // windows never dangle after an application has quit.
    std::vector<std::shared_ptr<Application>> created_;
    QPointer<MainWindow> main_;
};

// Safe calls for the close sequences.
void closeQuietly(Workbook* book);
void quitQuietly(const std::shared_ptr<Application>& app);

}  // namespace lorvane::shell
