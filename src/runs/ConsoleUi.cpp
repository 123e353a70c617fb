#include "runs/ConsoleUi.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <iostream>

namespace lorvane::runs {

namespace {

std::atomic<bool> interrupted{false};
struct sigaction previousAction;

void onInterrupt(int) {
    if (interrupted.exchange(true)) {  // asked twice: stop now
        signal(SIGINT, SIG_DFL);
        raise(SIGINT);
    }
}

}  // namespace

ConsoleUi::ConsoleUi(Answer questionAnswer) : questionAnswer_(questionAnswer), terminal_(::isatty(STDERR_FILENO) == 1) {
    interrupted = false;
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousAction);
}

ConsoleUi::~ConsoleUi() {
    clearProgressLine();
    sigaction(SIGINT, &previousAction, nullptr);
}

Answer ConsoleUi::message(const Message& m) {
    clearProgressLine();
    std::cerr << m.text << std::endl;
    return m.buttons == Buttons::Ok ? Answer::Ok : questionAnswer_;
}

long long ConsoleUi::nowSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

void ConsoleUi::showProgress(const std::string& text) {
    if (!terminal_) return;
    std::cerr << "\r\033[K" << text << std::flush;
    lineShown_ = true;
}

void ConsoleUi::clearProgressLine() {
    if (!lineShown_) return;
    std::cerr << "\r\033[K" << std::flush;
    lineShown_ = false;
}

bool ConsoleUi::cancelRequested() { return interrupted; }

}  // namespace lorvane::runs
