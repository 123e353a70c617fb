#include "compare/CompareWindows.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "automation/Application.h"
#include "automation/Workbook.h"
#include "compare/CompareTables.h"
#include "compare/FillTable.h"
#include "shell/ChooserLayout.h"
#include "shell/FileDialog.h"
#include "shell/RunServices.h"
#include "shell/WindowKit.h"

namespace lorvane::compare {

using namespace lorvane::shell;

namespace {
const char* const kCancelText = "您已经取消提取或是未选工作薄文件！";
// book2 spans the place of the hidden 选择2 (3585 twips), or leaves room for it (2745 twips).
constexpr int kBook2Wide = 239, kBook2Narrow = 183;
}  // namespace

CompareChooserWindow::CompareChooserWindow(Session& session)
    : Form(kName, QStringLiteral("请选择对应的功能"), 620, 360), session_(session) {
    layOutChooser(*this, {.heading = "请选择您需要的功能",
                          .choices = {{"对比数据", "对比两个表格数据",
                                       "     当有两个表格时，需要对比两个表中的数据否存在包含关系，并将对比结果存放在最后列里或提取到新建工作表中！"},
                                      {"填充数据", "查询并填充表格数据",
                                       "     当有两个表格时，一个表中的数据需要某个关键字从另一个表格中查找并调用过来进行填充！"}},
                          .buttonWidth = 200,
                          .buttonPoints = 14,
                          .panelX = 270,
                          .panelWidth = 320,
                          .panelPoints = 18});
    onClick(control("对比数据"), [this] {
        session_.load<CompareWindow>()->show();
        unload();
    });
    onClick(control("填充数据"), [this] {
        session_.load<FillWindow>()->show();
        unload();
    });
    setCloseHandler([this] {
        unload();
        session_.showMain();
    });
    makeTopMost();
}

// ---- 对比 / 调用 ----

TwoTableWindow::TwoTableWindow(Session& session, const char* name, bool fill)
    : Form(name, QStringLiteral("请输入两个表格的相关信息"), 900, 650), session_(session), fill_(fill) {
    const QStringList noYes = {QStringLiteral("否"), QStringLiteral("是")};
    auto L = [](const char* compareText, const char* fillText, bool f) { return QString::fromUtf8(f ? fillText : compareText); };

    heading(*this, "Label1", L("请选择并输入要对比工作表的相关信息", "请选择并输入要填充和调用工作表的相关信息", fill), 20, 10,
            860, 32);
    label("Label20", L("要对比的两个表格是否在同一个工作薄中", "填充和调用的两个表格是否在同一个工作薄中", fill), 20, 50,
          380, 28);
    combo("是否同一个", {QStringLiteral("是"), QStringLiteral("否")}, QStringLiteral("是"), 410, 50, 80, 28);

    // Table one (left) and table two (right).
    for (int t = 1; t <= 2; ++t) {
        const int x = t == 1 ? 20 : 460;
        const bool one = t == 1;
        heading(*this, one ? "Label14" : "Label19", one ? L("表格一", "填充表格", fill) : L("表格二", "调用表格", fill), x, 92,
                400, 28, 12);
        label(one ? "Label7" : "Label5",
              one ? L("请选择第一个表格", "请选择填充的表格", fill) : L("请选择第二个表格", "请选择调用的表格", fill), x, 126,
              170, 28);
        textBox(one ? "book1" : "book2", x + 172, 126, one ? kBook2Narrow : kBook2Wide, 28);
        button(one ? "选择1" : "选择2", QStringLiteral("选择"), x + 172 + kBook2Narrow + 4, 126, 52, 28, 10);
        label(one ? "Label8" : "Label18",
              one ? L("选择对比工作表名", "选择填充工作表名", fill) : L("选择对比工作表名", "选择调用工作表名", fill), x,
              162, 170, 28);
        combo(one ? "表名1" : "表名2", {}, QString(), x + 172, 162, kBook2Wide, 28);
        label(one ? "Label13" : "Label17", QStringLiteral("请输入标题的行数"), x, 198, 170, 28);
        textBox(one ? "标题行数1" : "标题行数2", x + 172, 198, 80, 28);
        if (!fill) {
            label(one ? "Label21" : "Label22", QStringLiteral("请输入对比列"), x, 234, 170, 28);
            textBox(one ? "对比列1" : "对比列2", x + 172, 234, 80, 28);
        } else {
            label(one ? "Label24" : "Label25", QStringLiteral("请输入依据列"), x, 234, 170, 28);
            textBox(one ? "依据列1" : "依据列2", x + 172, 234, 80, 28);
            label(one ? "Label21" : "Label22", one ? QStringLiteral("输入要填充的列号") : QStringLiteral("输入要调用的列号"),
                  x, 270, 170, 28);
            textBox(one ? "填充列号" : "调用列号", x + 172, 270, kBook2Wide, 28);
        }
        label(one ? "Label2" : "Label12", QStringLiteral("表是否有表底文字"), x, 306, 170, 28);
        combo(one ? "表底文字1" : "表底文字2", noYes, QStringLiteral("否"), x + 172, 306, 80, 28);
        label(one ? "Label6" : "Label9", QStringLiteral("表底文字行数"), x, 342, 170, 28);
        textBox(one ? "表底文字行数1" : "表底文字行数2", x + 172, 342, 80, 28);
    }
    if (!fill) {
        label("Label16", QStringLiteral("请选择对比结果的显示方式"), 20, 384, 230, 28);
        combo("显示方式",
              {QStringLiteral("将对比结果存放在“表格一”中最后一列里"),
               QStringLiteral("提取对比结果为“不存在”的数据到新建工作表中"),
               QStringLiteral("提取对比结果为“存在”的数据到新建工作表中"),
               QStringLiteral("将“存在”和“不存在”都提取到新建工作表中")},
              QStringLiteral("将对比结果存放在“表格一”中最后一列里"), 252, 384, 420, 28);
    }
    heading(*this, "Label3", QStringLiteral("说明："), 20, 420, 200, 26, 11);
    struct Note {
        const char* name;
        const char* text;
    };
    std::vector<Note> notes;
    if (!fill) {
        notes = {{"Label4", "1、请点击\"选择\"按钮选择要对比的表格，并选择要对比的工作表名。"},
                 {"Label10", "2、请务必正确输入标题行数，否则对比结果将会出错。"},
                 {"Label15", "3、请正确输入对比列,用大写字母或数字表示,如C列则输入:C或3。"},
                 {"Label11", "4、如果表格底部有表底文字说明的，请正确输入行数。"}};
    } else {
        notes = {{"Label4", "1、请点击\"选择\"按钮选择要对比的表格,并选择要相应的工作表名。"},
                 {"Label10", "2、请务必正确输入标题行数,否则对比结果将会出错,无标题行的,请输入数字\"0\"。"},
                 {"Label11", "3、如果表格底部有表底文字说明的,请正确输入行数,用数字表示。"},
                 {"Label15", "4、依据列指的是填充调用对比的参考列,用大写字母或数字表示,如C列则输入:C或3"},
                 {"Label16", "5、填充的列号和调用的列号要一一对应,用大写字母或数字表示,如C列则输入:C或3"},
                 {"Label23", "如填充有多列,请用逗号\",\"隔开,如C列、E列和F列则输入：C,E,F或3,5,6"}};
    }
    int y = 448;
    for (const auto& n : notes) {
        label(n.name, QString::fromUtf8(n.text), 20, y, 860, 24, 10);
        y += 24;
    }
    button("举例", QStringLiteral("查看例子"), 20, 596, 120, 40);
    button("确定", QStringLiteral("确  定"), 580, 596, 140, 40, 12);
    button("关闭", QStringLiteral("关  闭"), 740, 596, 140, 40, 12);

    // Form_Load: 选择2 hidden, book2 wide.
    control("选择2")->setVisible(false);
    control("book2")->resize(kBook2Wide, 28);

    auto same = [this] { return textOf(control("是否同一个")) == QStringLiteral("是"); };
    const char* key1 = fill ? "依据列1" : "对比列1";
    const char* key2 = fill ? "依据列2" : "对比列2";
    LayoutConfig c1;
    c1.titleRows = "标题行数1";
    c1.keyColumn = key1;
    c1.maxColumns = c1.maxRows = c1.keep = c1.keepLabel = nullptr;
    c1.footer = "表底文字1";
    c1.footerRows = "表底文字行数1";
    c1.footerRowsLabel = "Label6";
    c1.afterTitleRows = key1;
    c1.keyColumnField = fill ? "依据列" : "对比列";
    c1.footerRowsChangeAlwaysMoves = true;
    c1.afterFooterNo = [this, same] { return control(same() ? "表名2" : "选择2"); };
    c1.afterFooterRows = fill ? std::function<QWidget*()>([this] { return control("填充列号"); }) : c1.afterFooterNo;
    if (fill) {
        c1.titleEmptyMessage = "请输入【标题行数】，如没有标题的，请输入“0”！";
        c1.titleNotNumberMessage = "您输入的【标题行数】不是数字，请重新输入！";
        c1.footerRowsNotNumberMessage = "您输入的【表底文字行数】不是数字，请重新输入！";
    }
    LayoutConfig c2 = c1;
    c2.titleRows = "标题行数2";
    c2.keyColumn = key2;
    c2.footer = "表底文字2";
    c2.footerRows = "表底文字行数2";
    c2.footerRowsLabel = "Label9";
    c2.afterTitleRows = key2;
    c2.afterFooterNo = [this, fill] { return control(fill ? "调用列号" : "显示方式"); };
    c2.afterFooterRows = c2.afterFooterNo;
    c2.footerChangeMovesFocus = true;
    table1_ = std::make_unique<TableLayoutInputs>(*this, session.ui, c1);
    table2_ = std::make_unique<TableLayoutInputs>(*this, session.ui, c2);

    onClick(control("是否同一个"), [this] { sameWorkbookClicked(); });
    onClick(control("选择1"), [this] { chooseFirst(); });
    onClick(control("选择2"), [this] { chooseSecond(); });
    onClick(control("表名1"), [this] {
        if (Workbook1) {
            try {
                Workbook1->GetSheets().Item(ss(textOf(control("表名1"))))->Activate();
            } catch (const std::exception&) {
            }
        }
        focusTo(control("标题行数1"));
    });
    onClick(control("表名2"), [this, same] {
        Workbook* book = same() ? Workbook1 : Workbook2;
        if (book) {
            try {
                book->GetSheets().Item(ss(textOf(control("表名2"))))->Activate();
            } catch (const std::exception&) {
            }
        }
        if (fill_ && same() && textOf(control("表名2")) == textOf(control("表名1"))) {
            session_.ui.inform("您所选择的两个表格是同一个，请重新选择！");
            focusTo(control("表名2"));
            return;
        }
        focusTo(control("标题行数2"));
    });
    if (!fill) onClick(control("显示方式"), [this] { focusTo(control("确定")); });
    if (fill)
        for (const char* list : {"填充列号", "调用列号"})
            onLostFocus(control(list), [this, list] {
                for (const std::string& m : columnListMessages(ss(textOf(control(list))), list)) session_.ui.inform(m);
            });
    onClick(control("确定"), [this] { confirm(); });
    if (fill)
        bindExample<FillLookupExampleWindow>(*this, session);
    else
        bindExample<CompareExampleWindow>(*this, session);
    bindClose(*this, [this] { closeWindow(); });
}

QString TwoTableWindow::prompt1() const {
    return fill_ ? QStringLiteral("请选择要填充的工作表名称") : QStringLiteral("请选择要对比的工作表名称");
}
QString TwoTableWindow::prompt2() const {
    return fill_ ? QStringLiteral("请选择要调用的工作表名称") : QStringLiteral("请选择要对比的工作表名称");
}

void TwoTableWindow::sameWorkbookClicked() {
    const bool same = textOf(control("是否同一个")) == QStringLiteral("是");
    control("选择2")->setVisible(!same);
    control("book2")->resize(same ? kBook2Wide : kBook2Narrow, 28);
    focusTo(control("选择1"));
}

void TwoTableWindow::closeSecondQuietly() {
    if (Workbook2 != Workbook1) closeQuietly(Workbook2);
    Workbook2 = nullptr;
    opened2_.clear();
}

void TwoTableWindow::chooseFirst() {
    // Workbook 2 lives in the application of workbook 1, which a new choice replaces.
    closeSecondQuietly();
    if (textOf(control("是否同一个")) != QStringLiteral("是")) {
        setTextOf(control("book2"), QString());
        control<QComboBox>("表名2")->clear();
    }
    closeQuietly(Workbook1);
    Workbook1 = nullptr;
    opened1_.clear();
    session_.ChosenPath = session_.ui.fileDialog(false, fill_ ? "请选择您需要填充的的表格文件" : "请选择您需要对比的的表格文件",
                                                 kWorkbookFilter);
    if (session_.ChosenPath.empty()) {
        session_.ui.inform(kCancelText);
        return;
    }
    hide();
    session_.ui.showRunningNotice();
    auto opened = session_.openInNewApplication(session_.ChosenPath);
    if (opened) {
        session_.SpreadsheetApp = opened->app;
        Workbook1 = opened->book;
        opened1_ = session_.ChosenPath;
        session_.SheetCount = static_cast<int>(opened->sheetNames.size());
        setTextOf(control("book1"), qs(session_.ChosenPath));
        auto* list1 = control<QComboBox>("表名1");
        list1->clear();
        fillSheetList(list1, prompt1(), opened->sheetNames);
        if (textOf(control("是否同一个")) == QStringLiteral("是")) {
            setTextOf(control("book2"), qs(session_.ChosenPath));
            auto* list2 = control<QComboBox>("表名2");
            list2->clear();
            fillSheetList(list2, prompt2(), opened->sheetNames);
        }
    }
    session_.ui.hideRunningNotice();
    show();
    focusTo(control(opened ? "表名1" : "选择1"));
}

void TwoTableWindow::chooseSecond() {
    closeSecondQuietly();
    if (textOf(control("是否同一个")) != QStringLiteral("否")) return;
    session_.ChosenPath = session_.ui.fileDialog(false, fill_ ? "请选择您需要调用的的表格文件" : "请选择您需要对比的的表格文件",
                                                 kWorkbookFilter);
    if (session_.ChosenPath.empty()) {
        session_.ui.inform(kCancelText);
        return;
    }
    hide();
    session_.ui.showRunningNotice();
    // Into the application of the first table; without one yet, the user is told to choose it first.
    // Table two is only read: its sheets are parsed when looked at.
    auto opened = session_.openInApplication(Workbook1 ? session_.SpreadsheetApp : nullptr, session_.ChosenPath, true);
    if (opened) {
        Workbook2 = opened->book;
        opened2_ = session_.ChosenPath;
        session_.SheetCount = static_cast<int>(opened->sheetNames.size());
        setTextOf(control("book2"), qs(session_.ChosenPath));
        auto* list2 = control<QComboBox>("表名2");
        list2->clear();
        fillSheetList(list2, prompt2(), opened->sheetNames);
    }
    session_.ui.hideRunningNotice();
    show();
    focusTo(control("表名2"));
}

void TwoTableWindow::closeWindow() {
    unload();
    session_.showMain();
    closeSecondQuietly();
    closeQuietly(Workbook1);
    Workbook1 = nullptr;
    quitQuietly(session_.SpreadsheetApp);
}

void TwoTableWindow::confirm() {
    const TwoTableTexts texts = request();
    const TwoTableKind kind = fill_ ? TwoTableKind::Fill : TwoTableKind::Compare;
    if (auto refusal = checkTexts(texts, kind)) {
        session_.ui.inform(*refusal);
        return;
    }
    // A path typed into a box names no open workbook: only the workbooks chosen with 选择 count.
    Workbook* one = Workbook1 && texts.book1 == opened1_ ? Workbook1 : nullptr;
    Workbook* two = Workbook2 && texts.book2 == opened2_ ? Workbook2 : nullptr;
    TwoTablePlan plan;
    std::shared_ptr<Application> app = session_.SpreadsheetApp;
    std::optional<std::string> refusal = planTwoTables(texts, kind, one, two, plan);
    if (!refusal && !app) refusal = "表格所在的程序已经关闭，请重新选择表格文件！";
    if (refusal) {
        session_.ui.inform(*refusal);
        return;
    }
    hide();
    runs::RunOutcome out = fill_ ? runFill(plan, *app, session_.ui) : runCompare(plan, *app, session_.ui);
    if (out.ok()) {
        Workbook1 = Workbook2 = nullptr;
        unload();
        return;
    }
    // Back for correction; the workbooks stay open as they were chosen.
    show();
}

TwoTableTexts TwoTableWindow::request() const {
    auto t = [this](const char* n) {
        QWidget* w = control(n);
        return w ? ss(textOf(w)) : std::string();
    };
    TwoTableTexts r;
    r.sameWorkbook = t("是否同一个");
    r.book1 = t("book1");
    r.sheet1 = t("表名1");
    r.titleRows1 = t("标题行数1");
    r.key1 = t(fill_ ? "依据列1" : "对比列1");
    r.footer1 = t("表底文字1");
    r.footerRows1 = t("表底文字行数1");
    r.book2 = t("book2");
    r.sheet2 = t("表名2");
    r.titleRows2 = t("标题行数2");
    r.key2 = t(fill_ ? "依据列2" : "对比列2");
    r.footer2 = t("表底文字2");
    r.footerRows2 = t("表底文字行数2");
    r.mode = t("显示方式");
    r.fillColumns = t("填充列号");
    r.sourceColumns = t("调用列号");
    return r;
}

}  // namespace lorvane::compare
