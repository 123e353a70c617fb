#include "split/SplitIntoBooks.h"

#include <filesystem>
#include <vector>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "base/AutomationError.h"
#include "runs/RunTimer.h"
#include "runs/UiService.h"

namespace lorvane::split {

namespace fs = std::filesystem;

namespace {

constexpr const char* kOutFolderName = "分表";


std::string fileNamesOf(const std::vector<std::string>& paths) {
    std::vector<std::string> names;
    for (const auto& p : paths) names.push_back(fs::path(p).filename().string());
    return runs::nameList(names, 50);
}

// Waits for the workbooks still on their way to the disk; those that failed leave the list of
// files made.
std::vector<Application::SaveFailure> settleSaves(Application& app, runs::RunOutcome& out) {
    auto failed = app.WaitForSaves();
    app.SetSaveInBackground(false);
    for (const auto& f : failed) std::erase(out.made, f.path);
    return failed;
}

}  // namespace

runs::RunOutcome splitIntoBooks(const SplitRequest& request, Application& app, Workbook& source, const std::string& chosenPath,
                                runs::RunProgress* progress) {
    SplitPlan plan;
    if (auto refusal = planSplit(request, source, NameUse::File, plan)) return runs::RunOutcome::refused(*refusal);

    if (chosenPath.empty()) return runs::RunOutcome::refused("不知道源工作薄保存在哪个文件夹，无法创建“分表”文件夹。\n\n拆分已停止，没有写入任何文件。");
    std::error_code ec;
    const fs::path outFolder = fs::absolute(fs::path(chosenPath), ec).parent_path() / kOutFolderName;
    const bool folderExists = fs::exists(outFolder, ec);
    if (folderExists && !fs::is_directory(outFolder, ec))
        return runs::RunOutcome::refused("“" + outFolder.string() + "”已存在，但不是文件夹，无法在其中保存拆分结果。\n\n拆分已停止，没有写入任何文件。");
    for (const KeyRows& key : plan.keys)
        if (fs::path target = outFolder / workbookFileName(key.text); fs::is_directory(target, ec))
            return runs::RunOutcome::refused("“" + target.string() + "”是一个文件夹，无法用这个名称保存拆分值“" + key.text +
                           "”的工作薄。\n\n拆分已停止，没有写入任何文件。");

    runs::RunOutcome out;
    out.folder = (outFolder / "").string();
    Workbook* current = nullptr;
    MasterFormats formats(plan);
    try {
        if (!folderExists && !fs::create_directory(outFolder, ec) && ec)
            throw AutomationError(errc::kPathNotFound, "无法创建文件夹“" + outFolder.string() + "”：" + ec.message());
        app.SetVisible(false);
        app.SetDisplayAlerts(false);
        app.SetScreenUpdating(false);
        // Each workbook goes to the disk while the next one is made.
        app.SetSaveInBackground(true);
        formats.prepare();  // in the source workbook, which is closed without saving
        for (const KeyRows& key : plan.keys) {
            if (progress)
                progress->writing(static_cast<int>(out.made.size()) + 1, static_cast<int>(plan.keys.size()),
                                  workbookFileName(key.text));
            current = app.Workbooks().Add();
            Worksheet* first = current->GetSheets()(1);
            first->SetName(key.text);
            writeKeySheet(plan, key, *first, FormatOrder::FormatsFirst, formats);
            current->SaveAs((outFolder / key.text).string(), xlOpenXMLWorkbook, xlNoChange);
            out.made.push_back(current->FullName());
            current->Close(true);
            current = nullptr;
        }
        if (auto failed = settleSaves(app, out); !failed.empty()) {
            std::string what = failed.front().message;
            if (failed.size() > 1) what += "（共 " + std::to_string(failed.size()) + " 个工作薄没有保存）";
            throw AutomationError(errc::kMethodFailed, what);
        }
        source.Close();
        app.SetVisible(true);
        app.SetDisplayAlerts(true);
        app.SetScreenUpdating(true);
        app.Quit();
    } catch (const std::exception& e) {
        try {
            if (current && current->isOpen()) current->Close(false);
        } catch (const std::exception&) {
        }
        settleSaves(app, out);
        try {
            if (source.isOpen()) formats.remove();
        } catch (const std::exception&) {
        }
        app.SetDisplayAlerts(true);
        app.SetScreenUpdating(true);
        if (!app.quit()) app.SetVisible(true);
        out.status = runs::RunOutcome::Status::Failed;
        const bool cancelled = dynamic_cast<const runs::RunCancelled*>(&e) != nullptr;
        if (cancelled) out.status = runs::RunOutcome::Status::Cancelled;
        out.message = cancelled ? std::string("已取消拆分。\n\n") : "拆分没有完成：" + runs::errorText(e) + "\n\n";
        out.message += out.made.empty() ? "没有写入任何文件。"
                                        : "已写入“" + out.folder + "”的文件（" + std::to_string(out.made.size()) +
                                              " 个）：" + fileNamesOf(out.made) + "。";
        if (source.isOpen()) out.message += "\n源工作薄仍然打开，没有被修改。";
    }
    return out;
}

runs::RunOutcome runSplitIntoBooks(const SplitRequest& request, Application& app, Workbook& source,
                               const std::string& chosenPath, runs::UiService& ui) {
    ui.showRunningNotice();
    runs::RunTimer timer(ui);
    runs::RunProgress progress(&ui);
    runs::RunOutcome out = splitIntoBooks(request, app, source, chosenPath, &progress);
    ui.hideRunningNotice();
    if (out.ok()) {
        timer.report("拆分完成，运行总时间：");
        if (ui.askYesNo("数据拆分完成，是否要打开“分表”文件夹？", "温馨提示", runs::Icon::Question))
            ui.openWithShell(out.folder);
    } else {
        ui.inform(out.message);
    }
    ui.scheduleExit();
    return out;
}

}  // namespace lorvane::split
