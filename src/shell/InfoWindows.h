#pragma once
// The small windows: the splash, the running notice, the welcome and farewell windows, and
// the example windows that show an options window filled in.
#include <QPixmap>

#include "shell/Form.h"

namespace lorvane::shell {

class Session;

class SplashWindow : public Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "正在启动";
    explicit SplashWindow(Session&);
};

// Shown while a run works: its own text, what the run is doing now, and 取消, which asks the
// run to stop at its next safe point. Modal, so that nothing else takes input meanwhile.
class RunningNoticeWindow : public Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "运行提示";
    explicit RunningNoticeWindow(Session&);
    void setProgress(const QString& text);
    bool cancelRequested() const { return cancelRequested_; }

private:
    bool cancelRequested_ = false;
};

class WelcomeWindow : public Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "欢迎页面";
    explicit WelcomeWindow(Session&);
};

class PopupWindow : public Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "弹窗";
    explicit PopupWindow(Session&);
};

// The options windows filled in as their example windows show them (also used for screenshots).
enum class ExampleKind { Summarize, SummarizeBooks, Totals, Split, SplitBooks, Compare, Fill };
QPixmap renderExample(Session& session, ExampleKind kind);
void fillExample(Form& window, ExampleKind kind);

// A picture of an options window filled in with a realistic example, and notes.
class ExampleWindow : public Form {
    Q_OBJECT
public:
    ExampleWindow(const char* name, const QString& caption, const QPixmap& picture, const QStringList& notes);
    // The example of `kind` with its caption and notes.
    ExampleWindow(const char* name, Session& session, ExampleKind kind);
    // Beside `owner`, where the screen has room, without taking the focus.
    void showBeside(QWidget* owner);
};

class FillExampleWindow : public ExampleWindow {
    Q_OBJECT
public:
    static constexpr const char* kName = "填写例子";
    explicit FillExampleWindow(Session&);
};

class TotalsExampleWindow : public ExampleWindow {
    Q_OBJECT
public:
    static constexpr const char* kName = "合计填写例子";
    explicit TotalsExampleWindow(Session&);
};

class SplitExampleWindow : public ExampleWindow {
    Q_OBJECT
public:
    static constexpr const char* kName = "拆分填写例子";
    explicit SplitExampleWindow(Session&);
};

class CompareExampleWindow : public ExampleWindow {
    Q_OBJECT
public:
    static constexpr const char* kName = "对比例子";
    explicit CompareExampleWindow(Session&);
};

class FillLookupExampleWindow : public ExampleWindow {
    Q_OBJECT
public:
    static constexpr const char* kName = "调用例子";
    explicit FillLookupExampleWindow(Session&);
};

}  // namespace lorvane::shell
