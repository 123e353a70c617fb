#include "shell/Desktop.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QPointer>
#include <QTimer>

#include "shell/MainWindow.h"
#include "shell/ProcessEnd.h"
#include "shell/QtTranslations.h"
#include "shell/QtUiService.h"
#include "shell/Session.h"
#include "shell/workbook/WorkbookWindow.h"

namespace {

// The program ends when the main window is gone and no window is left open (a workbook
// window keeps it running after the countdown).
class LastWindowWatch : public QObject {
public:
    explicit LastWindowWatch(QPointer<QWidget>& main) : main_(main) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if ((event->type() == QEvent::Close || event->type() == QEvent::Hide) && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow())
            QTimer::singleShot(0, this, [this] { check(); });
        return false;
    }
    void check() {
        if (main_) return;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) return;
        QApplication::quit();
    }

private:
    QPointer<QWidget>& main_;
};

}  // namespace

int runDesktop(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lorvane办公助手"));
    QApplication::setQuitOnLastWindowClosed(false);
    Q_INIT_RESOURCE(lorvane);
    // The installed desktop entry and icon theme name the program; a build tree falls back on
    // the icons built in.
    QGuiApplication::setDesktopFileName(QStringLiteral("lorvane"));
    QIcon fallback;
    fallback.addFile(QStringLiteral(":/icons/lorvane-48.png"));
    fallback.addFile(QStringLiteral(":/icons/lorvane-256.png"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("lorvane"), fallback));
    lorvane::shell::installChineseTranslations(app);

    using namespace lorvane::shell;
    QtUiService ui;
    ProcProcessTable processes;
    Session session(ui, processes);
    ui.setSession(&session);
    lorvane::window::WorkbookWindows workbooks(ui);
    session.workbookObserver = &workbooks;
    session.alerts = std::make_shared<UiAlertService>(ui);

    auto* main = new MainWindow(session);
    QPointer<QWidget> mainAlive = main;
    LastWindowWatch watch(mainAlive);
    app.installEventFilter(&watch);
    main->load();
    main->show();
    int rc = app.exec();
    app.removeEventFilter(&watch);
    return rc;
}
