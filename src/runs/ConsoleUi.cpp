#include "runs/ConsoleUi.h"

#include <chrono>
#include <iostream>

namespace lorvane::runs {

Answer ConsoleUi::message(const Message& m) {
    std::cerr << m.text << std::endl;
    return m.buttons == Buttons::Ok ? Answer::Ok : questionAnswer_;
}

long long ConsoleUi::nowSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace lorvane::runs
