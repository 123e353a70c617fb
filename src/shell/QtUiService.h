#pragma once
// The UiService of the desktop program: Qt message boxes and file dialogs, the running
// notice window, the main window's exit countdown, the desktop's browser or file manager.
#include <memory>

#include "automation/AlertService.h"
#include "shell/RunServices.h"

class QFileDialog;

namespace lorvane::shell {

class Session;

class QtUiService : public UiService {
public:
    void setSession(Session* s) { session_ = s; }
    Answer message(const Message& m) override;
    std::string fileDialog(bool saveMode, const std::string& title, const std::string& filter) override;
    void showRunningNotice() override;
    void hideRunningNotice() override;
    void scheduleExit() override;
    void openWithShell(const std::string& target) override;
    long long nowSeconds() override;
    // Shown on the running notice; both let the notice's 取消 be clicked meanwhile.
    void showProgress(const std::string& text) override;
    bool cancelRequested() override;

private:
    Session* session_ = nullptr;
};

// The file dialog fileDialog() shows: title, "description (*.xlsx)|..." filter, open or save.
std::unique_ptr<QFileDialog> makeFileDialog(bool saveMode, const std::string& title, const std::string& filter);

// The spreadsheet applications' questions, asked through a UiService.
class UiAlertService : public AlertService {
public:
    explicit UiAlertService(UiService& ui) : ui_(ui) {}
    Answer askSaveChanges(const std::string& workbookName) override;
    bool confirmDeleteSheet(const std::string& sheetName) override;
    bool confirmReplaceFile(const std::string& path) override;
    std::string askSaveAsPath(const std::string& suggestedName) override;

private:
    UiService& ui_;
};

}  // namespace lorvane::shell
