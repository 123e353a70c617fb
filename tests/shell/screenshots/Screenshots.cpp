// Renders the main window, every options window filled in as its example shows it, the small
// windows and a workbook window to PNG files (for the README and the docs).
#include <QApplication>
#include <QDir>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <cstdio>

#include "automation/Application.h"
#include "automation/Conversions.h"
#include "compare/CompareWindows.h"
#include "extract/ExtractWindows.h"
#include "shell/InfoWindows.h"
#include "shell/MainWindow.h"
#include "shell/ProcessEnd.h"
#include "shell/WindowKit.h"
#include "runs/ScriptedUi.h"
#include "shell/Session.h"
#include "split/SplitConfirmWindow.h"
#include "split/SplitOptionsWindow.h"
#include "summarize/SummarizeWindows.h"
#include "shell/workbook/WorkbookWindow.h"

using namespace lorvane;
using namespace lorvane::shell;

namespace {

QString outDir;

void save(QWidget* w, const char* file) {
    w->show();
    QApplication::processEvents();
    const QString path = outDir + "/" + file;
    if (!w->grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else std::printf("%s\n", qPrintable(path));
    w->hide();
}

template <class T>
void shoot(Session& s, const char* file, std::optional<ExampleKind> example = std::nullopt) {
    T* w = s.load<T>();
    if (example) fillExample(*w, *example);
    save(w, file);
    delete w;
}

void sampleBook(Workbook* book) {
    Worksheet* ws = book->GetSheets().Item(1);
    ws->SetName("总表");
    const char* heads[] = {"序号", "姓名", "部门", "入职日期", "基本工资", "绩效", "合计"};
    ws->GetRange("A1:G1").Merge();
    ws->Cells(1, 1).SetValue(Variant(std::string("2024年3月职工工资表")));
    ws->GetRange("A1").SetHorizontalAlignment(-4108);
    for (int c = 0; c < 7; ++c) ws->Cells(2, c + 1).SetValue(Variant(std::string(heads[c])));
    const char* names[] = {"王芳", "李娜", "张伟", "刘洋", "陈静", "杨磊", "赵敏", "黄强"};
    const char* depts[] = {"财务部", "销售部", "销售部", "行政部", "财务部", "技术部", "技术部", "行政部"};
    for (int i = 0; i < 8; ++i) {
        int r = i + 3;
        ws->Cells(r, 1).SetValue(Variant(double(i + 1)));
        ws->Cells(r, 2).SetValue(Variant(std::string(names[i])));
        ws->Cells(r, 3).SetValue(Variant(std::string(depts[i])));
        ws->Cells(r, 4).SetValue(Variant(convert::dateSerial(2018 + i % 5, 1 + i, 3 + i)));
        ws->Cells(r, 4).SetNumberFormat("yyyy/m/d");
        ws->Columns(4).SetColumnWidth(11);
        ws->Cells(r, 5).SetValue(Variant(5200.0 + 350 * i));
        ws->Cells(r, 6).SetValue(Variant(800.5 + 120 * i));
        ws->Cells(r, 7).SetValue(Variant(6000.5 + 470 * i));
        ws->GetRange("E" + std::to_string(r) + ":G" + std::to_string(r)).SetNumberFormat("#,##0.00");
    }
    ws->GetRange("A2:G10").Borders().SetLineStyle(1);
    ws->Cells(12, 1).SetValue(Variant(std::string("制表人：王芳")));
    book->GetSheets().AddAfter(ws)->SetName("财务部");
    ws->Activate();
    ws->GetRange("A1").Select();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(lorvane);
    outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots");
    QDir().mkpath(outDir);

    runs::ScriptedUi ui;
    ProcProcessTable processes;
    Session session(ui, processes);
    window::WorkbookWindows books(ui);
    session.workbookObserver = &books;

    auto* main = new MainWindow(session);
    main->load();
    main->fireMouseMove(main->control("拆分总表"));
    save(main, "main.png");
    main->fireMouseMove(main);
    main->fireMouseMove(main->control("jiaocheng"));
    save(main, "main-tutorial.png");

    shoot<summarize::SummarizeSheetsWindow>(session, "summarize-sheets.png", ExampleKind::Summarize);
    shoot<summarize::SummarizeChooserWindow>(session, "summarize-chooser.png");
    shoot<summarize::SummarizeBooksWindow>(session, "summarize-books.png", ExampleKind::SummarizeBooks);
    shoot<summarize::TotalsWindow>(session, "totals.png", ExampleKind::Totals);
    shoot<split::SplitSheetsOptionsWindow>(session, "split-sheets.png", ExampleKind::Split);
    shoot<split::SplitBooksOptionsWindow>(session, "split-books.png", ExampleKind::SplitBooks);
    {
        auto* c = session.load<split::SplitSheetsConfirmWindow>();
        c->setSheetName("总表");
        save(c, "split-sheets-confirm.png");
        delete c;
        auto* d = session.load<split::SplitBooksConfirmWindow>();
        d->setSheetName("总表");
        save(d, "split-books-confirm.png");
        delete d;
    }
    {
        // The options as a user leaves them: a sheet chosen, its titles as box captions, columns ticked.
        auto source = std::make_shared<Application>();
        Workbook* b = source->Workbooks().Add();
        sampleBook(b);
        session.SpreadsheetApp = source;
        session.SourceWorkbook = b;
        auto* w = session.load<extract::ExtractOptionsWindow>();
        fillSheetList(w->sheetList(), QStringLiteral("请选择要提取的工作表"), {"总表", "财务部"});
        w->sheetList()->setCurrentIndex(0);
        w->fireClick(w->sheetList());
        setTextOf(w->control("标题行数"), QStringLiteral("2"));
        for (int i : {1, 2, 6}) w->check1(i)->setChecked(true);
        save(w, "extract-options.png");
        delete w;
        session.SourceWorkbook = nullptr;
        session.SpreadsheetApp.reset();
        source->SetDisplayAlerts(false);
        source->Quit();
    }
    shoot<extract::ExtractMethodWindow>(session, "extract-method.png");
    shoot<compare::CompareChooserWindow>(session, "compare-chooser.png");
    shoot<compare::CompareWindow>(session, "compare.png", ExampleKind::Compare);
    shoot<compare::FillWindow>(session, "fill.png", ExampleKind::Fill);
    shoot<SplashWindow>(session, "splash.png");
    {
        auto* notice = session.load<RunningNoticeWindow>();
        notice->setProgress(QStringLiteral("正在读取 3/120：第03分公司.xlsx"));
        save(notice, "running-notice.png");
        delete notice;
    }
    shoot<WelcomeWindow>(session, "welcome.png");
    shoot<PopupWindow>(session, "popup.png");
    shoot<FillExampleWindow>(session, "example-summarize.png");
    shoot<TotalsExampleWindow>(session, "example-totals.png");
    shoot<SplitExampleWindow>(session, "example-split.png");
    shoot<CompareExampleWindow>(session, "example-compare.png");
    shoot<FillLookupExampleWindow>(session, "example-fill.png");

    auto engine = std::make_shared<Application>();
    engine->setObserver(&books);
    Workbook* book = engine->Workbooks().Add();
    sampleBook(book);
    engine->SetVisible(true);
    if (auto* w = books.windowOf(book)) {
        w->resize(1000, 520);
        w->refresh(true);
        save(w, "workbook-window.png");
    }
    engine->SetDisplayAlerts(false);
    engine->Quit();
    delete main;
    return 0;
}
