#include "automation/Worksheet.h"

#include <algorithm>

#include "automation/Application.h"
#include "base/AutomationError.h"
#include "automation/CellValues.h"
#include "automation/SheetNames.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/FormulaRefs.h"
#include "spreadsheet/SheetCopy.h"
#include "spreadsheet/WorkbookFile.h"

namespace lorvane {

sheet::SheetData& Worksheet::data() const {
    if (!data_) throw AutomationError(errc::kObjectGone, "该工作表已被删除或其工作簿已关闭，无法再使用。");
    if (data_->parsePending) sheet::ensureSheetParsed(book_->data(), *data_);
    return *data_;
}

sheet::SheetData* Worksheet::dataOrNull() const {
    if (data_ && data_->parsePending) sheet::ensureSheetParsed(book_->data(), *data_);
    return data_;
}

const std::string& Worksheet::Name() const { return data().name; }

void Worksheet::SetName(const std::string& name) {
    auto& d = data();
    if (name == d.name) return;
    if (std::string problem = sheetNameProblem(name); !problem.empty())
        throw AutomationError(errc::kMethodFailed, "无法将工作表命名为“" + name + "”：" + problem);
    if (Worksheet* other = book_->GetSheets().Find(name); other && other != this)
        throw AutomationError(errc::kMethodFailed, "无法将工作表命名为“" + name + "”：该名称已被同一工作簿中的其他工作表使用（不区分大小写）。");
    // Formulas that name this sheet follow the new name, in sheets not parsed yet too.
    auto& book = book_->data();
    sheet::ensureAllSheetsParsed(book);
    for (auto& f : book.formulas) sheet::renameSheetReferences(f, d.name, name);
    for (auto& n : book.names) sheet::renameSheetReferences(n.formula, d.name, name);
    d.name = name;
    book_->sheetListChanged();
}

int Worksheet::Index() const { return book_->data().indexOf(&data()) + 1; }

void Worksheet::Activate() {
    auto& d = data();
    book_->data().activeSheet = book_->data().indexOf(&d);
    book_->Activate();
    if (auto* o = book_->Parent()->observer()) o->sheetActivated(this);
}

bool Worksheet::Visible() const { return data().visibility == sheet::SheetData::Visibility::Visible; }

void Worksheet::SetVisible(bool visible) {
    auto& d = data();
    if (!visible) {
        int shown = 0;
        for (auto& s : book_->data().sheets)
            if (s->visibility == sheet::SheetData::Visibility::Visible) ++shown;
        if (shown <= 1 && Visible()) throw AutomationError(errc::kMethodFailed, "工作簿至少要有一个可见的工作表。");
    }
    d.visibility = visible ? sheet::SheetData::Visibility::Visible : sheet::SheetData::Visibility::Hidden;
    book_->sheetListChanged();
}

void Worksheet::PasteFormatsLeavingOutRows(Worksheet& source, int firstRow, int count) {
    auto& d = data();
    CellRect used;
    if (d.usedBounds(used) || d.rowCount() > 0 || d.columnRecordCount() > 0 || !d.merges.empty())
        throw AutomationError(errc::kMethodFailed, "只能把格式粘贴到空白的工作表中。");
    if (firstRow < 1 || firstRow > kMaxRows || count < 0)
        throw AutomationError(errc::kMethodFailed, "要去掉的行超出工作表范围。");
    count = std::min(count, kMaxRows - firstRow + 1);
    sheet::copyFormatsLeavingOutRows(source.book_->data(), source.data(), book_->data(), d, firstRow, count);
    if (count > 0) shiftFormulas(book_->data(), d, true, firstRow, -count);
    book_->changed(this, CellRect{1, 1, kMaxRows, kMaxColumns}, SheetChange::Layout);
}

bool Worksheet::Delete() {
    auto& d = data();
    auto& book = book_->data();
    int visible = 0;
    for (auto& s : book.sheets)
        if (s->visibility == sheet::SheetData::Visibility::Visible) ++visible;
    if (book.sheets.size() <= 1 || (visible <= 1 && Visible()))
        throw AutomationError(errc::kMethodFailed, "无法删除工作表“" + d.name + "”：工作簿至少要保留一个可见的工作表。");
    Application* app = book_->Parent();
    if (app->DisplayAlerts() && !app->alerts().confirmDeleteSheet(d.name)) return false;
    // References from other sheets to this one can no longer be resolved.
    sheet::ensureAllSheetsParsed(book);
    for (auto& f : book.formulas)
        if (sheet::renameSheetReferences(f, d.name, "")) book.needsRecalc = true;
    for (auto& n : book.names) sheet::renameSheetReferences(n.formula, d.name, "");
    if (app->clipboard() && app->clipboard()->sheet == this) app->clearClipboard();
    book_->removeSheet(this);
    return true;
}

Workbook* Worksheet::Copy() {
    auto& d = data();
    Application* app = book_->Parent();
    auto target = std::make_unique<sheet::BookData>();
    target->styles.setDefault(book_->data().styles.at(0));
    target->date1904 = book_->data().date1904;
    target->sheets.push_back(sheet::copySheet(book_->data(), d, *target));
    target->sheets.back()->visibility = sheet::SheetData::Visibility::Visible;
    std::string name = "工作簿" + std::to_string(++app->Workbooks().newCounter_);
    Workbook* book = app->Workbooks().adopt(std::make_unique<Workbook>(app, std::move(target), name));
    book->touch();
    return book;
}

Worksheet* Worksheet::CopyAfter(Worksheet* after) {
    if (!after) throw AutomationError(errc::kInvalidCall, "无效的参数：没有给出复制到哪个工作表之后。");
    Workbook* targetBook = after->Parent();
    auto copy = sheet::copySheet(book_->data(), data(), targetBook->data());
    copy->name = targetBook->GetSheets().Find(copy->name) ? targetBook->nextCopyName(data().name) : copy->name;
    Worksheet* ws = targetBook->insertSheet(std::move(copy), after->Index());
    ws->Activate();
    return ws;
}

Worksheet* Worksheet::CopyBefore(Worksheet* before) {
    if (!before) throw AutomationError(errc::kInvalidCall, "无效的参数：没有给出复制到哪个工作表之前。");
    Workbook* targetBook = before->Parent();
    auto copy = sheet::copySheet(book_->data(), data(), targetBook->data());
    copy->name = targetBook->GetSheets().Find(copy->name) ? targetBook->nextCopyName(data().name) : copy->name;
    Worksheet* ws = targetBook->insertSheet(std::move(copy), before->Index() - 1);
    ws->Activate();
    return ws;
}

Range Worksheet::UsedRange() {
    CellRect r;
    if (!data().usedBounds(r)) r = CellRect{1, 1, 1, 1};
    return Range(this, r);
}

Range Worksheet::Cells(int row, int col) {
    if (row < 1 || row > kMaxRows || col < 1 || col > kMaxColumns)
        throw AutomationError(errc::kMethodFailed, "单元格位置超出工作表范围：第 " + std::to_string(row) + " 行，第 " + std::to_string(col) + " 列。");
    data();
    return Range(this, CellRect{row, col, row, col});
}

Range Worksheet::GetRange(const std::string& reference) {
    CellRect r;
    if (!parseReference(reference, r))
        throw AutomationError(errc::kMethodFailed, "“" + reference + "”不是有效的单元格引用。");
    data();
    return Range(this, r);
}

Range Worksheet::GetRange(const Range& first, const Range& last) {
    CellRect a = first.rect(), b = last.rect();
    return Range(this, CellRect{std::min(a.row1, b.row1), std::min(a.col1, b.col1), std::max(a.row2, b.row2), std::max(a.col2, b.col2)});
}

Range Worksheet::Rows(int i) {
    if (i < 1 || i > kMaxRows) throw AutomationError(errc::kMethodFailed, "行号超出工作表范围：" + std::to_string(i));
    return Range(this, CellRect{i, 1, i, kMaxColumns}, Range::View::Rows);
}

Range Worksheet::Columns(int i) {
    if (i < 1 || i > kMaxColumns) throw AutomationError(errc::kMethodFailed, "列号超出工作表范围：" + std::to_string(i));
    return Range(this, CellRect{1, i, kMaxRows, i}, Range::View::Columns);
}

}  // namespace lorvane
