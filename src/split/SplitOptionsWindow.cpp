#include "split/SplitOptionsWindow.h"

#include <QComboBox>
#include <QLabel>

#include "automation/Application.h"
#include "base/AutomationError.h"
#include "shell/Session.h"
#include "shell/RunServices.h"
#include "shell/WindowKit.h"
#include "split/SplitChecks.h"
#include "split/SplitConfirmWindow.h"

namespace lorvane::split {

using namespace lorvane::shell;

SplitOptionsWindow::SplitOptionsWindow(Session& session, const char* name, bool intoWorkbooks)
    : Form(name, QStringLiteral("选择要拆分工作薄的总表"), 860, 500), session_(session), intoWorkbooks_(intoWorkbooks) {
    const QStringList noYes = {QStringLiteral("否"), QStringLiteral("是")};
    // Entry controls first, in tab order.
    combo("工作表列表", {}, QStringLiteral("请选择总表名称"), 240, 60, 200, 28);
    textBox("依据列", 240, 102, 200, 28);
    textBox("标题行数", 240, 144, 200, 28);
    textBox("最大行数", 196, 186, 60, 28);
    textBox("最大列数", 336, 186, 60, 28);
    combo("表底文字", noYes, QStringLiteral("否"), 240, 228, 200, 28);
    textBox("表底文字行数", 240, 270, 200, 28);
    combo("是否保留", noYes, QStringLiteral("否"), 240, 312, 200, 28);
    button("举例", QStringLiteral("更多说明"), 30, 430, 120, 40);
    button("关闭", QStringLiteral("关  闭"), 680, 430, 140, 40, 12);
    button("确定", QStringLiteral("确  定"), 500, 430, 140, 40, 12);
    heading(*this, "Label1", QStringLiteral("请选择并输入总表的相关信息"), 30, 14, 800, 32);
    label("Label2", QStringLiteral("请选择要拆分的总表"), 30, 60, 200, 28);
    label("工作表名称", QStringLiteral("输入拆分依据列"), 30, 102, 200, 28);
    label("Label6", QStringLiteral("请正确输入标题行数"), 30, 144, 200, 28);
    label("Label5", QStringLiteral("（可选项："), 30, 186, 90, 28);
    label("Label13", QStringLiteral("最大行数"), 122, 186, 72, 28);
    label("Label12", QStringLiteral("最大列数"), 262, 186, 72, 28);
    label("Label14", QStringLiteral("）"), 400, 186, 30, 28);
    label("Label7", QStringLiteral("表格是否有表底文字"), 30, 228, 200, 28);
    label("Label8", QStringLiteral("表底文字行数"), 30, 270, 200, 28);
    label("Label9", QStringLiteral("拆分后是否保留"), 30, 312, 200, 28);
    heading(*this, "Label3", QStringLiteral("说明："), 480, 60, 350, 28, 12);
    struct Note {
        const char* name;
        const char* text;
        int height;
    };
    const Note notes[] = {
        {"Label4", "1、请选择要拆分的工作表,该表为数据“总表”,不能选错哦！", 48},
        {intoWorkbooks ? "Label16" : "Label18", "2、拆分依据列指根据列名称进行拆分,用列号的大写字母或数字表示,", 48},
        {"Label17", "如C列则输入大写字母C或3", 30},
        {"Label10", "3、请务必正确输入标题行数,否则统计结果会出错！", 48},
        {"Label11", "4、如果表格底部有表底文字说明的,请正确输入行数", 48},
        {"Label15", "5、输入最大列数和最大行数可提高运行速度,也可解决下限越界错误", 48},
    };
    int y = 96;
    for (const auto& n : notes) {
        label(n.name, QString::fromUtf8(n.text), 480, y, 350, n.height, 10)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        y += n.height + 4;
    }

    LayoutConfig c;
    c.keyColumnField = "拆分依据列";
    c.maxColumnsMessage = "您输入的最大列数不是数字，请重新输入！";
    c.maxRowsMessage = "您输入的最大行数不是数字，请重新输入！";
    layout_ = std::make_unique<TableLayoutInputs>(*this, session.ui, c);
    bindExample<SplitExampleWindow>(*this, session);
    bindClose(*this, [this] { session_.closeOptionsWindow(this); });
    onClick(control("工作表列表"), [this] {
        // The chosen sheet comes to the front in the workbook window.
        std::string name = ss(textOf(control("工作表列表")));
        if (session_.SourceWorkbook && name != kSheetListPrompt) {
            try {
                session_.SourceWorkbook->GetSheets().Item(name)->Activate();
            } catch (const lorvane::AutomationError& e) {
                session_.ui.inform(e.description());
            }
        }
        focusTo(control("依据列"));
    });
    onClick(control("确定"), [this] { confirm(); });
    makeTopMost();
}

void SplitOptionsWindow::confirm() {
    SplitRequest r = request();
    if (auto problem = checkSplitOptions(r.sheetName, r.keyColumn, r.titleRows)) {
        session_.ui.message(Message{problem->text, problem->title});
        if (problem->focusTitleRows) focusTo(control("标题行数"));
        return;
    }
    handOver();
}

QComboBox* SplitOptionsWindow::sheetList() const { return control<QComboBox>("工作表列表"); }

SplitRequest SplitOptionsWindow::request() const {
    SplitRequest r;
    static_cast<runs::TableLayoutTexts&>(r) = layoutTextsOf(*this);
    r.sheetName = ss(textOf(control("工作表列表")));
    return r;
}

void SplitOptionsWindow::handOver() {
    SplitConfirmWindow* confirm = intoWorkbooks_ ? static_cast<SplitConfirmWindow*>(session_.load<SplitBooksConfirmWindow>())
                                                 : static_cast<SplitConfirmWindow*>(session_.load<SplitSheetsConfirmWindow>());
    confirm->show();
    confirm->setSheetName(ss(textOf(control("工作表列表"))));
    hide();
}

}  // namespace lorvane::split
