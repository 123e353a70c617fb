#pragma once
// The UiService of the command line: messages go to standard error, questions take their
// default answer unless told otherwise, and there is no window to hide or show.
#include <string>

#include "runs/UiService.h"

namespace lorvane::runs {

class ConsoleUi : public UiService {
public:
    explicit ConsoleUi(Answer questionAnswer = Answer::No) : questionAnswer_(questionAnswer) {}
    Answer message(const Message& m) override;
    std::string fileDialog(bool, const std::string&, const std::string&) override { return {}; }
    void showRunningNotice() override {}
    void hideRunningNotice() override {}
    void scheduleExit() override {}
    void openWithShell(const std::string&) override {}
    long long nowSeconds() override;

private:
    Answer questionAnswer_;
};

}  // namespace lorvane::runs
