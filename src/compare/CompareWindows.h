#pragma once
// The windows of compare and fill: the chooser and the two options windows for two tables.
#include <memory>
#include <string>

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

// The texts of a two-table window as its run reads them; table two's key column is the
// 对比列2 / 依据列2 box, `mode` is 显示方式 (compare) and the column lists are the fill's.
struct TwoTableTexts {
    std::string sameWorkbook;
    std::string book1, sheet1, titleRows1, key1, footer1, footerRows1;
    std::string book2, sheet2, titleRows2, key2, footer2, footerRows2;
    std::string mode, fillColumns, sourceColumns;
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
