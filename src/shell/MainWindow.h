#pragma once
// The main window: one button per operation, the description area, the tutorial picture,
// and the exit countdown.
#include <QTimer>

#include "shell/Form.h"

class QLabel;
class QPushButton;

namespace lorvane::shell {

class Session;

class MainWindow : public Form {
    Q_OBJECT
public:
    static constexpr const char* kName = "main";
    explicit MainWindow(Session& session);

    // Start-up: splash, the description area, the engine detection.
    void load();

    // The operation buttons.
    enum class Operation { SummarizeSheets, SplitSheets, SplitBooks, Extract };
    void dispatch(Operation op);
    void compareTables();
    void summarizeBooks();
    void about();
    void tutorial();

    // Hide, then leave after the countdown.
    void scheduleExit();
    // One tick of Timer1.
    void tick();
    int exitCountdown() const { return exitCountdown_; }
    QTimer* timer() const { return timer_; }

    // The description area as the pointer left it.
    void describe(const QString& text, int points);
    static QString tutorialPage();

private:
    void buildControls();
    Session& session_;
    QLabel* description_ = nullptr;
    QWidget* picture_ = nullptr;
    QLabel* image_ = nullptr;
    QTimer* timer_ = nullptr;
    int exitCountdown_ = 0;
};

// The tutorial picture shown while the pointer is on 使用教程.
QPixmap tutorialPicture(int size);

}  // namespace lorvane::shell
