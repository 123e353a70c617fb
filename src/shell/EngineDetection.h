#pragma once
// Which spreadsheet application identifiers can be created: probed once at start-up.
#include "shell/RunServices.h"
#include <memory>
#include <string>

namespace lorvane {
class Application;
}

namespace lorvane::shell {


inline constexpr const char* kExcelId = "Excel.Application";
inline constexpr const char* kKetId = "KET.Application";
inline constexpr const char* kEtId = "ET.Application";

struct EngineInfo {
    enum Flag { Unset = -1, No = 0, Yes = 1 };
    Flag excel = Unset, ket = Unset, et = Unset;
};

// The identifier an operation creates: Excel when its flag is 1, else KET when its flag is 1, else ET.
std::string engineIdentifier(const EngineInfo& info);

// Creates the application for one identifier, hidden, into `app`; sets the flag to 1 on success,
// to 0 when creation is refused (429); any other failure shows the "错误" box and leaves it.
bool ProbeEngine(std::shared_ptr<Application>& app, const char* identifier, EngineInfo::Flag& flag, UiService& ui);
// ET, then KET, then Excel; stops at the first that can be created.
bool ProbeEngines(std::shared_ptr<Application>& app, EngineInfo& info, UiService& ui);
// Probes and tells the user when no spreadsheet application can be created.
void DetectEngine(std::shared_ptr<Application>& app, EngineInfo& info, UiService& ui);

}  // namespace lorvane::shell
