#include "shell/Form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <new>

#include "base/AutomationError.h"
#include "shell/RunServices.h"

namespace lorvane::shell {

Form::Form(const char* name, const QString& caption, int width, int height, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QString::fromUtf8(name));
    setWindowTitle(caption);
    setFixedSize(width, height);
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
}

static void place(QWidget* w, const char* name, int x, int y, int width, int height) {
    w->setObjectName(QString::fromUtf8(name));
    w->setGeometry(x, y, width, height);
}

QLabel* Form::label(const char* name, const QString& text, int x, int y, int w, int h, int points, QWidget* parent) {
    auto* l = new QLabel(text, parent ? parent : this);
    place(l, name, x, y, w, h);
    QFont f = l->font();
    f.setPointSize(points);
    l->setFont(f);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

QPushButton* Form::button(const char* name, const QString& text, int x, int y, int w, int h, int points,
                          QWidget* parent) {
    auto* b = new QPushButton(text, parent ? parent : this);
    place(b, name, x, y, w, h);
    QFont f = b->font();
    f.setPointSize(points);
    b->setFont(f);
    b->setAutoDefault(false);
    return b;
}

QLineEdit* Form::textBox(const char* name, int x, int y, int w, int h, QWidget* parent) {
    auto* e = new QLineEdit(parent ? parent : this);
    place(e, name, x, y, w, h);
    return e;
}

QComboBox* Form::combo(const char* name, const QStringList& items, const QString& text, int x, int y, int w, int h,
                       QWidget* parent) {
    auto* c = new QComboBox(parent ? parent : this);
    place(c, name, x, y, w, h);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    c->setEditText(text);
    return c;
}

QCheckBox* Form::check(const char* name, const QString& text, int x, int y, int w, int h, QWidget* parent) {
    auto* c = new QCheckBox(text, parent ? parent : this);
    place(c, name, x, y, w, h);
    return c;
}

QGroupBox* Form::frame(const char* name, const QString& text, int x, int y, int w, int h) {
    auto* g = new QGroupBox(text, this);
    place(g, name, x, y, w, h);
    return g;
}

namespace {

std::function<void(const std::string&)>& failureReporter() {
    static std::function<void(const std::string&)> report;
    return report;
}

void reportFailure(const std::string& text) {
    if (failureReporter()) failureReporter()(text);
    else QMessageBox::critical(nullptr, QString::fromUtf8(kProgramTitle), QString::fromStdString(text));
}

std::string failureText(const std::exception* e) {
    std::string what = "未知错误。";
    if (auto* automation = dynamic_cast<const AutomationError*>(e)) what = automation->description();
    else if (dynamic_cast<const std::bad_alloc*>(e)) what = "内存不足。";
    else if (e) what = e->what();
    return "操作没有完成：" + what + "\n\n程序可以继续使用，请检查输入后重试。";
}

}  // namespace

void Form::setFailureReporter(std::function<void(const std::string&)> report) { failureReporter() = std::move(report); }

// The controls are deleted after the window's own members: an editable combo box that loses the
// focus then still reports its text, and no handler may run on what is left of the window.
Form::~Form() { destroying_ = true; }

void Form::run(std::map<QObject*, std::vector<std::function<void()>>>& table, QObject* w) {
    if (destroying_) return;
    auto it = table.find(w);
    if (it == table.end()) return;
    auto handlers = it->second;  // a handler may unload the window
    // An exception must not leave a Qt slot: it would end the program.
    try {
        for (auto& f : handlers) f();
    } catch (const std::exception& e) {
        reportFailure(failureText(&e));
    } catch (...) {
        reportFailure(failureText(nullptr));
    }
}

void Form::onClick(QWidget* w, std::function<void()> f) {
    bool first = click_.find(w) == click_.end();
    click_[w].push_back(std::move(f));
    if (!first) return;
    if (auto* b = qobject_cast<QPushButton*>(w)) connect(b, &QPushButton::clicked, this, [this, w] { run(click_, w); });
    else if (auto* c = qobject_cast<QComboBox*>(w))
        connect(c, &QComboBox::activated, this, [this, w] { run(click_, w); });
    else if (auto* x = qobject_cast<QCheckBox*>(w))
        connect(x, &QCheckBox::clicked, this, [this, w] { run(click_, w); });
}

void Form::onChange(QWidget* w, std::function<void()> f) {
    bool first = change_.find(w) == change_.end();
    change_[w].push_back(std::move(f));
    if (!first) return;
    if (auto* e = qobject_cast<QLineEdit*>(w)) connect(e, &QLineEdit::textChanged, this, [this, w] { run(change_, w); });
    else if (auto* c = qobject_cast<QComboBox*>(w))
        connect(c, &QComboBox::editTextChanged, this, [this, w] { run(change_, w); });
}

void Form::onLostFocus(QWidget* w, std::function<void()> f) {
    if (lostFocus_.find(w) == lostFocus_.end()) w->installEventFilter(this);
    lostFocus_[w].push_back(std::move(f));
}

void Form::onMouseMove(QWidget* w, std::function<void()> f) {
    if (w != this && mouseMove_.find(w) == mouseMove_.end()) {
        w->installEventFilter(this);
        w->setMouseTracking(true);
    }
    mouseMove_[w].push_back(std::move(f));
}

void Form::fireClick(QWidget* w) { run(click_, w); }
void Form::fireMouseMove(QWidget* w) { run(mouseMove_, w); }
void Form::fireLostFocus(QWidget* w) { run(lostFocus_, w); }

namespace {
int leavingDepth = 0;  // LostFocus handlers running: the focus is still on its way elsewhere
}  // namespace

void Form::focusTo(QWidget* w) {
    if (!w || !w->isEnabled()) return;
    // Inside a LostFocus handler Qt has not finished moving the focus away yet; setting it now
    // would be undone by that move, so it is set once the move is over.
    if (leavingDepth > 0) {
        QPointer<QWidget> target = w;
        QTimer::singleShot(0, w, [target] {
            if (target && target->isEnabled()) target->setFocus(Qt::OtherFocusReason);
        });
        return;
    }
    w->setFocus(Qt::OtherFocusReason);
}

void Form::makeTopMost() { setWindowFlag(Qt::WindowStaysOnTopHint, true); }

bool Form::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusOut: {
        // Focus going to a message box or another program is no LostFocus.
        auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            ++leavingDepth;
            run(lostFocus_, watched);
            --leavingDepth;
        }
        break;
    }
    case QEvent::MouseMove:
        run(mouseMove_, watched);
        // A move over a control is not also a move over the window behind it.
        if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) return true;
        break;
    case QEvent::Enter:
        run(mouseMove_, watched);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void Form::mouseMoveEvent(QMouseEvent* event) {
    run(mouseMove_, this);
    QWidget::mouseMoveEvent(event);
}

void Form::unload() {
    if (unloading_) return;
    unloading_ = true;
    if (!gone_) {
        gone_ = true;
        if (goneHandler_) goneHandler_();
    }
    close();
}

void Form::closeEvent(QCloseEvent* event) {
    if (!unloading_ && closeHandler_) {
        closeHandler_();  // may unload this window
        if (!unloading_) {
            event->ignore();
            return;
        }
    }
    if (!gone_) {
        gone_ = true;
        if (goneHandler_) goneHandler_();
    }
    event->accept();
}

QString textOf(QWidget* w) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return {};
}

void setTextOf(QWidget* w, const QString& text) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(text);
    else if (auto* c = qobject_cast<QComboBox*>(w)) c->setEditText(text);
    else if (auto* l = qobject_cast<QLabel*>(w)) l->setText(text);
}

}  // namespace lorvane::shell
