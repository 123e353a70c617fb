#pragma once
// The options windows of the two split operations: into sheets and into workbooks.
#include <memory>
#include <string>

#include "shell/Form.h"
#include "shell/TableLayoutInputs.h"

class QComboBox;

namespace lorvane::shell {
class Session;
}

namespace lorvane::split {

// The texts of the options window as the split run reads them.
struct SplitOptionsTexts {
    std::string sheetName, keyColumn, titleRows, maxRows, maxColumns, footer, footerRows, keep;
};

class SplitOptionsWindow : public shell::Form {
    Q_OBJECT
public:
    SplitOptionsWindow(shell::Session& session, const char* name, bool intoWorkbooks);
    QComboBox* sheetList() const;
    SplitOptionsTexts request() const;
    bool intoWorkbooks() const { return intoWorkbooks_; }
    // Hands over to the confirmation window with the chosen master sheet, hiding this window.
    void handOver();

protected:
    shell::Session& session_;

private:
    bool intoWorkbooks_;
    std::unique_ptr<shell::TableLayoutInputs> layout_;
};

class SplitSheetsOptionsWindow : public SplitOptionsWindow {
    Q_OBJECT
public:
    static constexpr const char* kName = "选择要拆分工作薄的汇总表";
    explicit SplitSheetsOptionsWindow(shell::Session& session) : SplitOptionsWindow(session, kName, false) {}
};

class SplitBooksOptionsWindow : public SplitOptionsWindow {
    Q_OBJECT
public:
    static constexpr const char* kName = "选择要拆分工作薄总表到单工作薄";
    explicit SplitBooksOptionsWindow(shell::Session& session) : SplitOptionsWindow(session, kName, true) {}
};

}  // namespace lorvane::split
