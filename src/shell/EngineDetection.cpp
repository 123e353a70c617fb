#include "shell/EngineDetection.h"

#include <exception>

#include "automation/Application.h"
#include "base/AutomationError.h"
#include "automation/CreateObject.h"
#include "shell/RunServices.h"

namespace lorvane::shell {

std::string engineIdentifier(const EngineInfo& info) {
    if (info.excel == EngineInfo::Yes) return kExcelId;
    if (info.ket == EngineInfo::Yes) return kKetId;
    return kEtId;
}

static void errorBox(UiService& ui, int number, const std::string& description) {
    ui.message(Message{"错误代码：" + std::to_string(number) + "\r\n错误描述：" + description, "错误", Buttons::Ok,
                       Icon::Critical, Answer::Ok});
}

bool ProbeEngine(std::shared_ptr<Application>& app, const char* identifier, EngineInfo::Flag& flag, UiService& ui) {
    try {
        app = CreateObjectAs<Application>(identifier);
        app->SetVisible(false);
        flag = EngineInfo::Yes;
        return true;
    } catch (const AutomationError& e) {
        if (e.number() == errc::kCannotCreate) {
            flag = EngineInfo::No;
            return false;
        }
        errorBox(ui, e.number(), e.description());
    } catch (const std::exception& e) {
        errorBox(ui, errc::kMethodFailed, e.what());
    }
    return false;
}

bool ProbeEngines(std::shared_ptr<Application>& app, EngineInfo& info, UiService& ui) {
    try {
        if (ProbeEngine(app, kEtId, info.et, ui)) return true;
        if (ProbeEngine(app, kKetId, info.ket, ui)) return true;
        return ProbeEngine(app, kExcelId, info.excel, ui);
    } catch (const std::exception& e) {
        errorBox(ui, errc::kMethodFailed, e.what());
        return false;
    }
}

void DetectEngine(std::shared_ptr<Application>& app, EngineInfo& info, UiService& ui) {
    if (ProbeEngines(app, info, ui)) return;
    ui.message(Message{"本机未安装Excel或WPS，无法运行此程序，请先安装相应的程序！", "温馨提示", Buttons::Ok,
                       Icon::Information, Answer::Ok});
}

}  // namespace lorvane::shell
