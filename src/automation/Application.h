#pragma once
// The embedded spreadsheet application: its workbooks, the clipboard, the switches the
// operations set (Visible, ScreenUpdating, DisplayAlerts), and the questions it asks.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "automation/AlertService.h"
#include "automation/AutomationObject.h"
#include "automation/Workbook.h"

namespace lorvane {

// Told about what the workbook window shows (implemented by the desktop program). The calls
// come synchronously from inside the object model's operations.
class ApplicationObserver {
public:
    virtual ~ApplicationObserver() = default;
    virtual void visibilityChanged(Application* app) {}
    virtual void screenUpdatingChanged(Application* app) {}
    virtual void workbookOpened(Workbook* book) {}
    virtual void workbookClosed(Workbook* book) {}
    virtual void sheetActivated(Worksheet* sheet) {}
    virtual void selectionChanged(Worksheet* sheet) {}
    virtual void applicationQuit(Application* app) {}
    // A sheet was put into its workbook (added or copied), already at its tab position.
    virtual void sheetAdded(Worksheet* sheet) {}
    // `sheet` has been taken out of its workbook's sheet list; its storage is freed as soon as
    // this returns. Every pointer into it must be dropped here. The object is still alive().
    virtual void sheetDeleted(Worksheet* sheet) {}
    // The tabs of `book` changed otherwise: a sheet renamed, hidden, shown or moved.
    virtual void sheetsChanged(Workbook* book) {}
    // Cells of `sheet` within `area` changed (values, formulas, formats), or with
    // SheetChange::Layout its rows, columns, merges or sizes. One call per operation on a range,
    // however many cells it wrote: keep it cheap and leave the real work for later.
    virtual void sheetChanged(Worksheet* sheet, const CellRect& area, SheetChange what) {}
};

class Application : public AutomationObject {
public:
    Application();
    ~Application() override;

    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    bool ScreenUpdating() const { return screenUpdating_; }
    void SetScreenUpdating(bool v);
    bool DisplayAlerts() const { return displayAlerts_; }
    void SetDisplayAlerts(bool v) { displayAlerts_ = v; }
    double Version() const { return 16.0; }

    class Workbooks& Workbooks() { return workbooks_; }
    Workbook* ActiveWorkbook();
    Worksheet* ActiveSheet();
    // Global Range(text) against the active sheet; a text that is no reference fails (1004).
    Range GetRange(const std::string& reference);
    // The address of a reference text: "$C$5"; fails for texts that are no reference.
    std::string AddressOf(const std::string& reference);
    // Worksheet function Index(array, 0, i): column i as an n x 1 array.
    static VariantArray IndexColumn(const VariantArray& array, int column);
    // With this on, Save and SaveAs build the file and leave putting it on disk to a helper
    // thread (.xls excepted), so that a run saving many workbooks goes on meanwhile. The run
    // then calls WaitForSaves, which returns the saves that failed.
    bool SaveInBackground() const { return saveInBackground_; }
    void SetSaveInBackground(bool on) { saveInBackground_ = on; }
    struct SaveFailure {
        std::string path, message;
    };
    std::vector<SaveFailure> WaitForSaves();
    // Closes every workbook (asking as Close() asks) and ends the application.
    void Quit();
    bool quit() const { return quit_; }

    // Services
    void setAlertService(std::shared_ptr<AlertService> s) { alerts_ = std::move(s); }
    AlertService& alerts() { return *alerts_; }
    void setObserver(ApplicationObserver* o) { observer_ = o; }
    ApplicationObserver* observer() const { return observer_; }

    // Engine side
    void setActiveWorkbook(Workbook* b) { active_ = b; }
    struct Clipboard {
        Worksheet* sheet = nullptr;
        CellRect rect;
    };
    void setClipboard(Worksheet* s, CellRect r) { clipboard_ = Clipboard{s, r}; }
    const std::optional<Clipboard>& clipboard() const { return clipboard_; }
    void clearClipboard() { clipboard_.reset(); }
    void ensureRunning() const;

private:
    bool saveInBackground_ = false;
    class Workbooks workbooks_;
    Workbook* active_ = nullptr;
    bool visible_ = false, screenUpdating_ = true, displayAlerts_ = true, quit_ = false;
    std::shared_ptr<AlertService> alerts_;
    ApplicationObserver* observer_ = nullptr;
    std::optional<Clipboard> clipboard_;
};

}  // namespace lorvane
