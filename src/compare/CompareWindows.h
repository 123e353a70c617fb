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

private:
    void sameWorkbookClicked();
    QString prompt1() const;
    QString prompt2() const;
    shell::Session& session_;
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
