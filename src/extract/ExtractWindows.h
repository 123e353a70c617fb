#pragma once
// The windows of the column extraction: the options window and the method chooser.
#include <string>
#include <vector>

#include "shell/Form.h"

class QCheckBox;
class QComboBox;
class QGroupBox;

namespace lorvane::shell {
class Session;
}

namespace lorvane::extract {

// What the extraction runs read from the options window.
struct ExtractOptionsTexts {
    std::string sheetName, titleRows, labelForm, target;
    std::vector<bool> nameBoxes;    // Check1, 42 boxes (ticked or not)
    std::vector<bool> numberBoxes;  // Check2, 88 boxes
};

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
    ExtractOptionsTexts request() const;

private:
    shell::Session& session_;
    QGroupBox* frames_[2] = {};
    std::vector<QCheckBox*> check1_, check2_;
};

class ExtractMethodWindow : public shell::Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "提取方法";
    explicit ExtractMethodWindow(shell::Session& session);

private:
    shell::Session& session_;
};

}  // namespace lorvane::extract
