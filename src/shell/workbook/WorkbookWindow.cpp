#include "shell/workbook/WorkbookWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "base/AutomationError.h"
#include "automation/Workbook.h"
#include "shell/FileDialog.h"
#include "shell/RunServices.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/WorkbookFile.h"
#include "shell/workbook/SheetModel.h"

namespace lorvane::window {

namespace {

// Paints the cell borders of the engine's formats over the grid.
class BorderDelegate : public QStyledItemDelegate {
public:
    BorderDelegate(SheetModel* model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyledItemDelegate::paint(p, option, index);
        const sheet::BookData* book = model_->book();
        if (!book) return;
        const auto style = index.data(SheetModel::StyleRole).toUInt();
        if (style == 0) return;
        const auto& b = book->styles.at(style).border;
        const QRect r = option.rect;
        auto edge = [&](const sheet::BorderEdge& e, QPoint a, QPoint z) {
            if (e.style.empty() || e.style == "none") return;
            QColor c = toQColor(e.color);
            QPen pen(c.isValid() ? c : QColor(Qt::black));
            pen.setWidth(e.style == "medium" || e.style.starts_with("medium") ? 2 : e.style == "thick" ? 3 : 1);
            if (e.style == "dashed" || e.style == "mediumDashed") pen.setStyle(Qt::DashLine);
            else if (e.style == "dotted" || e.style == "hair") pen.setStyle(Qt::DotLine);
            p->save();
            p->setPen(pen);
            p->drawLine(a, z);
            p->restore();
        };
        edge(b.top, r.topLeft(), r.topRight());
        edge(b.bottom, r.bottomLeft(), r.bottomRight());
        edge(b.left, r.topLeft(), r.bottomLeft());
        edge(b.right, r.topRight(), r.bottomRight());
    }

private:
    SheetModel* model_;
};

int columnPixels(double characters) { return static_cast<int>(characters * 8.0 + 5.0 + 0.5); }
int rowPixels(double points) { return std::max(4, static_cast<int>(points * 96.0 / 72.0 + 0.5)); }

}  // namespace

WorkbookWindow::WorkbookWindow(Workbook* book, runs::UiService& ui) : QWidget(nullptr, Qt::Window), book_(book), ui_(ui) {
    setObjectName("工作簿窗口");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1100, 700);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* bar = new QHBoxLayout;
    auto* saveButton = new QPushButton(QStringLiteral("保存"), this);
    saveButton->setObjectName("保存");
    auto* saveAsButton = new QPushButton(QStringLiteral("另存为"), this);
    saveAsButton->setObjectName("另存为");
    auto* otherButton = new QPushButton(QStringLiteral("用其他程序打开"), this);
    otherButton->setObjectName("用其他程序打开");
    bar->addWidget(saveButton);
    bar->addWidget(saveAsButton);
    bar->addWidget(otherButton);
    bar->addStretch();
    layout->addLayout(bar);

    model_ = new SheetModel(this);
    grid_ = new QTableView(this);
    grid_->setObjectName("grid");
    grid_->setModel(model_);
    grid_->setItemDelegate(new BorderDelegate(model_, grid_));
    grid_->setWordWrap(false);
    QFont gridFont = grid_->font();
    gridFont.setPointSizeF(11.0 * 0.82);
    grid_->setFont(gridFont);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    layout->addWidget(grid_, 1);

    tabs_ = new QTabBar(this);
    tabs_->setObjectName("sheetTabs");
    tabs_->setShape(QTabBar::RoundedSouth);
    tabs_->setExpanding(false);
    layout->addWidget(tabs_);

    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(saveAsButton, &QPushButton::clicked, this, [this] { saveAs(); });
    connect(otherButton, &QPushButton::clicked, this, [this] { openInOtherProgram(); });
    connect(tabs_, &QTabBar::currentChanged, this, [this](int i) {
        if (rebuilding_ || i < 0 || i >= static_cast<int>(tabSheets_.size()) || !book_->isOpen()) return;
        Worksheet* chosen = tabSheets_[i];
        if (!chosen->alive()) {  // a deleted sheet's tab goes with it; should one stay, start afresh
            refresh(true);
            return;
        }
        showSheet(chosen);
        // The user's choice of tab is the workbook's active sheet.
        book_->data().activeSheet = chosen->Index() - 1;
    });

    refresh(true);
}

void WorkbookWindow::updateTitle() { setWindowTitle(QString::fromStdString(book_->Name()) + QStringLiteral(" - Lorvane表格")); }

void WorkbookWindow::clearTabs() {
    rebuilding_ = true;
    while (tabs_->count() > 0) tabs_->removeTab(0);
    tabSheets_.clear();
    rebuilding_ = false;
}

void WorkbookWindow::rebuildTabs() {
    clearTabs();
    rebuilding_ = true;
    for (const auto& s : book_->data().sheets) {
        if (s->visibility != sheet::SheetData::Visibility::Visible) continue;
        tabSheets_.push_back(book_->facadeFor(s.get()));
        tabs_->addTab(QString::fromStdString(s->name));
    }
    rebuilding_ = false;
    selectTabOf(model_->worksheet());
}

void WorkbookWindow::selectTabOf(const Worksheet* sheet) {
    auto it = std::find(tabSheets_.begin(), tabSheets_.end(), sheet);
    const int i = static_cast<int>(it - tabSheets_.begin());
    if (it == tabSheets_.end() || tabs_->currentIndex() == i) return;
    rebuilding_ = true;
    tabs_->setCurrentIndex(i);
    rebuilding_ = false;
}

void WorkbookWindow::refresh(bool force) {
    if (!force && !(deferred_ && updating_)) return;
    deferred_ = layoutChanged_ = false;
    if (!book_->isOpen()) {
        clearTabs();
        model_->setSheet(nullptr);
        return;
    }
    updateTitle();
    rebuildTabs();
    display(book_->ActiveSheet());
}

void WorkbookWindow::showSheet(Worksheet* sheet) {
    if (!updating_) {
        deferred_ = true;
        return;
    }
    if (model_->worksheet() != sheet) display(sheet);
    selectTabOf(sheet);
    showCurrentCell();
}

void WorkbookWindow::display(Worksheet* sheet) {
    model_->setSheet(sheet && sheet->alive() ? sheet : nullptr);
    selectTabOf(model_->worksheet());
    applyGeometry();
    showCurrentCell();
}

void WorkbookWindow::applyGeometry() {
    const sheet::SheetData* s = model_->sheet();
    grid_->clearSpans();
    if (!s) return;
    auto* h = grid_->horizontalHeader();
    auto* v = grid_->verticalHeader();
    h->setDefaultSectionSize(columnPixels(s->defaultColumnWidth));
    v->setDefaultSectionSize(rowPixels(s->defaultRowHeight));
    const int cols = model_->columnCount();
    for (int c = 1; c <= std::min(cols, s->columnRecordCount()); ++c) {
        const auto* col = s->column(c);
        if (col->hidden) h->hideSection(c - 1);
        else if (col->width >= 0) h->resizeSection(c - 1, columnPixels(col->width));
    }
    // Rows with their own height (a sheet of a million default rows costs nothing here).
    int custom = 0;
    for (int r = 1; r <= std::min(s->rowCount(), model_->rowCount()) && custom < 20000; ++r) {
        const auto* row = s->row(r);
        if (row->flags & sheet::RowHidden) {
            v->hideSection(r - 1);
            ++custom;
        } else if (row->height > 0) {
            v->resizeSection(r - 1, rowPixels(row->height));
            ++custom;
        }
    }
    for (const auto& m : s->merges)
        if (m.rows() > 1 || m.cols() > 1) grid_->setSpan(m.row1 - 1, m.col1 - 1, m.rows(), m.cols());
}

void WorkbookWindow::showCurrentCell() {
    const sheet::SheetData* s = model_->sheet();
    if (!s) return;
    QModelIndex i = model_->index(std::max(0, s->activeRow - 1), std::max(0, s->activeColumn - 1));
    if (!i.isValid()) return;
    grid_->setCurrentIndex(i);
    grid_->scrollTo(i);
}

void WorkbookWindow::setScreenUpdating(bool on) {
    updating_ = on;
    grid_->setUpdatesEnabled(on);
    tabs_->setUpdatesEnabled(on);
    refresh();
}

void WorkbookWindow::sheetAdded(Worksheet* sheet) {
    if (!updating_) {
        deferred_ = true;
        return;
    }
    if (!sheet->Visible()) return;
    // Its tab goes after the tabs of the visible sheets before it.
    int at = 0;
    for (const auto& s : book_->data().sheets) {
        if (s.get() == sheet->dataOrNull()) break;
        if (s->visibility == sheet::SheetData::Visibility::Visible) ++at;
    }
    rebuilding_ = true;
    tabSheets_.insert(tabSheets_.begin() + at, sheet);
    tabs_->insertTab(at, QString::fromStdString(sheet->Name()));
    rebuilding_ = false;
    selectTabOf(model_->worksheet());
}

void WorkbookWindow::sheetDeleted(Worksheet* sheet) {
    // Acted on whatever screen updating says: nothing may point into the sheet after this.
    auto it = std::find(tabSheets_.begin(), tabSheets_.end(), sheet);
    if (it != tabSheets_.end()) {
        rebuilding_ = true;
        tabs_->removeTab(static_cast<int>(it - tabSheets_.begin()));
        tabSheets_.erase(it);
        rebuilding_ = false;
    }
    if (model_->worksheet() != sheet) return;
    if (updating_) {
        display(book_->ActiveSheet());
    } else {
        model_->setSheet(nullptr);
        deferred_ = true;
    }
}

void WorkbookWindow::sheetsChanged() {
    if (!updating_) {
        deferred_ = true;
        return;
    }
    rebuildTabs();
}

void WorkbookWindow::sheetChanged(Worksheet* sheet, const CellRect& area, SheetChange what) {
    if (sheet != model_->worksheet()) return;  // other sheets are read when shown
    if (!updating_) {
        deferred_ = true;
        return;
    }
    model_->cellsChanged(area);
    if (what == SheetChange::Layout) layoutChanged_ = true;
    scheduleUpdate();
}

void WorkbookWindow::scheduleUpdate() {
    if (updateScheduled_) return;
    updateScheduled_ = true;
    // Queued: runs when the event loop next gets its turn, normally after the run that made
    // the changes; the window's going takes it along.
    QMetaObject::invokeMethod(this, &WorkbookWindow::applyPendingUpdate, Qt::QueuedConnection);
}

void WorkbookWindow::applyPendingUpdate() {
    updateScheduled_ = false;
    if (!updating_ || !book_->isOpen()) return;  // refresh() follows when updating resumes
    if (layoutChanged_) {
        layoutChanged_ = false;
        display(model_->worksheet());
    } else {
        model_->remeasure();
    }
}

void WorkbookWindow::save() {
    try {
        book_->Save();
        updateTitle();
    } catch (const AutomationError& e) {
        ui_.message(runs::Message{e.description(), "错误", runs::Buttons::Ok, runs::Icon::Critical, runs::Answer::Ok});
    }
}

void WorkbookWindow::saveAs() {
    std::string path = ui_.fileDialog(true, "另存为", shell::kWorkbookFilter);
    if (path.empty()) return;
    try {
        book_->SaveAs(path);
        updateTitle();
    } catch (const AutomationError& e) {
        ui_.message(runs::Message{e.description(), "错误", runs::Buttons::Ok, runs::Icon::Critical, runs::Answer::Ok});
    }
}

namespace {

// A new folder under the temporary location for each copy: the other program may still hold
// an earlier one open, and the copy keeps the workbook's own file name for its title bar.
std::string temporaryCopyPath(const Workbook& book) {
    static int copies = 0;
    const QString folder = QDir::tempPath() + QStringLiteral("/lorvane-%1/%2").arg(QCoreApplication::applicationPid()).arg(++copies);
    if (!QDir().mkpath(folder)) throw AutomationError(errc::kMethodFailed, "无法创建临时文件夹“" + folder.toStdString() + "”。");
    const QString base = QFileInfo(QString::fromStdString(book.Name())).completeBaseName();
    return (folder + "/" + (base.isEmpty() ? QStringLiteral("工作簿") : base) + ".xlsx").toStdString();
}

}  // namespace

void WorkbookWindow::openInOtherProgram() {
    try {
        std::string target;
        if (book_->Saved() && !book_->Path().empty()) {
            sheet::waitForBackgroundSaves();  // the file must be whole before another program reads it
            target = book_->FullName();
        } else {
            target = temporaryCopyPath(*book_);
            book_->SaveCopyAs(target);
        }
        ui_.openWithShell(target);
    } catch (const AutomationError& e) {
        ui_.message(runs::Message{e.description(), "错误", runs::Buttons::Ok, runs::Icon::Critical, runs::Answer::Ok});
    }
}

void WorkbookWindow::closeFromEngine() {
    engineClosing_ = true;
    // The workbook's storage goes right after this: the grid lets go of it now, not when the
    // window is finally deleted.
    clearTabs();
    model_->setSheet(nullptr);
    close();
}

void WorkbookWindow::closeEvent(QCloseEvent* event) {
    if (engineClosing_ || !book_->isOpen()) {
        event->accept();
        return;
    }
    // The user closes the window: a changed workbook asks first, whatever DisplayAlerts says.
    bool saveFirst = false;
    if (!book_->Saved()) {
        switch (book_->Parent()->alerts().askSaveChanges(book_->Name())) {
        case AlertService::Answer::Cancel: event->ignore(); return;
        case AlertService::Answer::Yes: saveFirst = true; break;
        case AlertService::Answer::No: break;
        }
    }
    try {
        if (saveFirst) book_->Save();
        engineClosing_ = true;
        book_->Close(false);
        event->accept();
    } catch (const AutomationError& e) {
        engineClosing_ = false;
        ui_.message(runs::Message{e.description(), "错误", runs::Buttons::Ok, runs::Icon::Critical, runs::Answer::Ok});
        event->ignore();
    }
}

// ---- WorkbookWindows ----

WorkbookWindows::~WorkbookWindows() {
    for (auto& [book, w] : windows_)
        if (w) delete w.data();
}

WorkbookWindow* WorkbookWindows::windowOf(Workbook* book) const {
    auto it = windows_.find(book);
    return it == windows_.end() ? nullptr : it->second.data();
}

std::vector<WorkbookWindow*> WorkbookWindows::windows() const {
    std::vector<WorkbookWindow*> out;
    for (auto& [book, w] : windows_)
        if (w) out.push_back(w);
    return out;
}

WorkbookWindow* WorkbookWindows::ensure(Workbook* book) {
    if (auto* w = windowOf(book)) return w;
    auto* w = new WorkbookWindow(book, ui_);
    windows_[book] = w;
    w->setScreenUpdating(book->Parent()->ScreenUpdating());
    return w;
}

void WorkbookWindows::visibilityChanged(Application* app) {
    for (Workbook* b : app->Workbooks().all()) {
        WorkbookWindow* w = app->Visible() ? ensure(b) : windowOf(b);
        if (!w) continue;
        if (app->Visible()) {
            w->refresh(true);
            w->show();
        } else {
            w->hide();
        }
    }
}

void WorkbookWindows::screenUpdatingChanged(Application* app) {
    for (Workbook* b : app->Workbooks().all())
        if (auto* w = windowOf(b)) w->setScreenUpdating(app->ScreenUpdating());
}

void WorkbookWindows::workbookOpened(Workbook* book) {
    WorkbookWindow* w = ensure(book);
    if (book->Parent()->Visible()) w->show();
}

void WorkbookWindows::workbookClosed(Workbook* book) {
    auto it = windows_.find(book);
    if (it == windows_.end()) return;
    QPointer<WorkbookWindow> w = it->second;
    windows_.erase(it);
    if (w) w->closeFromEngine();
}

void WorkbookWindows::sheetActivated(Worksheet* sheet) {
    if (auto* w = windowOf(sheet->Parent())) w->showSheet(sheet);
}

void WorkbookWindows::selectionChanged(Worksheet* sheet) {
    if (auto* w = windowOf(sheet->Parent())) w->showSheet(sheet);
}

void WorkbookWindows::sheetAdded(Worksheet* sheet) {
    if (auto* w = windowOf(sheet->Parent())) w->sheetAdded(sheet);
}

void WorkbookWindows::sheetDeleted(Worksheet* sheet) {
    if (auto* w = windowOf(sheet->Parent())) w->sheetDeleted(sheet);
}

void WorkbookWindows::sheetsChanged(Workbook* book) {
    if (auto* w = windowOf(book)) w->sheetsChanged();
}

void WorkbookWindows::sheetChanged(Worksheet* sheet, const CellRect& area, SheetChange what) {
    if (auto* w = windowOf(sheet->Parent())) w->sheetChanged(sheet, area, what);
}

void WorkbookWindows::applicationQuit(Application* app) {
    for (auto it = windows_.begin(); it != windows_.end();) {
        if (it->first->Parent() == app) {
            QPointer<WorkbookWindow> w = it->second;
            it = windows_.erase(it);
            if (w) w->closeFromEngine();
        } else {
            ++it;
        }
    }
}

}  // namespace lorvane::window
