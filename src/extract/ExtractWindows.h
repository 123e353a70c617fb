#pragma once
// The windows of the column extraction: the options window and the method chooser.
#include <string>
#include <vector>

#include "extract/ExtractRequest.h"
#include "shell/Form.h"

class QCheckBox;
class QComboBox;
class QGroupBox;

namespace lorvane::shell {
class Session;
}

namespace lorvane::extract {

class ExtractOptionsWindow : public shell::Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "选择需要提取的工作表";
    static constexpr int kNameBoxes = 42, kNumberBoxes = 88;
    explicit ExtractOptionsWindow(shell::Session& session);
    QComboBox* sheetList() const;
    // The control arrays: Frame1(0..1), Check1(0..41), Check2(0..87).
    QGroupBox* frame1(int index) const { return frames_[index]; }
    QCheckBox* check1(int index) const { return check1_[index]; }
    QCheckBox* check2(int index) const { return check2_[index]; }
    // The counts of the chosen sheet: its last used column and last used row.
    int columnCount() const { return columnCount_; }
    int rowCount() const { return rowCount_; }
    // What a run of `method` reads: the texts, and the ticked boxes among the first
    // columnCount() of the frame that is shown.
    ExtractRequest request(ExtractMethod method) const;
    // The boxes rebuilt for the sheet, the title rows, the label row and the label form.
    void rebuildColumnBoxes();
    // The checks of 确定; when they pass, this window hides and 提取方法 shows.
    void confirm();
    // Every check of a run, for `method`; the message of the first refusal, or empty.
    std::string refusalFor(ExtractMethod method) const;

private:
    void chooseSheet();
    void titleRowsChanged();
    // The items "1".."t" of 列标题所在行数, as far as the sheet has rows.
    void fillLabelRows(int t);
    bool numberFormShown() const;
    shell::Session& session_;
    QGroupBox* frames_[2] = {};
    std::vector<QCheckBox*> check1_, check2_;
    int columnCount_ = 0, rowCount_ = 0;
    std::string measuredSheet_;  // the sheet the counts and boxes belong to
};

class ExtractMethodWindow : public shell::Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "提取方法";
    explicit ExtractMethodWindow(shell::Session& session);

private:
    void runExtraction(ExtractMethod method);
    shell::Session& session_;
};

}  // namespace lorvane::extract
