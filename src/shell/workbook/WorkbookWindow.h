#pragma once
// The window of one open workbook: sheet tabs, a grid over the engine's cells, and the
// 保存 / 另存为 / 用其他程序打开 buttons. Closing it closes the workbook (asking first when it was changed).
#include "shell/RunServices.h"
#include <QPointer>
#include <QWidget>
#include <map>
#include <vector>

#include "automation/Application.h"

class QTabBar;
class QTableView;

namespace lorvane::window {

class SheetModel;

// Follows the object model's notifications as they come (WorkbookWindows passes them on):
// the sheet list at once, cell changes by growing and repainting the grid at once, and what
// costs more (measuring the sheet again, sizes, merges) once per pass of the event loop, so a
// run that writes range after range pays for it once. With screen updating off only a deleted
// sheet is acted on at once; the rest waits until updating is on again.
class WorkbookWindow : public QWidget {
    Q_OBJECT
public:
    WorkbookWindow(Workbook* book, runs::UiService& ui);
    Workbook* book() const { return book_; }
    QTableView* grid() const { return grid_; }
    QTabBar* tabs() const { return tabs_; }
    SheetModel* model() const { return model_; }

    // Re-reads the sheet list and shows the active sheet: with `force` always, otherwise only
    // when changes were put off (screen updating off) and the screen is updating now.
    void refresh(bool force = false);
    // Shows `sheet` (a sheet of this workbook), selecting its tab.
    void showSheet(Worksheet* sheet);
    void showCurrentCell();
    void setScreenUpdating(bool on);
    // The workbook was closed by the engine: the window goes without asking.
    void closeFromEngine();

    // From the object model.
    void sheetAdded(Worksheet* sheet);
    void sheetDeleted(Worksheet* sheet);
    void sheetsChanged();
    void sheetChanged(Worksheet* sheet, const CellRect& area, SheetChange what);

    void save();
    void saveAs();
    // Shows the workbook in the desktop's default spreadsheet program: its own file when that
    // holds everything, otherwise a copy written to a temporary folder for the purpose.
    void openInOtherProgram();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void clearTabs();
    void rebuildTabs();
    void selectTabOf(const Worksheet* sheet);
    void display(Worksheet* sheet);
    void applyGeometry();
    void scheduleUpdate();
    void applyPendingUpdate();
    void updateTitle();
    Workbook* book_;
    runs::UiService& ui_;
    QTableView* grid_;
    QTabBar* tabs_;
    SheetModel* model_;
    std::vector<Worksheet*> tabSheets_;  // the sheet of each tab
    bool updating_ = true, engineClosing_ = false, rebuilding_ = false;
    bool deferred_ = false;         // changes came while screen updating was off
    bool updateScheduled_ = false;  // a pass of applyPendingUpdate() is on its way
    bool layoutChanged_ = false;    // ... and it lays the grid out again
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
    void sheetAdded(Worksheet* sheet) override;
    void sheetDeleted(Worksheet* sheet) override;
    void sheetsChanged(Workbook* book) override;
    void sheetChanged(Worksheet* sheet, const CellRect& area, SheetChange what) override;

private:
    WorkbookWindow* ensure(Workbook* book);
    runs::UiService& ui_;
    std::map<Workbook*, QPointer<WorkbookWindow>> windows_;
};

}  // namespace lorvane::window
