#include "runs/RunOutcome.h"

#include <new>
#include <system_error>

#include "base/AutomationError.h"

namespace lorvane::runs {

RunOutcome RunOutcome::refused(std::string message) {
    RunOutcome out;
    out.status = Status::Refused;
    out.message = std::move(message);
    return out;
}

std::string errorText(const std::exception& e) {
    if (auto* automation = dynamic_cast<const AutomationError*>(&e)) return automation->description();
    if (dynamic_cast<const std::bad_alloc*>(&e)) return "内存不足。";
    if (auto* system = dynamic_cast<const std::system_error*>(&e)) return "系统错误（" + system->code().message() + "）。";
    return "内部错误（" + std::string(e.what()) + "）。";
}

std::string nameList(const std::vector<std::string>& names, std::size_t limit) {
    std::string out;
    for (std::size_t i = 0; i < names.size() && i < limit; ++i) out += (i ? "、“" : "“") + names[i] + "”";
    if (names.size() > limit) out += "……等共 " + std::to_string(names.size()) + " 个";
    return out;
}

}  // namespace lorvane::runs
