#include "split/SplitIntoSheets.h"

#include <algorithm>

#include "automation/Application.h"
#include "base/AutomationError.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "runs/NameSet.h"
#include "runs/RunTimer.h"
#include "runs/UiService.h"

namespace lorvane::split {

runs::RunOutcome splitIntoSheets(const SplitRequest& request, Application& app, Workbook& source,
                                 runs::RunProgress* progress) {
    SplitPlan plan;
    if (auto refusal = planSplit(request, source, NameUse::Sheet, plan)) return runs::RunOutcome::refused(*refusal);

    // The sheets named like a key go first (the plan made sure a visible sheet remains).
    runs::NameSet keyNames;
    for (std::size_t i = 0; i < plan.keys.size(); ++i) keyNames.insert(plan.keys[i].text, static_cast<int>(i));
    std::vector<Worksheet*> old;
    for (Worksheet* ws : source.Worksheets().all())
        if (keyNames.find(ws->Name()) >= 0) old.push_back(ws);

    runs::RunOutcome out;
    std::vector<std::string> deleted;
    std::vector<Worksheet*> kept;  // the sheets before any was added
    MasterFormats formats(plan);
    try {
        app.SetDisplayAlerts(false);
        for (Worksheet* ws : old) {
            std::string name = ws->Name();
            ws->Delete();
            deleted.push_back(name);
        }
        app.SetDisplayAlerts(true);
        app.SetScreenUpdating(false);
        Sheets& sheets = source.Worksheets();
        kept = sheets.all();
        formats.prepare();
        for (const KeyRows& key : plan.keys) {
            if (progress) progress->working("“" + key.text + "”", static_cast<long long>(out.made.size()), static_cast<long long>(plan.keys.size()));
            Worksheet* added = sheets.AddAfter(sheets(sheets.Count()));
            added->SetName(key.text);
            writeKeySheet(plan, key, *added, FormatOrder::TextFirst, formats);
            out.made.push_back(key.text);
        }
        formats.remove();
        plan.master->Activate();
        app.SetScreenUpdating(true);
    } catch (const std::exception& e) {
        try {
            formats.remove();
        } catch (const std::exception&) {
        }
        app.SetDisplayAlerts(true);
        app.SetScreenUpdating(true);
        out.status = runs::RunOutcome::Status::Failed;
        out.made.clear();
        try {
            if (!kept.empty())
                for (Worksheet* ws : source.Worksheets().all())
                    if (std::find(kept.begin(), kept.end(), ws) == kept.end()) out.made.push_back(ws->Name());
        } catch (const std::exception&) {
        }
        const bool cancelled = dynamic_cast<const runs::RunCancelled*>(&e) != nullptr;
        if (cancelled) out.status = runs::RunOutcome::Status::Cancelled;
        out.message = cancelled ? std::string("已取消拆分。\n\n") : "拆分没有完成：" + runs::errorText(e) + "\n\n";
        if (!deleted.empty()) out.message += "已删除与拆分值同名的旧工作表：" + runs::nameList(deleted) + "。";
        out.message += out.made.empty() ? "没有新增工作表。" : "已新增的工作表：" + runs::nameList(out.made) + "。";
        out.message += "\n工作簿没有保存，请检查后再决定是否保存。";
    }
    return out;
}

runs::RunOutcome runSplitIntoSheets(const SplitRequest& request, Application& app, Workbook& source, runs::UiService& ui) {
    ui.showRunningNotice();
    runs::RunTimer timer(ui);
    runs::RunProgress progress(&ui);
    runs::RunOutcome out = splitIntoSheets(request, app, source, &progress);
    ui.hideRunningNotice();
    if (out.ok()) timer.report("拆分完成，运行总时间：");
    else ui.inform(out.message);
    ui.scheduleExit();
    return out;
}

}  // namespace lorvane::split
