#pragma once
// Workbooks, a workbook and its sheets collection in the object model.
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "automation/Worksheet.h"

namespace lorvane {

namespace sheet {
class WorkbookPrefetch;
struct BookData;
}
class Application;
class Workbook;

// Walks a list of the sheets taken when the walk began, passing over sheets deleted since: loops
// over the same sheets may nest, and a loop may delete or add sheets as it goes.
class SheetIterator {
public:
    explicit SheetIterator(std::shared_ptr<const std::vector<Worksheet*>> sheets);
    Worksheet* operator*() const { return (*sheets_)[at_]; }
    SheetIterator& operator++();
    bool operator==(std::default_sentinel_t) const { return at_ >= sheets_->size(); }

private:
    void skipDeleted();
    std::shared_ptr<const std::vector<Worksheet*>> sheets_;
    std::size_t at_ = 0;
};

// Sheets / Worksheets of a workbook: items by 1-based position or by name, in tab order.
class Sheets {
public:
    explicit Sheets(Workbook* book) : book_(book) {}
    int Count() const;
    Worksheet* Item(int index) const;                // error 9 when out of range
    Worksheet* Item(const std::string& name) const;  // error 9 when no such sheet (name ignores case)
    Worksheet* operator()(int index) const { return Item(index); }
    Worksheet* operator()(const std::string& name) const { return Item(name); }
    Worksheet* Find(const std::string& name) const;  // nullptr when none
    // A new sheet "SheetN" before the active sheet (where the application puts it), made active.
    Worksheet* Add();
    Worksheet* AddAfter(Worksheet* after);
    Worksheet* AddBefore(Worksheet* before);
    std::vector<Worksheet*> all() const;  // tab order, for enumeration

    // Range-for over the sheets in tab order, as they were when the loop began.
    SheetIterator begin() const;
    std::default_sentinel_t end() const { return {}; }

private:
    Workbook* book_;
};

class Workbook {
public:
    Workbook(Application* app, std::unique_ptr<sheet::BookData> data, std::string fullName);
    ~Workbook();

    Application* Parent() const { return app_; }
    const std::string& Name() const { return name_; }          // file name with extension
    const std::string& FullName() const { return fullName_; }  // full path, or the name when unsaved
    const std::string& Path() const { return path_; }          // folder, empty when unsaved
    Sheets& Worksheets() { return sheets_; }
    Sheets& GetSheets() { return sheets_; }
    Worksheet* ActiveSheet();
    void Activate();
    bool Saved() const { return !modified_; }
    void SetSaved(bool saved) { modified_ = !saved; }

    // Writes the file the workbook came from, in its format.
    void Save();
    // format 0: by the extension (".xlsx" when none); 51: .xlsx, appended when missing.
    void SaveAs(const std::string& fileName, int format = 0, int accessMode = 0);
    // Writes the workbook to `fileName` (format by its extension) at once; the workbook keeps its
    // own file, name and changed state.
    void SaveCopyAs(const std::string& fileName);
    // Close(): asks (DisplayAlerts on) when modified; Close(false) discards; Close(true) saves.
    // Returns false when the user cancelled.
    bool Close(std::optional<bool> saveChanges = std::nullopt);
    bool isOpen() const { return open_; }

    // Engine side
    sheet::BookData& data() const;
    Worksheet* facadeFor(sheet::SheetData* s);
    // Every change to cells or sheets marks the workbook modified and bumps a counter.
    void touch() { modified_ = true; ++changeCount_; }
    unsigned long long changeCount() const { return changeCount_; }
    // touch() and the application's observer told that `area` of `sheet` changed.
    void changed(Worksheet* sheet, const CellRect& area, SheetChange what = SheetChange::Cells);
    // touch() and the observer told that the sheet list changed (names, order, visibility).
    void sheetListChanged();
    // Adds a sheet (already named) at tab position `index` (0-based), returns its object.
    Worksheet* insertSheet(std::unique_ptr<sheet::SheetData> s, int index);
    void removeSheet(Worksheet* ws);
    // Sheet "SheetN" name not yet used.
    std::string nextSheetName() const;
    std::string nextCopyName(const std::string& base) const;

private:
    void setFile(const std::string& fullName);
    // Saves to `path` now, or hands the file to the background saver.
    void writeFile(const std::string& path);
    Application* app_;
    std::unique_ptr<sheet::BookData> data_;
    Sheets sheets_;
    std::vector<std::unique_ptr<Worksheet>> facades_;
    std::unordered_map<const sheet::SheetData*, Worksheet*> facadeOf_;
    std::string name_, fullName_, path_;
    bool modified_ = false;
    bool open_ = true;
    unsigned long long changeCount_ = 0;
    int sheetCounter_ = 0;
};

class Workbooks {
public:
    explicit Workbooks(Application* app);
    ~Workbooks();
    Workbook* Open(const std::string& path);
    // Opens a workbook a run only reads from: each worksheet is parsed when first used.
    Workbook* OpenInput(const std::string& path);
    // Starts reading these files on all cores, as inputs, for the OpenInput calls that follow
    // in the same order; ends with the returned scope (or the next call). `sheetNumber`: the
    // sheet the run will use, parsed on the reading threads too (0: none).
    class ReadingAhead {
    public:
        explicit ReadingAhead(Workbooks& books) : books_(&books) {}
        ReadingAhead(ReadingAhead&& o) noexcept : books_(std::exchange(o.books_, nullptr)) {}
        ~ReadingAhead();

    private:
        Workbooks* books_;
    };
    [[nodiscard]] ReadingAhead ReadAhead(const std::vector<std::string>& paths, int sheetNumber = 0);
    Workbook* Add();
    int Count() const;
    Workbook* Item(int index) const;
    Workbook* Item(const std::string& name) const;  // by file name, ignoring case
    Workbook* operator()(const std::string& name) const { return Item(name); }
    Workbook* operator()(int index) const { return Item(index); }
    std::vector<Workbook*> all() const;

    // Engine side: adopts a workbook made elsewhere (a sheet copy).
    Workbook* adopt(std::unique_ptr<Workbook> book);
    void closed(Workbook* book);

private:
    Workbook* open(const std::string& path, bool asInput);

    Application* app_;
    std::vector<std::unique_ptr<Workbook>> books_;  // closed ones stay as dead objects
    std::unique_ptr<sheet::WorkbookPrefetch> ahead_;
    int newCounter_ = 0;
    friend class Workbook;
    friend class Worksheet;
};

}  // namespace lorvane
