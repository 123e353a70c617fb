#include "shell/InfoWindows.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "compare/CompareWindows.h"
#include "shell/MainWindow.h"
#include "shell/Session.h"
#include "split/SplitOptionsWindow.h"
#include "summarize/SummarizeWindows.h"

namespace lorvane::shell {

namespace {

QLabel* centered(Form& f, const char* name, const QString& text, int x, int y, int w, int h, int points) {
    QLabel* l = f.label(name, text, x, y, w, h, points);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

}  // namespace

SplashWindow::SplashWindow(Session&) : Form(kName, QStringLiteral("正在启动……"), 420, 140) {
    centered(*this, "Label1", QStringLiteral("正在启动中，请稍等……"), 0, 0, 420, 140, 16);
    makeTopMost();
}

RunningNoticeWindow::RunningNoticeWindow(Session&) : Form(kName, QStringLiteral("运行提示"), 420, 190) {
    centered(*this, "Label1", QStringLiteral("正在运行中，请稍等……"), 0, 10, 420, 80, 16);
    QLabel* progress = centered(*this, "进度", QString(), 10, 90, 400, 40, 10);
    progress->setWordWrap(true);
    QPushButton* cancel = button("取消", QStringLiteral("取  消"), 160, 140, 100, 36);
    onClick(cancel, [this, cancel, progress] {
        cancelRequested_ = true;
        cancel->setEnabled(false);
        progress->setText(QStringLiteral("正在停止，请稍等……"));
    });
    setWindowModality(Qt::ApplicationModal);
    makeTopMost();
}

void RunningNoticeWindow::setProgress(const QString& text) {
    if (!cancelRequested_) control<QLabel>("进度")->setText(text);
}

WelcomeWindow::WelcomeWindow(Session&) : Form(kName, QStringLiteral("欢迎使用"), 560, 420) {
    QLabel* h = centered(*this, "Label1", QStringLiteral("欢迎使用Lorvane办公助手 V2.1"), 0, 20, 560, 40, 18);
    QFont f = h->font();
    f.setBold(true);
    h->setFont(f);
    QLabel* body = label("Label2",
                         QStringLiteral("本程序为常用办公助手合集，可一键完成以下表格操作：\n"
                                        "· 汇总本工作薄各分表到总表；\n"
                                        "· 汇总或合计一个文件夹内各工作薄的数据；\n"
                                        "· 根据名称将总表拆分成分表或单个工作薄；\n"
                                        "· 提取指定列的数据到新表；\n"
                                        "· 对比两个表格的数据，或从另一个表格查询并填充数据。\n\n"
                                        "使用前请保存好正在编辑的表格，运行时程序会关闭表格程序。"),
                         40, 80, 480, 250, 12);
    body->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    button("确定", QStringLiteral("确  定"), 210, 350, 140, 44, 12);
    onClick(control("确定"), [this] { unload(); });
}

PopupWindow::PopupWindow(Session&) : Form(kName, QStringLiteral("温馨提示"), 460, 220) {
    centered(*this, "Label1", QStringLiteral("感谢使用Lorvane办公助手！"), 0, 30, 460, 40, 18);
    centered(*this, "Label2", QStringLiteral("处理结果已留在表格窗口中，请记得保存。"), 0, 80, 460, 40, 12);
    button("确定", QStringLiteral("确  定"), 160, 150, 140, 44, 12);
    onClick(control("确定"), [this] { unload(); });
    makeTopMost();
}

// ---- example windows ----

ExampleWindow::ExampleWindow(const char* name, const QString& caption, const QPixmap& picture, const QStringList& notes)
    : Form(name, caption, 10, 10) {
    const int w = picture.width() / picture.devicePixelRatio();
    const int h = picture.height() / picture.devicePixelRatio();
    auto* image = new QLabel(this);
    image->setObjectName("Image1");
    image->setPixmap(picture);
    image->setGeometry(10, 10, w, h);
    image->setFrameShape(QFrame::Box);
    int y = h + 20;
    int i = 0;
    for (const QString& n : notes) {
        QLabel* l = label(QStringLiteral("Label%1").arg(++i).toUtf8().constData(), n, 14, y, w - 8, 44, 11);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        y += 46;
    }
    setFixedSize(w + 20, y + 8);
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void ExampleWindow::showBeside(QWidget* owner) {
    QRect screen = owner->screen() ? owner->screen()->availableGeometry() : QRect(0, 0, 1366, 768);
    QRect o = owner->frameGeometry();
    int x = o.right() + 8;
    if (x + width() > screen.right()) x = std::max(screen.left(), o.left() - width() - 8);
    int y = std::clamp(o.top(), screen.top(), std::max(screen.top(), screen.bottom() - height()));
    move(x, y);
    show();
}

namespace {

void set(Form& w, const char* name, const char* text) {
    if (QWidget* c = w.control(name)) setTextOf(c, QString::fromUtf8(text));
}

void list(Form& w, const char* name, const QStringList& items, const char* text) {
    if (auto* c = w.control<QComboBox>(name)) {
        c->addItems(items);
        c->setEditText(QString::fromUtf8(text));
    }
}

}  // namespace

void fillExample(Form& w, ExampleKind kind) {
    const QStringList months = {QStringLiteral("1月"), QStringLiteral("2月"), QStringLiteral("3月")};
    switch (kind) {
    case ExampleKind::Summarize:
        list(w, "汇总表名", months, "汇总表");
        set(w, "是否存在", "否");
        set(w, "汇总表名称", "请输入汇总表名");
        set(w, "标题行数", "2");
        set(w, "表底文字", "是");
        set(w, "表底文字行数", "1");
        set(w, "是否保留", "是");
        set(w, "最大列数", "8");
        set(w, "依据列", "B");
        break;
    case ExampleKind::SummarizeBooks:
        list(w, "工作表号", {"1", "2", "3"}, "1");
        set(w, "工作表名", "工资表");
        set(w, "标题行数", "2");
        set(w, "表底文字", "是");
        set(w, "表底文字行数", "1");
        set(w, "是否保留", "否");
        set(w, "最大列数", "8");
        set(w, "依据列", "B");
        break;
    case ExampleKind::Totals:
        list(w, "工作表号", {"1", "2"}, "1");
        set(w, "工作表名", "销售统计");
        set(w, "标题行数", "3");
        set(w, "合计类型", "单元格区域");
        set(w, "位置1", "C");
        set(w, "位置2", "H");
        set(w, "表底文字", "否");
        set(w, "最大行数", "50");
        break;
    case ExampleKind::Split:
    case ExampleKind::SplitBooks:
        list(w, "工作表列表", {QStringLiteral("总表"), QStringLiteral("说明")}, "总表");
        set(w, "依据列", "C");
        set(w, "标题行数", "2");
        set(w, "最大行数", "500");
        set(w, "最大列数", "10");
        set(w, "表底文字", "是");
        set(w, "表底文字行数", "2");
        set(w, "是否保留", "是");
        break;
    case ExampleKind::Compare:
    case ExampleKind::Fill: {
        const bool fill = kind == ExampleKind::Fill;
        set(w, "book1", "/home/wang/文档/2024年职工花名册.xlsx");
        set(w, "book2", "/home/wang/文档/2024年职工花名册.xlsx");
        list(w, "表名1", {QStringLiteral("花名册"), QStringLiteral("考勤表")}, "花名册");
        list(w, "表名2", {QStringLiteral("花名册"), QStringLiteral("考勤表")}, "考勤表");
        set(w, "标题行数1", "1");
        set(w, "标题行数2", "2");
        set(w, fill ? "依据列1" : "对比列1", "B");
        set(w, fill ? "依据列2" : "对比列2", "C");
        set(w, "填充列号", "E,F");
        set(w, "调用列号", "D,G");
        set(w, "表底文字1", "否");
        set(w, "表底文字2", "否");
        break;
    }
    }
}

QPixmap renderExample(Session& session, ExampleKind kind) {
    std::unique_ptr<Form> w;
    switch (kind) {
    case ExampleKind::Summarize: w = std::make_unique<summarize::SummarizeSheetsWindow>(session); break;
    case ExampleKind::SummarizeBooks: w = std::make_unique<summarize::SummarizeBooksWindow>(session); break;
    case ExampleKind::Totals: w = std::make_unique<summarize::TotalsWindow>(session); break;
    case ExampleKind::Split: w = std::make_unique<split::SplitSheetsOptionsWindow>(session); break;
    case ExampleKind::SplitBooks: w = std::make_unique<split::SplitBooksOptionsWindow>(session); break;
    case ExampleKind::Compare: w = std::make_unique<compare::CompareWindow>(session); break;
    case ExampleKind::Fill: w = std::make_unique<compare::FillWindow>(session); break;
    }
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    fillExample(*w, kind);
    QPixmap full = w->grab();
    return full.scaledToWidth(std::min(full.width(), 620), Qt::SmoothTransformation);
}

namespace {

struct ExampleTexts {
    ExampleKind kind;
    const char* caption;
    const char* notes[2];
};

const ExampleTexts kExampleTexts[] = {
    {ExampleKind::Summarize, "填写例子",
     {"例：各月工资表的前2行是标题，最后1行是“制表人”，B列是姓名。",
      "汇总到新建的“汇总表”，保留表底文字；最大列数8、依据列B可加快运行。"}},
    {ExampleKind::Totals, "合计填写例子",
     {"例：各分公司“销售统计”表的前3行是标题，C列到H列是各月销售额。", "按“单元格区域”合计C列至H列，表格不超过50行。"}},
    {ExampleKind::Split, "拆分填写例子",
     {"例：“总表”前2行是标题，C列是各单位名称，最后2行是签字栏。", "按C列拆分，每个单位一张表，签字栏保留在每张分表的底部。"}},
    {ExampleKind::Compare, "对比例子",
     {"例：花名册B列与考勤表C列都是身份证号，两表在同一个工作薄中。",
      "对比结果存放在“表格一”最后一列，标出花名册中的人是否在考勤表中。"}},
    {ExampleKind::Fill, "调用例子",
     {"例：按身份证号（花名册B列、考勤表C列）查找，", "把考勤表D列、G列的数据填充到花名册的E列、F列。"}},
};

const ExampleTexts& exampleTexts(ExampleKind kind) {
    for (const ExampleTexts& t : kExampleTexts)
        if (t.kind == kind) return t;
    return kExampleTexts[0];
}

}  // namespace

ExampleWindow::ExampleWindow(const char* name, Session& session, ExampleKind kind)
    : ExampleWindow(name, QString::fromUtf8(exampleTexts(kind).caption), renderExample(session, kind),
                    {QString::fromUtf8(exampleTexts(kind).notes[0]), QString::fromUtf8(exampleTexts(kind).notes[1])}) {}

FillExampleWindow::FillExampleWindow(Session& s) : ExampleWindow(kName, s, ExampleKind::Summarize) {}
TotalsExampleWindow::TotalsExampleWindow(Session& s) : ExampleWindow(kName, s, ExampleKind::Totals) {}
SplitExampleWindow::SplitExampleWindow(Session& s) : ExampleWindow(kName, s, ExampleKind::Split) {}
CompareExampleWindow::CompareExampleWindow(Session& s) : ExampleWindow(kName, s, ExampleKind::Compare) {}
FillLookupExampleWindow::FillLookupExampleWindow(Session& s) : ExampleWindow(kName, s, ExampleKind::Fill) {}

}  // namespace lorvane::shell
