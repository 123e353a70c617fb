#include "summarize/SummarizeWindows.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

#include "automation/Application.h"
#include "automation/Conversions.h"
#include "automation/SheetNames.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "shell/ChooserLayout.h"
#include "shell/FileDialog.h"
#include "shell/MainWindow.h"
#include "shell/RunServices.h"
#include "shell/WindowKit.h"
#include "summarize/SummarizeBooks.h"
#include "summarize/SummarizeSheets.h"
#include "summarize/TotalBooks.h"

namespace lorvane::summarize {

using namespace lorvane::shell;

namespace {

const QStringList kNoYes = {QStringLiteral("否"), QStringLiteral("是")};

// The footer and optional inputs shared by the two summarize windows, from row y on.
void footerAndOptions(Form& f, int y) {
    f.label("Label6", QStringLiteral("请正确输入标题行数"), 30, y, 200, 28);
    f.textBox("标题行数", 240, y, 180, 28);
    f.label("Label7", QStringLiteral("表格是否有表底文字"), 30, y + 42, 200, 28);
    f.combo("表底文字", kNoYes, QStringLiteral("否"), 240, y + 42, 180, 28);
    f.label("Label8", QStringLiteral("表底文字行数"), 30, y + 84, 200, 28);
    f.textBox("表底文字行数", 240, y + 84, 180, 28);
    f.label("Label9", QStringLiteral("汇总后是否保留"), 30, y + 126, 200, 28);
    f.combo("是否保留", kNoYes, QStringLiteral("否"), 240, y + 126, 180, 28);
    f.label("Label5", QStringLiteral("（可选项："), 30, y + 168, 90, 28);
    f.label("Label12", QStringLiteral("最大列数"), 118, y + 168, 70, 28);
    f.textBox("最大列数", 190, y + 168, 60, 28);
    f.label("Label13", QStringLiteral("依据列"), 262, y + 168, 56, 28);
    f.textBox("依据列", 320, y + 168, 60, 28);
    f.label("Label14", QStringLiteral("）"), 384, y + 168, 30, 28);
}

LayoutConfig summarizeLayout(Form& f, bool clears, bool trimUpper) {
    LayoutConfig c;
    c.maxRows = nullptr;
    c.keyColumnTrimUpper = trimUpper;
    c.maxColumnsMessage = "您输入的【最大列数】不是数字，请重新输入！";
    c.maxColumnsRefocus = true;
    c.footerNoClears = clears;
    return c;
}

void notes(Form& f, const std::vector<std::pair<const char*, const char*>>& lines, int x, int y, int w) {
    heading(f, "Label3", QStringLiteral("说明："), x, y, w, 28, 12);
    y += 34;
    for (const auto& [name, text] : lines) {
        QLabel* l = f.label(name, QString::fromUtf8(text), x, y, w, 48, 10);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        y += std::string(name) == "Label18" || std::string(name) == "Label16" ? 42 : 52;
    }
}

}  // namespace

SummarizeSheetsWindow::SummarizeSheetsWindow(Session& session)
    : Form(kName, QStringLiteral("请选择要汇总工作表的信息"), 820, 500), session_(session) {
    heading(*this, "Label1", QStringLiteral("请输入要汇总工作表的相关信息"), 30, 14, 760, 32);
    label("Label2", QStringLiteral("是否已经存在汇总表"), 30, 60, 200, 28);
    combo("是否存在", {QStringLiteral("是"), QStringLiteral("否")}, QStringLiteral("是"), 240, 60, 180, 28);
    label("汇总表名称", QStringLiteral("请选择汇总表名"), 30, 102, 200, 28);
    combo("汇总表名", {}, QStringLiteral("请选择汇总表名称"), 240, 102, 180, 28);
    footerAndOptions(*this, 144);
    notes(*this,
          {{"Label4", "1、如果已存在汇总表，请务必正确选择，否则将会影响汇总结果；"},
           {"Label10", "2、请务必正确输入标题行数，否则统计结果会出错；"},
           {"Label11", "3、如果表格底部有表底文字说明的，请正确输入行数。"},
           {"Label15", "4、输入最大列数和依据列可以减少循环，加快运行速度"},
           {"Label18", "5、依据列是指能获得整个工作表最大行数的列号,用数字或大写字母"},
           {"Label17", "表示，如C列则输入：C或3"}},
          460, 60, 330);
    button("举例", QStringLiteral("查看例子"), 30, 430, 120, 40);
    button("确定", QStringLiteral("确  定"), 460, 430, 140, 40, 12);
    button("关闭", QStringLiteral("关  闭"), 640, 430, 140, 40, 12);
    layout_ = std::make_unique<TableLayoutInputs>(*this, session.ui, summarizeLayout(*this, false, false));
    bindExample<FillExampleWindow>(*this, session);
    bindClose(*this, [this] { session_.closeOptionsWindow(this, true); });
    onClick(control("汇总表名"), [this] { summaryChosen(); });
    onLostFocus(control("汇总表名"), [this] { checkExistingName(); });
    onClick(control("是否存在"), [this] { existsChosen(); });
    onClick(control("确定"), [this] { confirm(); });
    makeTopMost();
}

QComboBox* SummarizeSheetsWindow::sheetList() const { return control<QComboBox>("汇总表名"); }

SummarizeSheetsRequest SummarizeSheetsWindow::request() const {
    SummarizeSheetsRequest r;
    static_cast<runs::TableLayoutTexts&>(r) = layoutTextsOf(*this);
    r.summaryName = ss(textOf(control("汇总表名")));
    r.exists = ss(textOf(control("是否存在")));
    return r;
}

void SummarizeSheetsWindow::summaryChosen() {
    // The chosen sheet comes to the front in the workbook window.
    std::string name = ss(textOf(control("汇总表名")));
    if (session_.SourceWorkbook) {
        if (Worksheet* ws = session_.SourceWorkbook->Worksheets().Find(name)) ws->Activate();
    }
    focusTo(control("标题行数"));
}

void SummarizeSheetsWindow::checkExistingName() {
    if (!session_.SourceWorkbook || ss(textOf(control("是否存在"))) != "否") return;
    const std::string name = ss(textOf(control("汇总表名")));
    for (Worksheet* ws : session_.SourceWorkbook->Worksheets()) {
        if (!sheetNamesEqual(ws->Name(), name)) continue;
        if (nameWarnings_ != 1) {
            session_.ui.message(Message{"工作薄中已经存在您输入的工作表名，请重新输入！"});
            focusTo(control("汇总表名"));
            ++nameWarnings_;
            return;
        }
        session_.ui.message(Message{"您确定要将【" + name + "】作为要汇总的工作表名？"});
        setTextOf(control("是否存在"), QStringLiteral("是"));
        focusTo(control("标题行数"));
        return;
    }
}

void SummarizeSheetsWindow::existsChosen() {
    // The focus leaves first: the footer group may be hidden below, and a hidden control that
    // has the focus hands it down the tab chain.
    focusTo(control("汇总表名"));
    if (ss(textOf(control("是否存在"))) == "否") {
        setTextOf(control("汇总表名称"), QStringLiteral("请输入汇总表名"));
        setTextOf(control("汇总表名"), QStringLiteral("汇总表"));
    } else {
        setTextOf(control("汇总表名称"), QStringLiteral("请选择汇总表名"));
        setTextOf(control("汇总表名"), QStringLiteral("请选择汇总表名称"));
        setTextOf(control("表底文字"), QStringLiteral("否"));
        setTextOf(control("表底文字行数"), QString());
    }
    nameWarnings_ = 0;
    focusTo(control("汇总表名"));
}

void SummarizeSheetsWindow::confirm() {
    SummarizeSheetsRequest r = request();
    auto refuse = [this](const std::string& text, const char* focus) {
        session_.ui.message(Message{text});
        if (focus) focusTo(control(focus));
    };
    if (r.titleRows.empty())
        return refuse("您未输入标题行数，请先输入标题行数，用数字表示，没有标题行数的话请输入“0”！", nullptr);
    if (!convert::isNumeric(r.titleRows)) return refuse("您输入的标题行数不是数字，请重新输入！", nullptr);
    if (r.summaryName == "请选择汇总表名称") return refuse("您还未选择汇总表名称，请先选择汇总表名称！", "汇总表名");
    if (r.footerFlag == "是" && r.footerRows.empty())
        return refuse("请正确输入表底行数，如没有表底文字，请将“表格是否有表底文字”选为“否”！", "表底文字行数");
    Session& session = session_;
    std::shared_ptr<Application> app = session.SpreadsheetApp;
    Workbook* book = session.SourceWorkbook;
    if (!app || !book || !book->isOpen()) {
        unload();
        session.ui.inform("要汇总的工作薄已经关闭，无法汇总，请重新选择表格文件。");
        session.showMain();
        return;
    }
    // What can be refused is refused here, while the entries can still be corrected.
    SummarizeSheetsPlan plan;
    if (auto refusal = planSummarizeSheets(r, *book, plan)) return refuse(*refusal, nullptr);
    unload();
    runSummarizeSheets(r, *app, *book, session.ui, &plan);
}

// ---- 汇总多工作薄 ----

SummarizeChooserWindow::SummarizeChooserWindow(Session& session)
    : Form(kName, QStringLiteral("请选择对应的功能"), 620, 360), session_(session) {
    layOutChooser(*this, {.heading = "请选择您需要的功能",
                          .choices = {{"汇总信息", "汇总表格信息",
                                       "     当有结构一样的数据信息时，需要将表格中的【信息】进行汇总（即“复制”）到一张总表上！"},
                                      {"汇总数值", "合计表格数值",
                                       "     当有结构一样的数据表格时，需要将表格中的【数值】进行汇总（即“合计”）到一张总表上！"}},
                          .buttonWidth = 200,
                          .buttonPoints = 14,
                          .panelX = 270,
                          .panelWidth = 320,
                          .panelPoints = 18});
    onClick(control("汇总信息"), [this] { summarizeInformation(); });
    onClick(control("汇总数值"), [this] { totalValues(); });
    setCloseHandler([this] {
        unload();
        session_.showMain();
    });
    makeTopMost();
}

namespace {

// The common entry of both many-workbook operations: confirmation, the end of the spreadsheet
// programs, the file naming the folder, the workbook opened and its sheet numbers listed.
template <class W>
void enterManyWorkbooks(Session& s, const char* question, const char* cancelText) {
    s.unload<SummarizeChooserWindow>();
    std::string text = std::string(question) +
                       "\n\n为了保证数据正确性，即将关闭“EXCEL”或“WPS”程序，您未保存的表格数据可能丢失，是否继续？";
    if (!s.ui.askYesNo(text, "操作提示", Icon::Question)) {
        s.showMain();
        return;
    }
    s.endSpreadsheetPrograms();
    s.ChosenPath = s.ui.fileDialog(false, "请选择文件夹下任意一个表格文件", kOpenWorkbookFilter);
    if (s.ChosenPath.empty()) {
        s.ui.inform(cancelText);
        s.showMain();
        return;
    }
    s.hideMain();
    s.ui.showRunningNotice();
    auto opened = s.openInNewApplication(s.ChosenPath);
    if (!opened) {
        s.ui.hideRunningNotice();
        s.showMain();
        return;
    }
    s.SpreadsheetApp = opened->app;
    s.SourceWorkbook = opened->book;
    const auto& names = opened->sheetNames;
    if (names.empty()) {
        s.SpreadsheetApp->SetVisible(false);
        s.ui.inform("您所选择的工作薄没有可用的工作表！");
        closeQuietly(s.SourceWorkbook);
        s.SourceWorkbook = nullptr;
        quitQuietly(s.SpreadsheetApp);
        s.ui.hideRunningNotice();
        s.showMain();
        return;
    }
    W* w = s.load<W>();
    s.SheetNameTable = names;
    const QString numberText = w->sheetNumbers()->currentText();
    for (std::size_t i = 1; i <= names.size(); ++i) w->sheetNumbers()->addItem(QString::number(i));
    w->sheetNumbers()->setEditText(numberText);
    s.ui.hideRunningNotice();
    w->show();
    setTextOf(w->control("工作表名"), qs(names.front()));
}

}  // namespace

void SummarizeChooserWindow::summarizeInformation() {
    enterManyWorkbooks<SummarizeBooksWindow>(
        session_, "此操作将提取所选文件夹内所有工作薄的【信息】汇总（即“复制”）到新建的工作薄上，是否继续？",
        "您已经取消汇总或是未选对应的文件夹里的文件！");
}

void SummarizeChooserWindow::totalValues() {
    enterManyWorkbooks<TotalsWindow>(
        session_, "此操作将提取所选文件夹内所有工作薄的【数值】汇总（即“合计”）到新建的工作薄上，是否继续？",
        "您已经取消合计或是未选对应的文件夹里的文件！");
}

// ---- 选择要汇总的工作表 ----

SummarizeBooksWindow::SummarizeBooksWindow(Session& session)
    : Form(kName, QStringLiteral("请选择要汇总的工作表的表名"), 820, 540), session_(session) {
    heading(*this, "Label1", QStringLiteral("请输入要汇总工作表的相关信息"), 30, 14, 760, 32);
    label("Label2", QStringLiteral("要汇总第几个工作表"), 30, 60, 200, 28);
    combo("工作表号", {}, QString(), 240, 60, 180, 28);
    label("工作表名称", QStringLiteral("工作表名称"), 30, 102, 200, 28);
    textBox("工作表名", 240, 102, 180, 28);
    footerAndOptions(*this, 144);
    notes(*this,
          {{"Label4", "1、请选择要汇总工作表所处的位置。"},
           {"Label10", "2、请务必正确输入标题行数，否则统计结果会出错！"},
           {"Label11", "3、如果表格底部有表底文字说明的，请正确输入行数"},
           {"Label15", "4、输入最大列数和依据列可以减少循环，加快运行速度"},
           {"Label16", "5、依据列是指能获得整个工作表最大行数的列号,用数字或大写字母"},
           {"Label17", "表示，如C列则输入：C或3"}},
          460, 60, 330);
    button("举例", QStringLiteral("查看例子"), 30, 460, 120, 40);
    button("确定", QStringLiteral("确  定"), 460, 460, 140, 40, 12);
    button("关闭", QStringLiteral("关  闭"), 640, 460, 140, 40, 12);
    layout_ = std::make_unique<TableLayoutInputs>(*this, session.ui, summarizeLayout(*this, true, true));
    bindExample<FillExampleWindow>(*this, session);
    bindClose(*this, [this] { session_.closeOptionsWindow(this); });
    onClick(control("工作表号"), [this] { sheetNumberChosen(); });
    onClick(control("确定"), [this] { confirm(); });
    makeTopMost();
}

QComboBox* SummarizeBooksWindow::sheetNumbers() const { return control<QComboBox>("工作表号"); }

SummarizeBooksRequest SummarizeBooksWindow::request() const {
    SummarizeBooksRequest r;
    static_cast<runs::TableLayoutTexts&>(r) = layoutTextsOf(*this);
    r.sheetNumber = ss(textOf(control("工作表号")));
    r.keyColumn = ss(textOf(control("依据列")).trimmed());
    return r;
}

void SummarizeBooksWindow::sheetNumberChosen() {
    const std::string text = ss(textOf(control("工作表号")));
    const bool chosen = !text.empty();
    control("工作表名称")->setVisible(chosen);
    control("工作表名")->setVisible(chosen);
    if (chosen) {
        double v = convert::leadingValue(text);
        const auto& names = session_.SheetNameTable;
        if (v >= 1 && v <= static_cast<double>(names.size()) && v == static_cast<int>(v)) {
            const int n = static_cast<int>(v);
            setTextOf(control("工作表名"), qs(names[static_cast<std::size_t>(n - 1)]));
            if (session_.SourceWorkbook && session_.SourceWorkbook->isOpen() && n <= session_.SourceWorkbook->Worksheets().Count())
                session_.SourceWorkbook->Worksheets()(n)->Activate();
        }
        setTextOf(control("表底文字"), QStringLiteral("否"));
        setTextOf(control("表底文字行数"), QString());
    }
    focusTo(control("标题行数"));
}

void SummarizeBooksWindow::confirm() {
    SummarizeBooksRequest r = request();
    if (r.footerFlag == "是" && r.footerRows.empty()) {
        session_.ui.message(Message{"请正确输入表底行数，如没有表底文字，请将“表格是否有表底文字”选为“否”！"});
        focusTo(control("表底文字行数"));
        return;
    }
    Session& session = session_;
    // What can be refused is refused here, while the entries can still be corrected.
    SummarizeBooksSettings settings;
    if (auto refusal = checkSummarizeBooks(r, static_cast<int>(session.SheetNameTable.size()), settings)) {
        session.ui.inform(*refusal);
        return;
    }
    std::shared_ptr<Application> app = session.SpreadsheetApp;
    if (session.SourceWorkbook && session.SourceWorkbook->isOpen()) session.SourceWorkbook->Close(false);
    session.SourceWorkbook = nullptr;
    const std::string chosenPath = session.ChosenPath;
    unload();
    if (!app) {
        session.ui.inform("要汇总的工作薄已经关闭，无法汇总，请重新选择表格文件。");
        session.showMain();
        return;
    }
    bool opened = false;
    runs::RunOutcome out = runSummarizeBooks(r, *app, chosenPath, session.ui, [&](const std::string& saved) {
        // The result opens in a workbook window of its own; the program then counts down to its end.
        if (auto o = session.openInNewApplication(saved)) {
            session.SpreadsheetApp = o->app;
            session.SourceWorkbook = o->book;
            opened = true;
            session.ScheduleExit();
        }
    });
    if (!out.made.empty()) session.ChosenPath = folderPart(out.made.front());
    if (!opened) {
        app->Quit();
        if (session.SpreadsheetApp == app) session.SpreadsheetApp.reset();
        session.showMain();
    }
}

// ---- 选择要合计的工作表 ----

TotalsWindow::TotalsWindow(Session& session)
    : Form(kName, QStringLiteral("选择要合计的工作表"), 820, 520), session_(session) {
    // Entry controls first, in tab order.
    combo("工作表号", {}, QStringLiteral("1"), 240, 60, 180, 28);
    textBox("标题行数", 240, 144, 180, 28);
    combo("合计类型", {QStringLiteral("单元格区域"), QStringLiteral("指定某一列"), QStringLiteral("指定单元格")},
          QStringLiteral("单元格区域"), 240, 186, 180, 28);
    textBox("位置1", 240, 228, 57, 28);
    textBox("位置2", 363, 228, 57, 28);
    combo("表底文字", kNoYes, QStringLiteral("否"), 240, 270, 180, 28);
    textBox("表底文字行数", 240, 312, 180, 28);
    textBox("最大行数", 190, 354, 80, 28);
    textBox("工作表名", 240, 102, 180, 28);
    button("举例", QStringLiteral("查看例子"), 30, 450, 120, 40);
    button("关闭", QStringLiteral("关  闭"), 640, 450, 140, 40, 12);
    button("确定", QStringLiteral("确  定"), 460, 450, 140, 40, 12);
    label("工作表名称", QStringLiteral("工作表名称"), 30, 102, 200, 28);
    label("列号1", QStringLiteral("开始列号"), 30, 228, 200, 28);
    label("列号2", QStringLiteral("结束列号"), 300, 228, 62, 28);
    label("Label5", QStringLiteral("（可选项："), 30, 354, 90, 28);
    label("Label12", QStringLiteral("最大行数"), 118, 354, 70, 28);
    label("Label14", QStringLiteral("）"), 274, 354, 30, 28);
    label("Label7", QStringLiteral("表格是否有表底文字"), 30, 270, 200, 28);
    label("Label8", QStringLiteral("表底文字行数"), 30, 312, 200, 28);
    heading(*this, "Label1", QStringLiteral("请输入要合计工作表的相关信息"), 30, 14, 760, 32);
    label("Label2", QStringLiteral("要合计第几个工作表"), 30, 60, 200, 28);
    label("Label6", QStringLiteral("请正确输入标题行数"), 30, 144, 200, 28);
    label("Label20", QStringLiteral("选择想要合计的类型"), 30, 186, 200, 28);
    notes(*this,
          {{"Label4", "1、请选择要合计工作表所处的位置"},
           {"Label10", "2、请务必正确输入标题行数，否则合计结果会出错"},
           {"Label21", "3、开始列号或结束列号用字母或数字表示,如:C或3,d或4"},
           {"Label9", "4、指定单元格用EXCEL中的形式填写,多个用\"逗号\"隔开,如：d3,d6"},
           {"Label11", "5、如果表格底部有表底文字说明的，请正确输入行数"},
           {"Label15", "6、输入“最大行数”可以减少循环,加快运行速度,也可以避免错误"}},
          460, 60, 330);
    LayoutConfig c;
    c.keyColumn = nullptr;
    c.maxColumns = nullptr;
    c.keep = nullptr;
    c.keepLabel = nullptr;
    c.afterTitleRows = "合计类型";
    c.afterFooterRows = [this] { return control("表底文字行数"); };
    layout_ = std::make_unique<TableLayoutInputs>(*this, session.ui, c);
    bindExample<TotalsExampleWindow>(*this, session);
    bindClose(*this, [this] { session_.closeOptionsWindow(this); });
    onClick(control("工作表号"), [this] { sheetNumberChosen(); });
    onClick(control("合计类型"), [this] { typeChosen(); });
    onLostFocus(control("位置1"), [this] { position1Left(); });
    onLostFocus(control("位置2"), [this] { position2Left(); });
    onClick(control("确定"), [this] { confirm(); });
    makeTopMost();
}

QComboBox* TotalsWindow::sheetNumbers() const { return control<QComboBox>("工作表号"); }

TotalsTexts TotalsWindow::request() const {
    auto t = [this](const char* n) { return ss(textOf(control(n))); };
    return {t("工作表号"), t("工作表名"), t("标题行数"), t("合计类型"), t("位置1"), t("位置2"), t("表底文字"), t("表底文字行数"), t("最大行数")};
}

bool TotalsWindow::givenCells() const {
    const QString type = textOf(control("合计类型"));
    return type != QStringLiteral("单元格区域") && type != QStringLiteral("指定某一列");
}

void TotalsWindow::sheetNumberChosen() {
    const std::string text = ss(textOf(control("工作表号")));
    const bool chosen = !text.empty();
    control("工作表名称")->setVisible(chosen);
    control("工作表名")->setVisible(chosen);
    if (chosen) {
        const double v = convert::leadingValue(text);
        const auto& names = session_.SheetNameTable;
        if (v >= 1 && v <= static_cast<double>(names.size()) && v == static_cast<int>(v)) {
            const int n = static_cast<int>(v);
            setTextOf(control("工作表名"), qs(names[static_cast<std::size_t>(n - 1)]));
            if (session_.SourceWorkbook && session_.SourceWorkbook->isOpen() && n <= session_.SourceWorkbook->Worksheets().Count())
                session_.SourceWorkbook->Worksheets()(n)->Activate();
        }
        setTextOf(control("表底文字"), QStringLiteral("否"));
        setTextOf(control("表底文字行数"), QString());
    }
    focusTo(control("标题行数"));
}

void TotalsWindow::typeChosen() {
    const QString type = textOf(control("合计类型"));
    const bool range = type == QStringLiteral("单元格区域");
    const bool cells = givenCells();
    setTextOf(control("列号1"), range ? QStringLiteral("开始列号") : cells ? QStringLiteral("指定单元格") : QStringLiteral("指定列号"));
    QWidget* position = control("位置1");
    position->resize(cells ? 241 : 57, position->height());
    for (const char* name : {"列号2", "位置2"}) control(name)->setVisible(range);
    for (const char* name : {"Label7", "表底文字", "Label5", "Label12", "最大行数", "Label14"}) control(name)->setVisible(!cells);
    const bool footerRows = !cells && textOf(control("表底文字")) != QStringLiteral("否");
    for (const char* name : {"Label8", "表底文字行数"}) control(name)->setVisible(footerRows);
    focusTo(position);
}

void TotalsWindow::position1Left() {
    const std::string text = ss(textOf(control("位置1")));
    if (givenCells()) {
        std::vector<TotalCell> cells;
        if (auto m = parseCellList(text, cells)) session_.ui.inform(*m);
        return;
    }
    if (std::string m = columnEntryMessage(text, false); !m.empty()) session_.ui.inform(m);
}

void TotalsWindow::position2Left() {
    if (givenCells()) return;
    if (std::string m = columnEntryMessage(ss(textOf(control("位置2"))), true); !m.empty()) session_.ui.inform(m);
}

void TotalsWindow::confirm() {
    Session& session = session_;
    TotalsRequest r;
    // What can be refused is refused here, while the entries can still be corrected.
    if (auto refusal = checkTotals(request(), static_cast<int>(session.SheetNameTable.size()), r)) {
        session.ui.inform(refusal->message);
        if (!refusal->focus.empty()) focusTo(control(refusal->focus.c_str()));
        return;
    }
    std::shared_ptr<Application> app = session.SpreadsheetApp;
    Workbook* book = session.SourceWorkbook;
    if (!app || !book || !book->isOpen() || r.sheetNumber > book->Worksheets().Count()) {
        unload();
        session.ui.inform("要合计的工作薄已经关闭，无法合计，请重新选择表格文件。");
        session.showMain();
        return;
    }
    if (auto refusal = measureTotals(*book->Worksheets()(r.sheetNumber), r)) {
        session.ui.inform(*refusal);
        return;
    }
    book->Close(false);
    session.SourceWorkbook = nullptr;
    const std::string folder = std::filesystem::path(session.ChosenPath).parent_path().string();
    unload();
    bool opened = false;
    runs::RunOutcome out = runTotalBooks(r, *app, folder, session.ui, [&](const std::string& saved) {
        // The result opens in a workbook window of its own; the program then counts down to its end.
        if (auto o = session.openInNewApplication(saved)) {
            session.SpreadsheetApp = o->app;
            session.SourceWorkbook = o->book;
            opened = true;
            session.ScheduleExit();
        }
    });
    if (!out.made.empty()) session.ChosenPath = folderPart(out.made.front());
    if (!opened) {
        app->Quit();
        if (session.SpreadsheetApp == app) session.SpreadsheetApp.reset();
        session.showMain();
    }
}

}  // namespace lorvane::summarize
