#pragma once
// The window of one open workbook: sheet tabs, a grid over the engine's cells, and the
// 保存 / 另存为 buttons. Closing it closes the workbook (asking first when it was changed).
#include "shell/RunServices.h"
#include <QPointer>
#include <QWidget>
#include <map>
#include <vector>

#include "automation/Application.h"

class QTabBar;
class QTableView;
class QTimer;

namespace lorvane::shell {
}

namespace lorvane::window {

class SheetModel;

class WorkbookWindow : public QWidget {
    Q_OBJECT
public:
    WorkbookWindow(Workbook* book, runs::UiService& ui);
    Workbook* book() const { return book_; }
    QTableView* grid() const { return grid_; }
    QTabBar* tabs() const { return tabs_; }
    SheetModel* model() const { return model_; }

    // Re-reads sheets and cells when the workbook changed.
    void refresh(bool force = false);
    void showSheet(const sheet::SheetData* sheet);
    void showCurrentCell();
    void setScreenUpdating(bool on);
    // The workbook was closed by the engine: the window goes without asking.
    void closeFromEngine();

    void save();
    void saveAs();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void rebuildTabs();
    void applyGeometry();
    Workbook* book_;
    runs::UiService& ui_;
    QTableView* grid_;
    QTabBar* tabs_;
    SheetModel* model_;
    QTimer* poll_;
    std::vector<const sheet::SheetData*> tabSheets_;
    unsigned long long seen_ = ~0ULL;
    bool updating_ = true, engineClosing_ = false, rebuilding_ = false;
};

// Keeps one window per open workbook of every application, shown while the application is visible.
class WorkbookWindows : public ApplicationObserver {
public:
    explicit WorkbookWindows(runs::UiService& ui) : ui_(ui) {}
    ~WorkbookWindows() override;
    WorkbookWindow* windowOf(Workbook* book) const;
    std::vector<WorkbookWindow*> windows() const;

    void visibilityChanged(Application* app) override;
    void screenUpdatingChanged(Application* app) override;
    void workbookOpened(Workbook* book) override;
    void workbookClosed(Workbook* book) override;
    void sheetActivated(Worksheet* sheet) override;
    void selectionChanged(Worksheet* sheet) override;
    void applicationQuit(Application* app) override;

private:
    WorkbookWindow* ensure(Workbook* book);
    runs::UiService& ui_;
    std::map<Workbook*, QPointer<WorkbookWindow>> windows_;
};

}  // namespace lorvane::window
