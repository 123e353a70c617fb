#include "split/SplitConfirmWindow.h"

#include <QLabel>
#include <QLineEdit>

#include "automation/Application.h"
#include "shell/Session.h"
#include "shell/RunServices.h"
#include "shell/WindowKit.h"
#include "split/SplitIntoBooks.h"
#include "split/SplitIntoSheets.h"
#include "split/SplitPlan.h"
#include "split/SplitOptionsWindow.h"

namespace lorvane::split {

using namespace lorvane::shell;

SplitConfirmWindow::SplitConfirmWindow(Session& session, const char* name, bool intoWorkbooks)
    : Form(name, QStringLiteral("请确认总表的名称"), 560, 360), session_(session), intoWorkbooks_(intoWorkbooks) {
    textBox("工作表名", 150, 70, 360, 30);
    button("确定", QStringLiteral("确  定"), 60, 290, 120, 40, 12);
    button("修改", QStringLiteral("修 改"), 220, 290, 120, 40, 12);
    button("关闭", QStringLiteral("关 闭"), 380, 290, 120, 40, 12);
    heading(*this, "Label1", QStringLiteral("请再次核对您所选的总表名称是否正确"), 30, 16, 500, 34, 14);
    label("Label2", QStringLiteral("总表名称："), 40, 70, 110, 30, 12);
    QLabel* h = heading(*this, "Label3", QStringLiteral("特别提醒："), 40, 120, 480, 28, 12);
    h->setStyleSheet("color: #c00000;");
    const char* warning =
        intoWorkbooks
            ? "请核对好当前所选择的工作薄的“总表”，如果将其他分表选择成“总表”，那拆分出来的信息将不全！"
            : "请务必核对好当前所选择的工作薄的“总表”，如果将其他分表选择成“总表”，而“总表工作表名称”正好是所选择要拆分列里的名称，那“总表”上的数据将将被清空。数据丢失后无法找回！！！";
    QLabel* w = label("Label4", QString::fromUtf8(warning), 40, 150, 480, 120, 11);
    w->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    w->setStyleSheet("color: #c00000;");

    onClick(control("修改"), [this] {
        SplitOptionsWindow* options = optionsWindow();
        unload();
        if (options) options->show();
    });
    onClick(control("确定"), [this] { runSplit(); });
    bindClose(*this, [this] { session_.closeConfirmWindow(this, optionsWindow()); });
    makeTopMost();
}

std::string SplitConfirmWindow::sheetName() const { return ss(textOf(control("工作表名"))); }
void SplitConfirmWindow::setSheetName(const std::string& name) { setTextOf(control("工作表名"), qs(name)); }

void SplitConfirmWindow::runSplit() {
    SplitOptionsWindow* options = optionsWindow();
    SplitRequest request = options ? options->request() : SplitRequest{};
    request.sheetName = sheetName();
    // Everything the run needs is taken before the windows go.
    Session& session = session_;
    std::shared_ptr<Application> app = session.SpreadsheetApp;
    Workbook* source = session.SourceWorkbook;
    const bool intoWorkbooks = intoWorkbooks_;
    const std::string chosenPath = session.ChosenPath;
    // What can be refused is refused here, while the user can still go back with 修改.
    if (app && source && source->isOpen()) {
        SplitPlan plan;
        if (auto refusal = planSplit(request, *source, intoWorkbooks ? NameUse::File : NameUse::Sheet, plan)) {
            session.ui.inform(*refusal);
            return;
        }
    }
    if (options) options->unload();
    unload();
    if (!app || !source || !source->isOpen()) {
        session.ui.inform("要拆分的工作薄已经关闭，无法拆分，请重新选择表格文件。");
        session.showMain();
        return;
    }
    if (intoWorkbooks) {
        runSplitIntoBooks(request, *app, *source, chosenPath, session.ui);
    } else {
        runSplitIntoSheets(request, *app, *source, session.ui);
    }
}

SplitOptionsWindow* SplitConfirmWindow::optionsWindow() const {
    if (intoWorkbooks_) return session_.find<SplitBooksOptionsWindow>();
    return session_.find<SplitSheetsOptionsWindow>();
}

}  // namespace lorvane::split
