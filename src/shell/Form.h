#pragma once
// A window laid out as data: controls placed at fixed positions, named by their objectName,
// with the events the windows handle (Click, Change, LostFocus, MouseMove) bound to functions.
#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QLineEdit;
class QComboBox;
class QCheckBox;
class QGroupBox;

namespace lorvane::shell {

class Form : public QWidget {
    Q_OBJECT
public:
    Form(const char* name, const QString& caption, int width, int height, QWidget* parent = nullptr);
    ~Form() override;

    // Controls. Font sizes are points; `parent` defaults to the form.
    QLabel* label(const char* name, const QString& text, int x, int y, int w, int h, int points = 11,
                  QWidget* parent = nullptr);
    QPushButton* button(const char* name, const QString& text, int x, int y, int w, int h, int points = 11,
                        QWidget* parent = nullptr);
    QLineEdit* textBox(const char* name, int x, int y, int w, int h, QWidget* parent = nullptr);
    // An editable combo box with its list and its initial text (which need not be an item).
    QComboBox* combo(const char* name, const QStringList& items, const QString& text, int x, int y, int w, int h,
                     QWidget* parent = nullptr);
    QCheckBox* check(const char* name, const QString& text, int x, int y, int w, int h, QWidget* parent = nullptr);
    QGroupBox* frame(const char* name, const QString& text, int x, int y, int w, int h);

    // A control by its name (nullptr when none).
    template <class T = QWidget>
    T* control(const char* name) const { return findChild<T*>(QString::fromUtf8(name)); }

    // Events. Click: a button pressed, an item picked from a combo box, a box ticked.
    // Change: the text of a text box or combo box changed (typed or set). LostFocus: the control
    // lost the focus to another control of the program. MouseMove: the pointer moved over it
    // (pass the form itself for its free surface).
    void onClick(QWidget* w, std::function<void()> f);
    void onChange(QWidget* w, std::function<void()> f);
    void onLostFocus(QWidget* w, std::function<void()> f);
    void onMouseMove(QWidget* w, std::function<void()> f);
    // Runs the handlers bound to a control, as if the event had happened (tests, chained events).
    void fireClick(QWidget* w);
    void fireMouseMove(QWidget* w);
    void fireLostFocus(QWidget* w);

    // Moves the focus; remembered even while the window is not active.
    static void focusTo(QWidget* w);
    // The window stays above the others, where it is.
    void makeTopMost();

    // Closing: `unload` closes and deletes the window without running the close handler;
    // closing by the window system runs the close handler (as the window's 关闭 button).
    void unload();
    bool unloading() const { return unloading_; }
    void setCloseHandler(std::function<void()> f) { closeHandler_ = std::move(f); }
    // Called once when the window goes (unload or close), for the owner's bookkeeping.
    void setGoneHandler(std::function<void()> f) { goneHandler_ = std::move(f); }

    // Where a handler's failure is reported (a message box by default): a failure never leaves
    // an event handler, so the program stays usable.
    static void setFailureReporter(std::function<void(const std::string&)> report);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void run(std::map<QObject*, std::vector<std::function<void()>>>& table, QObject* w);
    std::map<QObject*, std::vector<std::function<void()>>> click_, change_, lostFocus_, mouseMove_;
    std::function<void()> closeHandler_, goneHandler_;
    bool unloading_ = false, gone_ = false;
    bool destroying_ = false;  // the window's own parts are gone; its controls may still signal
};

// Text helpers: UTF-8 std::string <-> QString.
inline QString qs(const std::string& s) { return QString::fromStdString(s); }
inline std::string ss(const QString& s) { return s.toStdString(); }
// The text of a text box or combo box.
QString textOf(QWidget* w);
void setTextOf(QWidget* w, const QString& text);

}  // namespace lorvane::shell
