#pragma once
// The table-layout inputs every options window shares (title rows, key column, maximum
// columns and rows, footer, footer rows, keep footer): each checks itself when changed or
// left and moves the focus on. One piece, configured per window.
#include "runs/TableLayout.h"
#include "shell/RunServices.h"
#include <functional>
#include <string>

#include "shell/Form.h"

namespace lorvane::shell {


struct LayoutConfig {
    // Control names; nullptr where the window has no such control.
    const char* titleRows = "标题行数";
    const char* keyColumn = "依据列";
    const char* maxColumns = "最大列数";
    const char* maxRows = "最大行数";
    const char* footer = "表底文字";
    const char* footerRows = "表底文字行数";
    const char* keep = "是否保留";
    const char* footerRowsLabel = "Label8";
    const char* keepLabel = "Label9";
    const char* ok = "确定";

    // Where the focus goes after a change of the title rows.
    const char* afterTitleRows = "表底文字";
    // The key column's name in its messages, and whether it is trimmed and upper-cased first.
    std::string keyColumnField = "依据列";
    bool keyColumnTrimUpper = false;
    // Messages of the maximum boxes (empty: no check) and whether the focus goes back.
    std::string maxColumnsMessage, maxRowsMessage;
    bool maxColumnsRefocus = false, maxRowsRefocus = false;
    // Choosing "否" for the footer clears the footer row count.
    bool footerNoClears = true;
    // Where the focus goes after a change of the footer rows (the footer announced), and after
    // choosing "否" for the footer (default: the OK button).
    std::function<QWidget*()> afterFooterRows;
    std::function<QWidget*()> afterFooterNo;
    // Two-table windows: a change of the footer rows always moves on to afterFooterRows; a
    // typed footer choice moves the focus as a picked one does.
    bool footerRowsChangeAlwaysMoves = false;
    bool footerChangeMovesFocus = false;

    std::string titleEmptyMessage = "请输入标题行数，如没有标题的，请输入“0”！";
    std::string titleNotNumberMessage = "您输入的标题行数不是数字，请重新输入！";
    std::string footerRowsNotNumberMessage = "您输入的表底行数不是数字，请重新输入！";
};

class TableLayoutInputs {
public:
    TableLayoutInputs(Form& form, UiService& ui, LayoutConfig config);
    const LayoutConfig& config() const { return config_; }
    // Shows or hides the footer group by the footer choice (the window's starting state too).
    void applyFooterChoice(bool moveFocus);

private:
    QWidget* get(const char* name) const { return name ? form_.control(name) : nullptr; }
    void titleRowsChanged();
    void titleRowsLeft();
    void keyColumnLeft();
    void maxLeft(const char* name, const std::string& message, bool refocus);
    void footerRowsChanged();
    void footerRowsLeft();

    Form& form_;
    UiService& ui_;
    LayoutConfig config_;
};

// The layout controls' texts as the runs take them: 依据列, 标题行数, 最大行数, 最大列数, 表底文字,
// 表底文字行数 and 是否保留 (empty for those the window lacks).
runs::TableLayoutTexts layoutTextsOf(const Form& form);

// 举例: its Click and MouseMove show the example window; moving over the window's free
// surface unloads it again.
void bindExampleButton(Form& form, std::function<void()> show, std::function<void()> unload);

}  // namespace lorvane::shell
