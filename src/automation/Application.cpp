#include "automation/Application.h"

#include "spreadsheet/WorkbookFile.h"

#include "base/AutomationError.h"

namespace lorvane {

Application::Application() : workbooks_(this), alerts_(std::make_shared<AlertService>()) {}

Application::~Application() = default;

void Application::ensureRunning() const {
    if (quit_) throw AutomationError(errc::kObjectGone, "电子表格程序已经退出，无法再使用。");
}

void Application::SetVisible(bool v) {
    ensureRunning();
    visible_ = v;
    if (observer_) observer_->visibilityChanged(this);
}

void Application::SetScreenUpdating(bool v) {
    screenUpdating_ = v;
    if (observer_) observer_->screenUpdatingChanged(this);
}

Workbook* Application::ActiveWorkbook() {
    if (active_ && !active_->isOpen()) active_ = nullptr;
    return active_;
}

Worksheet* Application::ActiveSheet() {
    Workbook* b = ActiveWorkbook();
    return b ? b->ActiveSheet() : nullptr;
}

Range Application::GetRange(const std::string& reference) {
    Worksheet* ws = ActiveSheet();
    if (!ws) throw AutomationError(errc::kMethodFailed, "没有活动的工作表，无法解析引用“" + reference + "”。");
    return ws->GetRange(reference);
}

std::string Application::AddressOf(const std::string& reference) {
    CellRect r;
    if (!parseReference(reference, r))
        throw AutomationError(errc::kMethodFailed, "“" + reference + "”不是有效的单元格引用。");
    return absoluteAddress(r);
}

VariantArray Application::IndexColumn(const VariantArray& array, int column) {
    if (column < 1 || column > array.cols())
        throw AutomationError(errc::kMethodFailed, "Index 的列号超出数组范围：" + std::to_string(column));
    VariantArray out(array.rows(), 1);
    for (int r = 1; r <= array.rows(); ++r) out(r, 1) = array(r, column);
    return out;
}

std::vector<Application::SaveFailure> Application::WaitForSaves() {
    std::vector<SaveFailure> out;
    for (auto& f : sheet::takeBackgroundSaveFailures()) out.push_back({std::move(f.path), std::move(f.message)});
    return out;
}

void Application::Quit() {
    if (quit_) return;
    for (Workbook* b : workbooks_.all())
        if (!b->Close()) return;  // the user cancelled a save question: the application stays
    quit_ = true;
    visible_ = false;
    clipboard_.reset();
    if (observer_) observer_->applicationQuit(this);
}

}  // namespace lorvane
