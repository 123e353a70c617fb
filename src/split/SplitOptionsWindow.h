#pragma once
// The options windows of the two split operations: into sheets and into workbooks.
#include <memory>
#include <string>

#include "shell/Form.h"
#include "shell/TableLayoutInputs.h"
#include "split/SplitRequest.h"

class QComboBox;

namespace lorvane::shell {
class Session;
}

namespace lorvane::split {

class SplitOptionsWindow : public shell::Form {
    Q_OBJECT
public:
    SplitOptionsWindow(shell::Session& session, const char* name, bool intoWorkbooks);
    QComboBox* sheetList() const;
    // The texts the run reads; the master sheet is the one chosen in 工作表列表.
    SplitRequest request() const;
    bool intoWorkbooks() const { return intoWorkbooks_; }
    // The OK check; when it passes, hands over to the confirmation window.
    void confirm();
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
