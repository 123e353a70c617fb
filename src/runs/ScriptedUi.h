#pragma once
// A UiService that answers from a script and records everything it was asked: for tests of
// runs and windows, so that nothing waits on a real dialog.
#include <deque>
#include <string>
#include <vector>

#include "runs/UiService.h"

namespace lorvane::runs {

class ScriptedUi : public UiService {
public:
    std::deque<Answer> answers;          // for questions, in order; when empty: the default button
    std::deque<std::string> fileChoices; // for file dialogs, in order; when empty: cancelled ("")
    std::vector<Message> messages;       // every message shown
    std::vector<std::string> dialogTitles;
    std::vector<std::string> opened;
    int noticeShown = 0, noticeHidden = 0, exitsScheduled = 0;
    long long clock = 0;                 // nowSeconds(); tests move it
    long long clockMs = 0;               // nowMilliseconds(); moved by tests, or by stepMs each reading
    long long stepMs = 0;
    std::vector<std::string> progress;   // every progress text shown
    int cancelAfter = -1;                // cancelRequested() answers yes from its (n+1)-th call on
    int cancelChecks = 0;
    bool noticeVisible() const { return noticeShown > noticeHidden; }

    Answer message(const Message& m) override {
        messages.push_back(m);
        if (m.buttons == Buttons::Ok) return Answer::Ok;
        if (answers.empty()) return m.defaultButton;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::string fileDialog(bool, const std::string& title, const std::string&) override {
        dialogTitles.push_back(title);
        if (fileChoices.empty()) return {};
        std::string f = fileChoices.front();
        fileChoices.pop_front();
        return f;
    }
    void showRunningNotice() override { ++noticeShown; }
    void hideRunningNotice() override { ++noticeHidden; }
    void scheduleExit() override { ++exitsScheduled; }
    void openWithShell(const std::string& target) override { opened.push_back(target); }
    long long nowSeconds() override { return clock; }
    long long nowMilliseconds() override { return clockMs += stepMs; }
    void showProgress(const std::string& text) override { progress.push_back(text); }
    bool cancelRequested() override { return cancelAfter >= 0 && cancelChecks++ >= cancelAfter; }

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& m : messages) out.push_back(m.text);
        return out;
    }
};

}  // namespace lorvane::runs
