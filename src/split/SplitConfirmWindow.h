#pragma once
// The confirmation windows that show the chosen master sheet before a split runs.
#include <string>

#include "shell/Form.h"

namespace lorvane::shell {
class Session;
}

namespace lorvane::split {

class SplitOptionsWindow;

class SplitConfirmWindow : public shell::Form {
    Q_OBJECT
public:
    SplitConfirmWindow(shell::Session& session, const char* name, bool intoWorkbooks);
    // The master sheet name the run uses (text of 工作表名).
    std::string sheetName() const;
    void setSheetName(const std::string& name);
    // The options window this one belongs to (nullptr when it is gone).
    SplitOptionsWindow* optionsWindow() const;
    // 确定: unloads both windows and runs the split.
    void runSplit();

private:
    shell::Session& session_;
    bool intoWorkbooks_;
};

class SplitSheetsConfirmWindow : public SplitConfirmWindow {
    Q_OBJECT
public:
    static constexpr const char* kName = "拆分汇总表提醒";
    explicit SplitSheetsConfirmWindow(shell::Session& session) : SplitConfirmWindow(session, kName, false) {}
};

class SplitBooksConfirmWindow : public SplitConfirmWindow {
    Q_OBJECT
public:
    static constexpr const char* kName = "拆分汇总表到单薄提醒";
    explicit SplitBooksConfirmWindow(shell::Session& session) : SplitConfirmWindow(session, kName, true) {}
};

}  // namespace lorvane::split
