#pragma once
// The windows of the summarize and total operations: the options window of one workbook,
// the chooser of the many-workbook operations and their two options windows.
#include <memory>
#include <string>

#include "shell/Form.h"
#include "shell/TableLayoutInputs.h"

class QComboBox;
class QLabel;

namespace lorvane::shell {
class Session;
}

namespace lorvane::summarize {

// The texts of 选择要汇总工作薄的工作表 as its OK button reads them.
struct SummarizeSheetsTexts {
    std::string sheetName, exists, titleRows, footer, footerRows, keep, maxColumns, keyColumn;
};

class SummarizeSheetsWindow : public shell::Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "选择要汇总工作薄的工作表";
    explicit SummarizeSheetsWindow(shell::Session& session);
    QComboBox* sheetList() const;
    SummarizeSheetsTexts request() const;

private:
    shell::Session& session_;
    std::unique_ptr<shell::TableLayoutInputs> layout_;
};

// 汇总多工作薄: summarize the information of many workbooks, or total their values.
class SummarizeChooserWindow : public shell::Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "汇总多工作薄";
    explicit SummarizeChooserWindow(shell::Session& session);
    void summarizeInformation();
    void totalValues();

private:
    shell::Session& session_;
};

struct SummarizeBooksTexts {
    std::string sheetNumber, sheetName, titleRows, footer, footerRows, keep, maxColumns, keyColumn;
};

class SummarizeBooksWindow : public shell::Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "选择要汇总的工作表";
    explicit SummarizeBooksWindow(shell::Session& session);
    QComboBox* sheetNumbers() const;
    SummarizeBooksTexts request() const;

private:
    shell::Session& session_;
    std::unique_ptr<shell::TableLayoutInputs> layout_;
};

struct TotalsTexts {
    std::string sheetNumber, sheetName, titleRows, totalType, position1, position2, footer, footerRows, maxRows;
};

class TotalsWindow : public shell::Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "选择要合计的工作表";
    explicit TotalsWindow(shell::Session& session);
    QComboBox* sheetNumbers() const;
    TotalsTexts request() const;

private:
    shell::Session& session_;
    std::unique_ptr<shell::TableLayoutInputs> layout_;
};

}  // namespace lorvane::summarize
