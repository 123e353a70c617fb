#include "shell/MainWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>

#include "automation/Application.h"
#include "compare/CompareWindows.h"
#include "extract/ExtractWindows.h"
#include "shell/FileDialog.h"
#include "shell/InfoWindows.h"
#include "shell/Session.h"
#include "shell/RunServices.h"
#include "split/SplitOptionsWindow.h"
#include "summarize/SummarizeWindows.h"
#include "shell/WindowKit.h"

namespace lorvane::shell {

using compare::CompareChooserWindow;
using extract::ExtractOptionsWindow;
using split::SplitBooksOptionsWindow;
using split::SplitOptionsWindow;
using split::SplitSheetsOptionsWindow;
using summarize::SummarizeChooserWindow;
using summarize::SummarizeSheetsWindow;

namespace {

const char* const kIdleText = "     请将鼠标移动到按钮上查看功能说明！";
const char* const kKillQuestion =
    "为了保证数据正确性，即将关闭“EXCEL”或“WPS”程序，您未保存的表格数据可能丢失，是否继续？";

struct Hover {
    const char* button;
    const char* text;
    int points;
};

const Hover kHovers[] = {
    {"拆分成单薄",
     "     当前工作薄有汇总数据，需要将各名称的数据拆分成单个工作薄，分发给不同部门或单位填写时，可使用此功能进行一键拆分！",
     25},
    {"拆分总表",
     "     当一个工作表有很多不同数据的总表，需要将各名称拆分，发分给不同部门填写时，可以使用本功能进行一键拆分!", 25},
    {"汇总到新建总表", "     当工作薄有很多相同结构的工作表，需要将数据汇总到一张工作表时，可以使用本功能一键进行汇总！", 25},
    {"汇总各工作薄", "     当收集到多个表格结构一样的分表时，可一键将数据汇总到一张总表上！", 25},
    {"提取指定行列数据", "     根据所选工作表从表中提取部分列到新建表格或工作薄上！", 24},
    {"对比两个表格数据",
     "     对比：当有两个表格时，需要对比两个表中的数据否存在包含关系，并将对比结果存放在最后列里或提取到新建工作表中！\n"
     "     调用：当有两个表格时，一个表中的数据需要某个关键字从另一个表格中查找并调用过来进行填充！",
     19},
    {"exit", "     点击【关闭】按钮，退出程序！", 25},
    {"关于", "     点击【关于】按钮，了解相关信息！", 25},
};

enum class Order { ShowThenFill, FillThenShow, OpenFirst };

struct OperationRow {
    MainWindow::Operation op;
    const char* confirm;
    const char* confirmTitle;
    Icon icon;
    const char* dialogTitle;
    const char* cancelText;
    bool keepPath;
    const char* prompt;
    Order order;
};

const OperationRow kOperations[] = {
    {MainWindow::Operation::SummarizeSheets, "此操作将提取所选工作薄的所有工作表数据汇总到新建的工作表上，是否继续？",
     "操作提示", Icon::Question, "请选择您需要汇总的表格文件", "您已经取消汇总或是未选对应的文件夹里的文件！", true,
     "请选择汇总表名称", Order::ShowThenFill},
    {MainWindow::Operation::SplitSheets,
     "此操作将根据所选工作薄的“总表”按指定列名称拆分成各分表！\n\n特别提醒：除所选的“总表”名称以外的其他按指定列拆分的工作表名称里的数据将被清空并重新根据“总表”里的数据重新更新，是否继续？",
     "警告", Icon::Exclamation, "请选择您需要拆分的表格文件", "您已经取消操作或是未选表格文件！", false,
     "请选择总表名称", Order::FillThenShow},
    {MainWindow::Operation::SplitBooks,
     "此操作将根据所选工作薄的“汇总表”按指定列名称拆分成新工作薄分表！\n\n特别提醒：该操作将会覆盖所选工作薄所在路径下“分表”文件夹里按所选工作薄中“汇总表”里指定列里信息为名的工作薄，是否继续？",
     "警告", Icon::Exclamation, "请选择您需要拆分的表格文件", "您已经取消操作或是未选表格文件！", true,
     "请选择总表名称", Order::FillThenShow},
    {MainWindow::Operation::Extract,
     "此操作将根据所选工作薄的某个工作表按提取指定列形成新的工作表或新工作薄！\n\n特别提醒：该操作将会覆盖所选工作薄所在路径下“所选工作薄名称+提取表”的工作薄或覆盖本工作簿中工作表名为“所选工作表+提取表”的工作表，是否继续？",
     "警告", Icon::Exclamation, "请选择您需要拆分的表格文件", "您已经取消提取或是未选工作薄文件！", true,
     "请选择要提取的工作表", Order::OpenFirst},
};

}  // namespace

MainWindow::MainWindow(Session& session)
    : Form(kName, QStringLiteral("Lorvane公办助手 V2.1"), 900, 640), session_(session) {
    buildControls();
    session_.setMainWindow(this);
}

void MainWindow::buildControls() {
    auto* heading = label("Label1", QStringLiteral("常用办公助手合集"), 0, 14, 900, 50, 24);
    heading->setAlignment(Qt::AlignCenter);
    QFont hf = heading->font();
    hf.setBold(true);
    heading->setFont(hf);

    struct B {
        const char* name;
        const char* caption;
    };
    const B ops[] = {{"汇总到新建总表", "汇总本工作薄各分表到总表"}, {"汇总各工作薄", "汇总各工作薄到总表"},
                     {"拆分总表", "根据名称拆分成分表"},             {"拆分成单薄", "根据名称拆分成单个工作薄"},
                     {"提取指定行列数据", "提取指定行列数据"},       {"对比两个表格数据", "对比、调用两个表格数据"}};
    int y = 84;
    for (const auto& b : ops) {
        button(b.name, QString::fromUtf8(b.caption), 40, y, 300, 52, 14);
        y += 62;
    }

    description_ = label("说明", QString(), 370, 84, 490, 362, 28);
    description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    description_->setFrameShape(QFrame::StyledPanel);
    description_->setMargin(8);

    picture_ = new QFrame(this);
    picture_->setObjectName("Picture1");
    picture_->setGeometry(40, 462, 150, 150);
    image_ = new QLabel(picture_);
    image_->setObjectName("Image1");
    image_->setGeometry(0, 0, 150, 150);
    image_->setPixmap(tutorialPicture(150));
    picture_->setVisible(false);

    label("查看", QStringLiteral("查看说明"), 200, 470, 260, 30, 14);
    label("Label5", QStringLiteral("1、请点击按钮进入相应的教程链接。"), 200, 510, 300, 28, 11);
    label("Label6", QStringLiteral("2、扫一扫左侧二维码进入教程链接。"), 200, 545, 300, 28, 11);
    button("jiaocheng", QStringLiteral("使用教程"), 520, 500, 110, 50, 13);
    button("关于", QStringLiteral("关  于"), 640, 500, 100, 50, 13);
    button("exit", QStringLiteral("关  闭"), 750, 500, 110, 50, 13);

    timer_ = new QTimer(this);
    timer_->setObjectName("Timer1");
    connect(timer_, &QTimer::timeout, this, [this] { tick(); });

    for (const auto& h : kHovers) {
        QString text = QString::fromUtf8(h.text);
        int points = h.points;
        onMouseMove(control(h.button), [this, text, points] { describe(text, points); });
    }
    onMouseMove(control("jiaocheng"), [this] {
        picture_->setVisible(true);
        image_->setVisible(true);
    });
    onMouseMove(this, [this] {
        picture_->setVisible(false);
        describe(QString::fromUtf8(kIdleText), 28);
    });

    onClick(control("汇总到新建总表"), [this] { dispatch(Operation::SummarizeSheets); });
    onClick(control("拆分总表"), [this] { dispatch(Operation::SplitSheets); });
    onClick(control("拆分成单薄"), [this] { dispatch(Operation::SplitBooks); });
    onClick(control("提取指定行列数据"), [this] { dispatch(Operation::Extract); });
    onClick(control("对比两个表格数据"), [this] { compareTables(); });
    onClick(control("汇总各工作薄"), [this] { summarizeBooks(); });
    onClick(control("关于"), [this] { about(); });
    onClick(control("jiaocheng"), [this] { tutorial(); });
    onClick(control("exit"), [this] { scheduleExit(); });
}

void MainWindow::describe(const QString& text, int points) {
    description_->setVisible(true);
    description_->setText("\n" + text);
    QFont f = description_->font();
    f.setPointSize(points);
    description_->setFont(f);
}

void MainWindow::load() {
    auto* splash = session_.load<SplashWindow>();
    splash->show();
    splash->repaint();
    picture_->setVisible(false);
    describe(QString::fromUtf8(kIdleText), 28);
    DetectEngine(session_.SpreadsheetApp, session_.engine, session_.ui);
    session_.unload<SplashWindow>();
}

void MainWindow::dispatch(Operation op) {
    const OperationRow* row = nullptr;
    for (const auto& r : kOperations)
        if (r.op == op) row = &r;
    UiService& ui = session_.ui;
    if (!ui.askYesNo(kKillQuestion, "操作提示", Icon::Question)) return;
    session_.endSpreadsheetPrograms();
    if (!ui.askYesNo(row->confirm, row->confirmTitle, row->icon)) return;
    if (op == Operation::SummarizeSheets) session_.SheetCount = 0;
    std::string path = ui.fileDialog(false, row->dialogTitle, kOpenWorkbookFilter);
    if (path.empty()) {
        ui.inform(row->cancelText);
        if (op == Operation::SummarizeSheets) session_.showMain();
        return;
    }
    if (row->keepPath) session_.ChosenPath = path;

    // A failed open tells the user why and comes back here with main shown.
    auto failed = [this](bool notice) {
        if (notice) session_.ui.hideRunningNotice();
        session_.showMain();
    };
    switch (row->order) {
    case Order::ShowThenFill: {
        hide();
        ui.showRunningNotice();
        auto names = session_.OpenChosenWorkbook(path);
        if (!names) return failed(true);
        auto* w = session_.load<SummarizeSheetsWindow>();
        w->show();
        fillSheetList(w->sheetList(), QString::fromUtf8(row->prompt), *names);
        ui.hideRunningNotice();
        break;
    }
    case Order::FillThenShow: {
        hide();
        ui.showRunningNotice();
        auto names = session_.OpenChosenWorkbook(path);
        if (!names) return failed(true);
        SplitOptionsWindow* w = op == Operation::SplitSheets
                                    ? static_cast<SplitOptionsWindow*>(session_.load<SplitSheetsOptionsWindow>())
                                    : static_cast<SplitOptionsWindow*>(session_.load<SplitBooksOptionsWindow>());
        fillSheetList(w->sheetList(), QString::fromUtf8(row->prompt), *names);
        ui.hideRunningNotice();
        w->show();
        break;
    }
    case Order::OpenFirst: {
        auto names = session_.OpenChosenWorkbook(path);
        if (!names) return failed(false);
        hide();
        auto* w = session_.load<ExtractOptionsWindow>();
        w->show();
        fillSheetList(w->sheetList(), QString::fromUtf8(row->prompt), *names);
        break;
    }
    }
}

void MainWindow::compareTables() {
    UiService& ui = session_.ui;
    if (!ui.askYesNo(kKillQuestion, "操作提示", Icon::Question)) return;
    session_.endSpreadsheetPrograms();
    hide();
    session_.load<CompareChooserWindow>()->show();
}

void MainWindow::summarizeBooks() {
    hide();
    session_.load<SummarizeChooserWindow>()->show();
}

void MainWindow::about() { session_.load<WelcomeWindow>()->show(); }

QString MainWindow::tutorialPage() {
    // The page ships inside the program; the browser needs it as a file.
    QString dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (dir.isEmpty()) dir = QDir::tempPath() + "/lorvane";
    QDir().mkpath(dir);
    QString target = dir + "/jiaocheng.html";
    QFile source(":/tutorial/jiaocheng.html");
    if (!source.open(QIODevice::ReadOnly)) return {};
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
    out.write(source.readAll());
    return target;
}

void MainWindow::tutorial() {
    QString page = tutorialPage();
    if (page.isEmpty()) {
        session_.ui.inform("无法打开使用教程。");
        return;
    }
    session_.ui.openWithShell(ss(page));
}

void MainWindow::scheduleExit() {
    hide();
    exitCountdown_ = 60;
    timer_->setInterval(1000);
    timer_->start();
}

void MainWindow::tick() {
    if (exitCountdown_ > 0) --exitCountdown_;
    if (exitCountdown_ > 0) return;
    timer_->stop();
    session_.load<PopupWindow>()->show();
    unload();
}

QPixmap tutorialPicture(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 90, 160), 3));
    p.drawRoundedRect(QRectF(4, 4, size - 8, size - 8), 10, 10);
    // An open book.
    QRectF book(size * 0.2, size * 0.18, size * 0.6, size * 0.38);
    p.setBrush(QColor(220, 235, 250));
    p.drawRect(QRectF(book.left(), book.top(), book.width() / 2, book.height()));
    p.drawRect(QRectF(book.center().x(), book.top(), book.width() / 2, book.height()));
    p.setPen(QPen(QColor(30, 90, 160), 2));
    for (int i = 1; i <= 3; ++i) {
        qreal y = book.top() + book.height() * i / 4.0;
        p.drawLine(QPointF(book.left() + 6, y), QPointF(book.center().x() - 6, y));
        p.drawLine(QPointF(book.center().x() + 6, y), QPointF(book.right() - 6, y));
    }
    QFont f = p.font();
    f.setPixelSize(size / 7);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(30, 90, 160));
    p.drawText(QRectF(0, size * 0.62, size, size * 0.18), Qt::AlignCenter, QStringLiteral("使用教程"));
    f.setPixelSize(size / 12);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRectF(0, size * 0.8, size, size * 0.12), Qt::AlignCenter, QStringLiteral("点击按钮打开"));
    return pm;
}

}  // namespace lorvane::shell
