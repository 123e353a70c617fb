#include "shell/QtUiService.h"

#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "shell/FileDialog.h"
#include "shell/InfoWindows.h"
#include "shell/Session.h"

namespace lorvane::shell {

Answer QtUiService::message(const Message& m) {
    QMessageBox box;
    box.setWindowTitle(qs(m.title));
    box.setText(qs(m.text));
    switch (m.icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    auto add = [&](QMessageBox::StandardButton b, const char* text) {
        box.addButton(b)->setText(QString::fromUtf8(text));
    };
    switch (m.buttons) {
    case Buttons::Ok: add(QMessageBox::Ok, "确定"); break;
    case Buttons::YesNo:
        add(QMessageBox::Yes, "是(&Y)");
        add(QMessageBox::No, "否(&N)");
        break;
    case Buttons::YesNoCancel:
        add(QMessageBox::Yes, "是(&Y)");
        add(QMessageBox::No, "否(&N)");
        add(QMessageBox::Cancel, "取消");
        break;
    }
    switch (m.defaultButton) {
    case Answer::Ok: box.setDefaultButton(QMessageBox::Ok); break;
    case Answer::Yes: box.setDefaultButton(QMessageBox::Yes); break;
    case Answer::No: box.setDefaultButton(QMessageBox::No); break;
    case Answer::Cancel: box.setDefaultButton(QMessageBox::Cancel); break;
    }
    if (m.buttons != Buttons::Ok) box.setEscapeButton(m.buttons == Buttons::YesNoCancel ? QMessageBox::Cancel : QMessageBox::No);
    // Options windows stay on top; so must their messages.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return m.buttons == Buttons::Ok ? Answer::Ok : (m.buttons == Buttons::YesNoCancel ? Answer::Cancel : Answer::No);
    }
}

std::unique_ptr<QFileDialog> makeFileDialog(bool saveMode, const std::string& title, const std::string& filter) {
    auto dialog = std::make_unique<QFileDialog>(nullptr, qs(title), QString(), qs(qtFileFilter(filter)));
    dialog->setAcceptMode(saveMode ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(saveMode ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Qt's own dialog speaks the program's Chinese; a desktop's native one follows the system.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    return dialog;
}

std::string QtUiService::fileDialog(bool saveMode, const std::string& title, const std::string& filter) {
    auto dialog = makeFileDialog(saveMode, title, filter);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
    return ss(dialog->selectedFiles().front());
}

void QtUiService::showRunningNotice() {
    if (!session_) return;
    auto* w = session_->load<RunningNoticeWindow>();
    w->show();
    w->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtUiService::hideRunningNotice() {
    if (session_) session_->unload<RunningNoticeWindow>();
}

void QtUiService::scheduleExit() {
    if (session_) session_->ScheduleExit();
}

void QtUiService::openWithShell(const std::string& target) {
    QString t = qs(target);
    QUrl url = t.contains("://") ? QUrl(t) : QUrl::fromLocalFile(t);
    QDesktopServices::openUrl(url);
}

long long QtUiService::nowSeconds() { return QDateTime::currentSecsSinceEpoch(); }

void QtUiService::showProgress(const std::string& text) {
    auto* notice = session_ ? session_->find<RunningNoticeWindow>() : nullptr;
    if (!notice) return;
    notice->setProgress(qs(text));
    // The notice is modal: of the user's input only its 取消 is taken here.
    QApplication::processEvents();
}

bool QtUiService::cancelRequested() {
    auto* notice = session_ ? session_->find<RunningNoticeWindow>() : nullptr;
    if (!notice) return false;
    QApplication::processEvents();
    return notice->cancelRequested();
}

AlertService::Answer UiAlertService::askSaveChanges(const std::string& workbookName) {
    switch (ui_.message(Message{"是否保存对“" + workbookName + "”的更改？", kProgramTitle, Buttons::YesNoCancel,
                                Icon::Exclamation, runs::Answer::Yes})) {
    case runs::Answer::Yes: return Answer::Yes;
    case runs::Answer::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

bool UiAlertService::confirmDeleteSheet(const std::string& sheetName) {
    return ui_.message(Message{"将永久删除工作表“" + sheetName + "”，是否继续？", kProgramTitle, Buttons::YesNo,
                               Icon::Exclamation, runs::Answer::No}) == runs::Answer::Yes;
}

bool UiAlertService::confirmReplaceFile(const std::string& path) {
    return ui_.message(Message{"文件“" + path + "”已存在，是否替换？", kProgramTitle, Buttons::YesNo,
                               Icon::Exclamation, runs::Answer::No}) == runs::Answer::Yes;
}

std::string UiAlertService::askSaveAsPath(const std::string&) {
    return ui_.fileDialog(true, "另存为", kWorkbookFilter);
}

}  // namespace lorvane::shell
