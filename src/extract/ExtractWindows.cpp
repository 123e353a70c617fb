#include "extract/ExtractWindows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <cmath>

#include "automation/Application.h"
#include "automation/Conversions.h"
#include "automation/SheetNames.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "base/CellAddress.h"
#include "extract/ExtractColumns.h"
#include "extract/ExtractPlan.h"
#include "shell/ChooserLayout.h"
#include "shell/RunServices.h"
#include "shell/WindowKit.h"

namespace lorvane::extract {

using namespace lorvane::shell;

namespace {

const char* const kNumberFormText = "列标题序号";  // what the handlers set; any text but 列标题名称 is the number form
const char* const kTitleRowsZero = "标题行数为0时只能选择“列标题序号”！";
const char* const kSameWorkbook = "提取到本工作薄";

}  // namespace

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

    onClick(control("工作表列表"), [this] { chooseSheet(); });
    onChange(control("标题行数"), [this] { titleRowsChanged(); });
    onLostFocus(control("标题行数"), [this] {
        if (!convert::isNumeric(ss(textOf(control("标题行数"))))) session_.ui.inform(kTitleRowsNotNumber);
    });
    onClick(control("列标题所在行数"), [this] {
        rebuildColumnBoxes();
        focusTo(control("列标形式"));
    });
    onClick(control("列标形式"), [this] { rebuildColumnBoxes(); });
    onClick(control("确定"), [this] { confirm(); });
    makeTopMost();
}

QComboBox* ExtractOptionsWindow::sheetList() const { return control<QComboBox>("工作表列表"); }

bool ExtractOptionsWindow::numberFormShown() const { return frames_[1]->isVisibleTo(const_cast<ExtractOptionsWindow*>(this)); }

void ExtractOptionsWindow::chooseSheet() {
    const std::string name = ss(textOf(control("工作表列表")));
    if (name != kSheetListPrompt && session_.SourceWorkbook) {
        if (Worksheet* ws = session_.SourceWorkbook->Worksheets().Find(name)) {
            ws->Activate();
            SheetExtent extent = extentOf(*ws);
            columnCount_ = extent.lastColumn;
            rowCount_ = extent.lastRow;
            measuredSheet_ = ws->Name();
            // The label rows offered reach as far as this sheet's rows.
            const std::string t = ss(textOf(control("标题行数")));
            if (convert::isNumeric(t)) {
                QString labelRow = textOf(control("列标题所在行数"));
                fillLabelRows(static_cast<int>(std::min<double>(convert::leadingValue(t), kMaxRows)));
                setTextOf(control("列标题所在行数"), labelRow);
            }
            focusTo(control("标题行数"));
        } else {
            session_.ui.inform("工作簿中没有名为“" + name + "”的工作表，请从列表中选择要提取的工作表！");
        }
    }
    rebuildColumnBoxes();
    // A new sheet's columns start unticked, in both forms.
    for (auto* c : check1_) c->setChecked(false);
    for (auto* c : check2_) c->setChecked(false);
}

void ExtractOptionsWindow::fillLabelRows(int t) {
    auto* rows = control<QComboBox>("列标题所在行数");
    rows->clear();
    for (int i = 1; i <= std::min(t, rowCount_); ++i) rows->addItem(QString::number(i));
}

void ExtractOptionsWindow::titleRowsChanged() {
    const QString text = textOf(control("标题行数"));
    QWidget* labelRows = control("列标题所在行数");
    if (text.isEmpty()) {
        session_.ui.inform(kTitleRowsEmpty);
        return;
    }
    if (text == QStringLiteral("0")) {
        control<QComboBox>("列标题所在行数")->clear();
        setTextOf(labelRows, QStringLiteral("0"));
        setTextOf(control("列标形式"), QStringLiteral("列标题列号"));
    } else if (convert::isNumeric(ss(text))) {
        double t = convert::leadingValue(ss(text));
        fillLabelRows(t >= 1 ? static_cast<int>(std::min<double>(t, kMaxRows)) : 0);
        setTextOf(labelRows, text);
    } else {
        return;  // leaving the box says what is wrong
    }
    rebuildColumnBoxes();
    focusTo(labelRows);
}

void ExtractOptionsWindow::rebuildColumnBoxes() {
    const int n = columnCount_;
    QWidget* form = control("列标形式");
    if (textOf(control("标题行数")) == QStringLiteral("0")) {
        // Without titles only the letters can label the columns; their boxes follow.
        session_.ui.inform(kTitleRowsZero);
        setTextOf(form, QString::fromUtf8(kNumberFormText));
    }
    const QString labelRow = textOf(control("列标题所在行数"));
    if (textOf(form) == QString::fromUtf8(kNameForm)) {
        if (n > kNameBoxes) {
            session_.ui.inform(kNameFormLimit);
            setTextOf(form, QString::fromUtf8(kNumberFormText));
            rebuildColumnBoxes();
            return;
        }
        frames_[0]->setVisible(true);
        frames_[1]->setVisible(false);
        if (labelRow.isEmpty()) {
            for (auto* c : check1_) c->setVisible(false);
            return;
        }
        // The captions come from the label row, when it is a row of the sheet.
        Worksheet* ws = session_.SourceWorkbook ? session_.SourceWorkbook->Worksheets().Find(ss(textOf(control("工作表列表"))))
                                                : nullptr;
        int row = 0;
        if (convert::isNumeric(ss(labelRow))) {
            double r = convert::roundHalfEven(convert::leadingValue(ss(labelRow)));
            if (r >= 1 && r <= kMaxRows) row = static_cast<int>(r);
        }
        for (int i = 0; i < kNameBoxes; ++i) {
            check1_[i]->setVisible(i < n);
            if (i < n) check1_[i]->setText(ws && row ? qs(convert::toText(ws->Cells(row, i + 1).Value())) : QString());
        }
        return;
    }
    if (n > kNumberBoxes) {
        session_.ui.inform(kNumberFormLimit);
        return;
    }
    frames_[1]->setVisible(true);
    frames_[0]->setVisible(false);
    if (labelRow.isEmpty()) {
        for (auto* c : check2_) c->setVisible(false);
        return;
    }
    for (int i = 0; i < kNumberBoxes; ++i) {
        check2_[i]->setVisible(i < n);
        if (i < n) check2_[i]->setText(qs(columnLetters(i + 1)) + "(" + QString::number(i + 1) + ")");
    }
}

ExtractRequest ExtractOptionsWindow::request(ExtractMethod method) const {
    ExtractRequest r;
    r.sheetName = ss(textOf(control("工作表列表")));
    r.titleRows = ss(textOf(control("标题行数")));
    r.method = method;
    r.target = textOf(control("提取方式")) == QString::fromUtf8(kSameWorkbook) ? ExtractTarget::SameWorkbook
                                                                                : ExtractTarget::NewWorkbook;
    // The boxes the user sees: those of the frame shown, as many as the sheet has columns.
    const bool numbers = numberFormShown();
    const auto& boxes = numbers ? check2_ : check1_;
    r.boxLimit = numbers ? kNumberBoxes : kNameBoxes;
    for (int i = 0; i < columnCount_ && i < static_cast<int>(boxes.size()); ++i)
        if (boxes[i]->isChecked()) r.columns.push_back(i + 1);
    return r;
}

std::string ExtractOptionsWindow::refusalFor(ExtractMethod method) const {
    Workbook* source = session_.SourceWorkbook;
    if (!source || !source->isOpen()) return "要提取的工作薄已经关闭，无法提取，请重新选择表格文件。";
    ExtractRequest r = request(method);
    // The boxes belong to the sheet chosen from the list; a name typed over it has no boxes yet.
    if (r.sheetName != kSheetListPrompt && source->Worksheets().Find(r.sheetName) &&
        !sheetNamesEqual(r.sheetName, measuredSheet_))
        return "请从列表中选择工作表“" + r.sheetName + "”，显示它的列以后再勾选要提取的列！";
    ExtractPlan plan;
    if (auto refusal = planExtract(r, *source, plan)) return *refusal;
    return {};
}

void ExtractOptionsWindow::confirm() {
    if (textOf(control("工作表列表")) == QString::fromUtf8(kSheetListPrompt)) {
        session_.ui.inform("您还未选择需要提取的工作表，请先选择要提取的工作表名！");
        focusTo(control("工作表列表"));
        return;
    }
    // Everything a run would refuse is refused here, while the entries can be corrected.
    if (std::string refusal = refusalFor(ExtractMethod::Values); !refusal.empty()) {
        session_.ui.inform(refusal);
        return;
    }
    hide();
    session_.load<ExtractMethodWindow>()->show();
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
    onClick(control("提取数据"), [this] { runExtraction(ExtractMethod::Values); });
    onClick(control("删除列"), [this] { runExtraction(ExtractMethod::DeleteColumns); });
    // No button leads back; closing the window abandons the operation as the options window's 关闭.
    setCloseHandler([this] {
        unload();
        session_.closeOptionsWindow(session_.find<ExtractOptionsWindow>(), true);
    });
    makeTopMost();
}

void ExtractMethodWindow::runExtraction(ExtractMethod method) {
    Session& session = session_;
    ExtractOptionsWindow* options = session.find<ExtractOptionsWindow>();
    if (!options) {
        unload();
        session.ui.inform("提取选项已经关闭，无法提取，请重新选择表格文件。");
        session.showMain();
        return;
    }
    // A refusal goes back to the options, where it can be corrected.
    if (std::string refusal = options->refusalFor(method); !refusal.empty()) {
        session.ui.inform(refusal);
        unload();
        options->show();
        return;
    }
    ExtractRequest request = options->request(method);
    std::shared_ptr<Application> app = session.SpreadsheetApp;
    Workbook* source = session.SourceWorkbook;
    options->unload();
    unload();
    runExtractColumns(request, *app, *source, session.ui);
}

}  // namespace lorvane::extract
