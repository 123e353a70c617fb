#include "automation/Workbook.h"

#include <algorithm>
#include <filesystem>

#include "automation/Application.h"
#include "base/AutomationError.h"
#include "automation/Constants.h"
#include "automation/SheetNames.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/WorkbookFile.h"
#include "spreadsheet/WorkbookPrefetch.h"

namespace lorvane {

namespace fs = std::filesystem;

// ---- Sheets ---------------------------------------------------------------------------------

int Sheets::Count() const { return static_cast<int>(book_->data().sheets.size()); }

SheetIterator::SheetIterator(std::shared_ptr<const std::vector<Worksheet*>> sheets) : sheets_(std::move(sheets)) {
    skipDeleted();
}

SheetIterator& SheetIterator::operator++() {
    ++at_;
    skipDeleted();
    return *this;
}

void SheetIterator::skipDeleted() {
    while (at_ < sheets_->size() && !(*sheets_)[at_]->alive()) ++at_;
}

SheetIterator Sheets::begin() const { return SheetIterator(std::make_shared<const std::vector<Worksheet*>>(all())); }

std::vector<Worksheet*> Sheets::all() const {
    std::vector<Worksheet*> out;
    for (auto& s : book_->data().sheets) out.push_back(book_->facadeFor(s.get()));
    return out;
}

Worksheet* Sheets::Item(int index) const {
    auto& sheets = book_->data().sheets;
    if (index < 1 || index > static_cast<int>(sheets.size()))
        throw AutomationError(errc::kSubscript, "下标越界：工作簿“" + book_->Name() + "”没有第 " + std::to_string(index) + " 个工作表。");
    return book_->facadeFor(sheets[index - 1].get());
}

Worksheet* Sheets::Find(const std::string& name) const {
    for (auto& s : book_->data().sheets)
        if (sheetNamesEqual(s->name, name)) return book_->facadeFor(s.get());
    return nullptr;
}

Worksheet* Sheets::Item(const std::string& name) const {
    if (Worksheet* ws = Find(name)) return ws;
    throw AutomationError(errc::kSubscript, "下标越界：工作簿“" + book_->Name() + "”中没有名为“" + name + "”的工作表。");
}

Worksheet* Sheets::Add() {
    Worksheet* active = book_->ActiveSheet();
    int at = active ? active->Index() - 1 : 0;
    auto s = std::make_unique<sheet::SheetData>();
    s->name = book_->nextSheetName();
    Worksheet* ws = book_->insertSheet(std::move(s), at);
    ws->Activate();
    return ws;
}

Worksheet* Sheets::AddAfter(Worksheet* after) {
    if (!after || after->Parent() != book_) throw AutomationError(errc::kInvalidCall, "无效的参数：新工作表要放在同一工作簿的工作表之后。");
    auto s = std::make_unique<sheet::SheetData>();
    s->name = book_->nextSheetName();
    Worksheet* ws = book_->insertSheet(std::move(s), after->Index());
    ws->Activate();
    return ws;
}

Worksheet* Sheets::AddBefore(Worksheet* before) {
    if (!before || before->Parent() != book_) throw AutomationError(errc::kInvalidCall, "无效的参数：新工作表要放在同一工作簿的工作表之前。");
    auto s = std::make_unique<sheet::SheetData>();
    s->name = book_->nextSheetName();
    Worksheet* ws = book_->insertSheet(std::move(s), before->Index() - 1);
    ws->Activate();
    return ws;
}

// ---- Workbook -------------------------------------------------------------------------------

Workbook::Workbook(Application* app, std::unique_ptr<sheet::BookData> data, std::string fullName)
    : app_(app), data_(std::move(data)), sheets_(this) {
    setFile(fullName);
    for (auto& s : data_->sheets) facadeFor(s.get());
    sheetCounter_ = static_cast<int>(data_->sheets.size());
}

Workbook::~Workbook() = default;

void Workbook::setFile(const std::string& fullName) {
    fullName_ = fullName;
    fs::path p(fullName);
    name_ = p.filename().string();
    path_ = p.has_parent_path() ? p.parent_path().string() : std::string();
}

sheet::BookData& Workbook::data() const {
    if (!open_) throw AutomationError(errc::kObjectGone, "工作簿“" + name_ + "”已关闭，无法再使用。");
    return *data_;
}

Worksheet* Workbook::facadeFor(sheet::SheetData* s) {
    auto it = facadeOf_.find(s);
    if (it != facadeOf_.end()) return it->second;
    facades_.push_back(std::make_unique<Worksheet>(this, s));
    facadeOf_.emplace(s, facades_.back().get());
    return facades_.back().get();
}

Worksheet* Workbook::ActiveSheet() {
    auto& d = data();
    if (d.sheets.empty()) return nullptr;
    d.activeSheet = std::clamp(d.activeSheet, 0, static_cast<int>(d.sheets.size()) - 1);
    return facadeFor(d.sheets[d.activeSheet].get());
}

void Workbook::Activate() {
    data();
    app_->setActiveWorkbook(this);
}

Worksheet* Workbook::insertSheet(std::unique_ptr<sheet::SheetData> s, int index) {
    auto& d = data();
    index = std::clamp(index, 0, static_cast<int>(d.sheets.size()));
    sheet::SheetData* raw = s.get();
    d.sheets.insert(d.sheets.begin() + index, std::move(s));
    if (index <= d.activeSheet && d.sheets.size() > 1) ++d.activeSheet;
    touch();
    Worksheet* ws = facadeFor(raw);
    if (auto* o = app_->observer()) o->sheetAdded(ws);
    return ws;
}

void Workbook::removeSheet(Worksheet* ws) {
    auto& d = data();
    int index = d.indexOf(ws->dataOrNull());
    if (index < 0) return;
    std::unique_ptr<sheet::SheetData> gone = std::move(d.sheets[index]);
    d.sheets.erase(d.sheets.begin() + index);
    facadeOf_.erase(gone.get());
    if (d.activeSheet > index || d.activeSheet >= static_cast<int>(d.sheets.size())) d.activeSheet = std::max(0, d.activeSheet - 1);
    touch();
    // Told while the storage still exists, so that windows let go of it before it is freed;
    // the object is cut loose from it whatever the observer does.
    struct Detach {
        Worksheet* ws;
        ~Detach() { ws->detach(); }
    } detach{ws};
    if (auto* o = app_->observer()) o->sheetDeleted(ws);
}

void Workbook::changed(Worksheet* sheet, const CellRect& area, SheetChange what) {
    touch();
    if (auto* o = app_->observer()) o->sheetChanged(sheet, area, what);
}

void Workbook::sheetListChanged() {
    touch();
    if (auto* o = app_->observer()) o->sheetsChanged(this);
}

std::string Workbook::nextSheetName() const {
    for (int n = sheetCounter_ + 1;; ++n) {
        std::string name = "Sheet" + std::to_string(n);
        if (!sheets_.Find(name)) {
            const_cast<Workbook*>(this)->sheetCounter_ = n;
            return name;
        }
    }
}

std::string Workbook::nextCopyName(const std::string& base) const {
    // "name (2)", "name (3)", ...; the base is shortened so the result keeps within 31 characters.
    for (int n = 2;; ++n) {
        std::string suffix = " (" + std::to_string(n) + ")";
        std::string name = truncateToChars(base, kMaxSheetNameChars - static_cast<int>(suffix.size())) + suffix;
        if (!sheets_.Find(name)) return name;
    }
}

void Workbook::Save() {
    data();
    if (path_.empty()) {
        std::string target = app_->alerts().askSaveAsPath(name_);
        if (target.empty()) throw AutomationError(errc::kMethodFailed, "工作簿“" + name_ + "”尚未保存过，需要先选择保存位置。");
        SaveAs(target);
        return;
    }
    const auto format = sheet::formatForPath(fullName_);
    if (format == sheet::FileFormat::Ods || format == sheet::FileFormat::Csv) {
        // Read-only formats: the workbook goes beside its source as .xlsx, the source stays as it is.
        SaveAs((fs::path(fullName_).parent_path() / fs::path(fullName_).stem()).string() + ".xlsx");
        return;
    }
    writeFile(fullName_);
    modified_ = false;
}

void Workbook::writeFile(const std::string& path) {
    if (app_->SaveInBackground()) sheet::saveWorkbookFileInBackground(*data_, path, sheet::formatForPath(path));
    else sheet::writeWorkbookFile(*data_, path, sheet::formatForPath(path));
}

void Workbook::SaveAs(const std::string& fileName, int format, int /*accessMode*/) {
    data();
    if (fileName.empty()) throw AutomationError(errc::kInvalidCall, "保存失败：没有给出文件名。");
    std::string target = fileName;
    std::string ext = fs::path(target).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    bool knownExt = ext == ".xlsx" || ext == ".xlsm" || ext == ".xls";
    if (format == xlOpenXMLWorkbook && ext != ".xlsx") target += ".xlsx";
    else if (format == xlWorkbookNormal && ext != ".xls") target += ".xls";
    else if (format == 0 && !knownExt) target += ".xlsx";
    target = fs::absolute(target).lexically_normal().string();
    if (app_->DisplayAlerts() && target != fullName_ && fs::exists(target) && !app_->alerts().confirmReplaceFile(target))
        throw AutomationError(errc::kMethodFailed, "已取消保存：文件“" + target + "”已存在。");
    writeFile(target);
    setFile(target);
    modified_ = false;
}

void Workbook::SaveCopyAs(const std::string& fileName) {
    data();
    if (fileName.empty()) throw AutomationError(errc::kInvalidCall, "保存失败：没有给出文件名。");
    const std::string target = fs::absolute(fileName).lexically_normal().string();
    sheet::writeWorkbookFile(*data_, target, sheet::formatForPath(target));
}

bool Workbook::Close(std::optional<bool> saveChanges) {
    if (!open_) return true;
    if (saveChanges.value_or(false)) {
        if (modified_ || path_.empty()) Save();  // an unchanged saved file needs no second write
    } else if (!saveChanges && modified_ && app_->DisplayAlerts()) {
        switch (app_->alerts().askSaveChanges(name_)) {
        case AlertService::Answer::Cancel: return false;
        case AlertService::Answer::Yes: Save(); break;
        case AlertService::Answer::No: break;
        }
    }
    if (auto* o = app_->observer()) o->workbookClosed(this);
    if (app_->clipboard() && app_->clipboard()->sheet && app_->clipboard()->sheet->Parent() == this) app_->clearClipboard();
    open_ = false;
    for (auto& f : facades_) f->detach();
    facadeOf_.clear();
    data_.reset();
    app_->Workbooks().closed(this);
    return true;
}

// ---- Workbooks ------------------------------------------------------------------------------

std::vector<Workbook*> Workbooks::all() const {
    std::vector<Workbook*> out;
    for (auto& b : books_)
        if (b->isOpen()) out.push_back(b.get());
    return out;
}

int Workbooks::Count() const { return static_cast<int>(all().size()); }

Workbook* Workbooks::Item(int index) const {
    auto open = all();
    if (index < 1 || index > static_cast<int>(open.size()))
        throw AutomationError(errc::kSubscript, "下标越界：没有第 " + std::to_string(index) + " 个打开的工作簿。");
    return open[index - 1];
}

Workbook* Workbooks::Item(const std::string& name) const {
    for (Workbook* b : all()) {
        std::string stem = fs::path(b->Name()).stem().string();
        if (sheetNamesEqual(b->Name(), name) || sheetNamesEqual(stem, name)) return b;
    }
    throw AutomationError(errc::kSubscript, "下标越界：没有打开名为“" + name + "”的工作簿。");
}

Workbook* Workbooks::adopt(std::unique_ptr<Workbook> book) {
    app_->ensureRunning();
    books_.push_back(std::move(book));
    Workbook* b = books_.back().get();
    app_->setActiveWorkbook(b);
    if (auto* o = app_->observer()) o->workbookOpened(b);
    return b;
}

Workbook* Workbooks::Add() {
    auto data = std::make_unique<sheet::BookData>();
    auto first = std::make_unique<sheet::SheetData>();
    first->name = "Sheet1";
    data->sheets.push_back(std::move(first));
    std::string name = "工作簿" + std::to_string(++newCounter_);
    return adopt(std::make_unique<Workbook>(app_, std::move(data), name));
}

Workbooks::Workbooks(Application* app) : app_(app) {}
Workbooks::~Workbooks() = default;

namespace {
std::string fullPathOf(const std::string& path) { return fs::absolute(path).lexically_normal().string(); }
}  // namespace

Workbook* Workbooks::Open(const std::string& path) { return open(path, false); }
Workbook* Workbooks::OpenInput(const std::string& path) { return open(path, true); }

Workbook* Workbooks::open(const std::string& path, bool asInput) {
    app_->ensureRunning();
    sheet::waitForBackgroundSaves();  // the file may be one still on its way to the disk
    std::string full = fullPathOf(path);
    for (Workbook* b : all())
        if (b->FullName() == full) {
            b->Activate();
            return b;
        }
    std::unique_ptr<sheet::BookData> data;
    if (asInput && ahead_) data = ahead_->take(full);
    if (!data) data = sheet::readWorkbookFile(full, asInput ? sheet::SheetParsing::OnFirstUse : sheet::SheetParsing::AllNow);
    return adopt(std::make_unique<Workbook>(app_, std::move(data), full));
}

Workbooks::ReadingAhead Workbooks::ReadAhead(const std::vector<std::string>& paths, int sheetNumber) {
    ahead_.reset();
    sheet::waitForBackgroundSaves();
    std::vector<std::string> full;
    full.reserve(paths.size());
    for (const std::string& p : paths) full.push_back(fullPathOf(p));
    ahead_ = std::make_unique<sheet::WorkbookPrefetch>(std::move(full), sheet::SheetParsing::OnFirstUse, sheetNumber);
    return ReadingAhead(*this);
}

Workbooks::ReadingAhead::~ReadingAhead() {
    if (books_) books_->ahead_.reset();
}

void Workbooks::closed(Workbook* book) {
    if (app_->ActiveWorkbook() == book) {
        auto open = all();
        app_->setActiveWorkbook(open.empty() ? nullptr : open.back());
    }
}

}  // namespace lorvane
