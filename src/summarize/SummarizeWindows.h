#pragma once
// The windows of the summarize and total operations: the options window of one workbook,
// the chooser of the many-workbook operations and their two options windows.
#include <memory>
#include <string>

#include "shell/Form.h"
#include "shell/TableLayoutInputs.h"
#include "summarize/SummarizeRequest.h"
#include "summarize/TotalsRequest.h"

class QComboBox;
class QLabel;

namespace lorvane::shell {
class Session;
}

namespace lorvane::summarize {

// 选择要汇总工作薄的工作表: the options of summarizing the sheets of one workbook.
class SummarizeSheetsWindow : public shell::Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "选择要汇总工作薄的工作表";
    explicit SummarizeSheetsWindow(shell::Session& session);
    QComboBox* sheetList() const;
    // The texts of the controls as 确定 reads them.
    SummarizeSheetsRequest request() const;

private:
    void summaryChosen();
    void checkExistingName();
    void existsChosen();
    void confirm();

    shell::Session& session_;
    std::unique_ptr<shell::TableLayoutInputs> layout_;
    int nameWarnings_ = 0;  // leaving 汇总表名 on a taken name is refused once, then accepted
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

// 选择要汇总的工作表: the options of summarizing one sheet position over a folder of workbooks.
class SummarizeBooksWindow : public shell::Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "选择要汇总的工作表";
    explicit SummarizeBooksWindow(shell::Session& session);
    QComboBox* sheetNumbers() const;
    // The texts of the controls as 确定 reads them (依据列 without surrounding spaces).
    SummarizeBooksRequest request() const;

private:
    void sheetNumberChosen();
    void confirm();

    shell::Session& session_;
    std::unique_ptr<shell::TableLayoutInputs> layout_;
};

// 选择要合计的工作表: the options of totalling the same cells over a folder of workbooks.
class TotalsWindow : public shell::Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "选择要合计的工作表";
    explicit TotalsWindow(shell::Session& session);
    QComboBox* sheetNumbers() const;
    // The texts of the controls as 确定 reads them.
    TotalsTexts request() const;

private:
    void sheetNumberChosen();
    // 合计类型: the caption and width of 位置1 and which groups show.
    void typeChosen();
    void position1Left();
    void position2Left();
    bool givenCells() const;
    void confirm();

    shell::Session& session_;
    std::unique_ptr<shell::TableLayoutInputs> layout_;
};

}  // namespace lorvane::summarize
