#pragma once
// A run's start time in whole seconds and its closing report "…运行总时间：n秒！".
#include <string>

#include "runs/UiService.h"

namespace lorvane::runs {

class RunTimer {
public:
    explicit RunTimer(UiService& ui) : ui_(ui), start_(ui.nowSeconds()) {}
    // Second boundaries crossed since the start: 10:00:00.9 to 10:00:01.1 is 1.
    long long elapsed() const { return ui_.nowSeconds() - start_; }
    std::string reportText(const std::string& prefix) const { return prefix + std::to_string(elapsed()) + "秒！"; }
    void report(const std::string& prefix) const { ui_.inform(reportText(prefix)); }

private:
    UiService& ui_;
    long long start_;
};

}  // namespace lorvane::runs
