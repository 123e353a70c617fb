#pragma once
// What a run or a window asks of the desktop: message boxes, file dialogs, the running notice,
// the hand-over at the end of a run, opening a folder or page. The desktop program answers
// with real windows; tests with scripted answers; the command line on the console.
// No Qt here: runs use this and stay free of widgets.
#include <chrono>
#include <string>

namespace lorvane::runs {

// The program's title, shown on message boxes that have no title of their own.
inline constexpr const char* kProgramTitle = "Lorvane办公助手";

enum class Icon { None, Information, Question, Exclamation, Critical };
enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

struct Message {
    std::string text;
    std::string title = kProgramTitle;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    Answer defaultButton = Answer::Ok;
};

class UiService {
public:
    virtual ~UiService() = default;
    virtual Answer message(const Message& m) = 0;
    // Open or save dialog; the filter as the program writes it ("Excel (*.xls;*.xlsx)|*.xls;*.xlsx|").
    // Returns the chosen full path, or empty text when cancelled.
    virtual std::string fileDialog(bool saveMode, const std::string& title, const std::string& filter) = 0;
    virtual void showRunningNotice() = 0;
    virtual void hideRunningNotice() = 0;
    // The end of a run that leaves its results open: hide the main window, leave after 60 s.
    virtual void scheduleExit() = 0;
    // Opens a folder, file or web address with the desktop's default program.
    virtual void openWithShell(const std::string& target) = 0;
    // The clock in whole seconds (injectable, for the run timer).
    virtual long long nowSeconds() = 0;
    // A steady clock in milliseconds (injectable, for pacing progress updates).
    virtual long long nowMilliseconds();
    // What a long run is doing now, shown with the running notice (RunProgress paces the calls).
    virtual void showProgress(const std::string& text) {}
    // Whether the user asked the run to stop (the notice's 取消, Ctrl+C on the command line).
    virtual bool cancelRequested() { return false; }

    // Shorthands
    void inform(const std::string& text) { message(Message{text}); }
    bool askYesNo(const std::string& text, const std::string& title, Icon icon) {
        return message(Message{text, title, Buttons::YesNo, icon, Answer::No}) == Answer::Yes;
    }
};

inline long long UiService::nowMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace lorvane::runs
