#include "extract/ExtractWindows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

#include "shell/ChooserLayout.h"
#include "shell/WindowKit.h"

namespace lorvane::extract {

using namespace lorvane::shell;

ExtractOptionsWindow::ExtractOptionsWindow(Session& session)
    : Form(kName, QStringLiteral("请选择需要提取的工作表名称"), 940, 640), session_(session) {
    combo("工作表列表", {}, QStringLiteral("请选择要提取的工作表"), 130, 60, 220, 28);
    textBox("标题行数", 130, 100, 80, 28);
    combo("列标题所在行数", {}, QString(), 370, 100, 80, 28);
    combo("列标形式", {QStringLiteral("列标题名称"), QStringLiteral("列标题列号")}, QStringLiteral("列标题名称"), 660, 60,
          200, 28);
    combo("提取方式", {QStringLiteral("提取到新建的工作薄"), QStringLiteral("提取到本工作薄")},
          QStringLiteral("提取到新建的工作薄"), 660, 100, 200, 28);
    heading(*this, "Label1", QStringLiteral("请选择要提取的工作表名"), 30, 14, 880, 32);
    label("Label2", QStringLiteral("工作表名："), 30, 60, 100, 28);
    label("Label4", QStringLiteral("标题行数："), 30, 100, 100, 28);
    label("Label3", QStringLiteral("列标题所在行数："), 230, 100, 140, 28);
    label("Label6", QStringLiteral("需要提取列的列标形式："), 450, 60, 210, 28);
    label("Label5", QStringLiteral("提取方式："), 450, 100, 210, 28);

    // Two grids of column boxes: titles (6 x 7) and letters with numbers (8 x 11).
    for (int f = 0; f < 2; ++f) {
        frames_[f] = frame("Frame1", QStringLiteral("请勾选需要提取的列"), 30, 145, 880, 420);
        frames_[f]->setProperty("index", f);
    }
    for (int i = 0; i < kNameBoxes; ++i) {
        int row = i / 7, col = i % 7;
        auto* c = check("Check1", QStringLiteral("列标题%1").arg(i + 1), 12 + col * 124, 28 + row * 62, 120, 40, frames_[0]);
        c->setProperty("index", i);
        c->setVisible(false);
        check1_.push_back(c);
    }
    for (int i = 0; i < kNumberBoxes; ++i) {
        int row = i / 11, col = i % 11;
        auto* c = check("Check2", QStringLiteral("AA(99)"), 12 + col * 78, 28 + row * 48, 76, 36, frames_[1]);
        c->setProperty("index", i);
        check2_.push_back(c);
    }
    frames_[0]->setVisible(true);
    frames_[1]->setVisible(false);

    button("关闭", QStringLiteral("关  闭"), 760, 580, 140, 40, 12);
    button("确定", QStringLiteral("确  定"), 590, 580, 140, 40, 12);
    bindClose(*this, [this] { session_.closeOptionsWindow(this, true); });
    makeTopMost();
}

QComboBox* ExtractOptionsWindow::sheetList() const { return control<QComboBox>("工作表列表"); }

ExtractOptionsTexts ExtractOptionsWindow::request() const {
    ExtractOptionsTexts r;
    auto t = [this](const char* n) { return ss(textOf(control(n))); };
    r.sheetName = t("工作表列表");
    r.titleRows = t("标题行数");
    r.labelForm = t("列标形式");
    r.target = t("提取方式");
    for (auto* c : check1_) r.nameBoxes.push_back(c->isChecked());
    for (auto* c : check2_) r.numberBoxes.push_back(c->isChecked());
    return r;
}

// ---- 提取方法 ----

ExtractMethodWindow::ExtractMethodWindow(Session& session)
    : Form(kName, QStringLiteral("请选择提取方法"), 620, 360), session_(session) {
    layOutChooser(*this, {.heading = "请选择提取方法",
                          .choices = {{"提取数据", "只提取选中列中的数据", "     通过获取所选列的数据，不包含原有的公式和格式等！"},
                                      {"删除列", "通过删除未选中列", "     通过删除未选择的列，留下的列包含原有的公式和格式等！"}},
                          .buttonWidth = 220,
                          .buttonPoints = 13,
                          .panelX = 290,
                          .panelWidth = 300,
                          .panelPoints = 20});
    // No button leads back; closing the window abandons the operation as the options window's 关闭.
    setCloseHandler([this] {
        unload();
        session_.closeOptionsWindow(session_.find<ExtractOptionsWindow>(), true);
    });
    makeTopMost();
}

}  // namespace lorvane::extract
