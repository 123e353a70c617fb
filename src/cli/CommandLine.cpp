#include "cli/CommandLine.h"

#include "runs/RunProgress.h"

#include <iostream>
#include <string_view>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "runs/RunProgress.h"
#include "runs/RunTimer.h"
#include "runs/UiService.h"

namespace lorvane::cli {

namespace fs = std::filesystem;

bool Arguments::take(const std::string& option, std::string& into) const {
    auto it = values.find(option);
    if (it == values.end()) return false;
    into = it->second;
    return true;
}

std::optional<std::string> parseArguments(int argc, char** argv, const std::set<std::string>& valueOptions,
                                          const std::set<std::string>& flagOptions, Arguments& out,
                                          std::size_t maxPositional) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0)
            if (auto eq = arg.find('='); eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg.resize(eq);
            }
        if (valueOptions.count(arg)) {
            if (inlineValue) out.values[arg] = *inlineValue;
            else if (i + 1 < argc) out.values[arg] = argv[++i];
            else return "选项 " + arg + " 缺少取值。";
        } else if (flagOptions.count(arg) && !inlineValue) {
            out.flags.insert(arg);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "不认识的选项：" + std::string(argv[i]) + "。";
        } else if (out.positional.size() < maxPositional) {
            out.positional.push_back(arg);
        } else {
            return "多余的参数：" + arg + "。";
        }
    }
    return std::nullopt;
}

bool wantsHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") return true;
    return false;
}

fs::path savedXlsxPath(const std::string& output) {
    fs::path p = fs::absolute(output).lexically_normal();
    std::string ext = p.extension().string();
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (ext != ".xlsx") p += ".xlsx";
    return p;
}

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

int finishCommand(runs::UiService& ui, const std::string& operation, const std::string& output,
                  const std::function<CommandResult(Application&)>& work) {
    runs::RunTimer timer(ui);
    try {
        auto app = CreateObjectAs<Application>("Excel.Application");
        CommandResult result = work(*app);
        if (!result.outcome.ok()) {
            ui.inform(result.outcome.message);
            return result.outcome.status == runs::RunOutcome::Status::Cancelled ? kCancelledStatus : 1;
        }
        if (result.toSave) {
            runs::RunProgress(&ui).writing(output);
            result.toSave->SaveAs(output, xlOpenXMLWorkbook, xlNoChange);
            result.outcome.made.assign(1, result.toSave->FullName());
            result.toSave->Close(false);
        }
        app->Quit();
        for (const auto& path : result.outcome.made) std::cout << path << '\n';
        timer.report(operation + "完成，运行总时间：");
        return 0;
    } catch (const runs::RunCancelled&) {
        ui.inform("已取消" + operation + "，没有写入任何文件。");
        return kCancelledStatus;
    } catch (const std::exception& e) {
        ui.inform(operation + "没有完成：" + runs::errorText(e));
        return 1;
    }
}

}  // namespace lorvane::cli
