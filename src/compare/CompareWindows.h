#pragma once
// The windows of compare and fill: the chooser and the two options windows for two tables.
#include <memory>
#include <string>

#include "compare/TwoTables.h"
#include "shell/Form.h"
#include "shell/TableLayoutInputs.h"

namespace lorvane {
class Application;
class Workbook;
}  // namespace lorvane

namespace lorvane::shell {
class Session;
}

namespace lorvane::compare {

class CompareChooserWindow : public shell::Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "对比调用";
    explicit CompareChooserWindow(shell::Session& session);

private:
    shell::Session& session_;
};

class TwoTableWindow : public shell::Form {
    Q_OBJECT
public:
    TwoTableWindow(shell::Session& session, const char* name, bool fill);
    bool isFill() const { return fill_; }
    TwoTableTexts request() const;
    Workbook* Workbook1 = nullptr;
    Workbook* Workbook2 = nullptr;

    void chooseFirst();
    void chooseSecond();
    void closeWindow();  // 关闭
    // 确定: the checks in the window's order (the window stays open on a refusal), then the run.
    void confirm();

private:
    void sameWorkbookClicked();
    QString prompt1() const;
    QString prompt2() const;
    // Closes workbook 2 unless it is workbook 1 (the same file chosen twice); failures ignored.
    void closeSecondQuietly();
    shell::Session& session_;
    std::string opened1_, opened2_;  // the files Workbook1 and Workbook2 were opened from
    bool fill_;
    std::unique_ptr<shell::TableLayoutInputs> table1_, table2_;
};

class CompareWindow : public TwoTableWindow {
    Q_OBJECT
public:
    static constexpr const char* kName = "对比";
    explicit CompareWindow(shell::Session& session) : TwoTableWindow(session, kName, false) {}
};

class FillWindow : public TwoTableWindow {
    Q_OBJECT
public:
    static constexpr const char* kName = "调用";
    explicit FillWindow(shell::Session& session) : TwoTableWindow(session, kName, true) {}
};

}  // namespace lorvane::compare
