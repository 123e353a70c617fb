#pragma once
// The UiService of the command line: messages go to standard error, questions take their
// default answer unless told otherwise, and there is no window to hide or show. Progress goes
// to standard error when it is a terminal (one line, rewritten), and nowhere otherwise. While
// the object lives, Ctrl+C asks the run to stop at its next safe point; a second Ctrl+C ends
// the program at once.
#include <string>

#include "runs/UiService.h"

namespace lorvane::runs {

class ConsoleUi : public UiService {
public:
    explicit ConsoleUi(Answer questionAnswer = Answer::No);
    ~ConsoleUi() override;
    ConsoleUi(const ConsoleUi&) = delete;
    ConsoleUi& operator=(const ConsoleUi&) = delete;
    Answer message(const Message& m) override;
    std::string fileDialog(bool, const std::string&, const std::string&) override { return {}; }
    void showRunningNotice() override {}
    void hideRunningNotice() override { clearProgressLine(); }
    void scheduleExit() override {}
    void openWithShell(const std::string&) override {}
    long long nowSeconds() override;
    void showProgress(const std::string& text) override;
    bool cancelRequested() override;

private:
    void clearProgressLine();
    Answer questionAnswer_;
    bool terminal_;
    bool lineShown_ = false;
};

}  // namespace lorvane::runs
