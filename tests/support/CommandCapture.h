#pragma once
// Runs a headless command's entry point as the program would, capturing what it prints.
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace lorvane::testing {

struct Captured {
    int status = 0;
    std::string out, err;
};

inline Captured runCommand(int (*entry)(int, char**), std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    std::ostringstream o, e;
    auto* oldOut = std::cout.rdbuf(o.rdbuf());
    auto* oldErr = std::cerr.rdbuf(e.rdbuf());
    Captured c;
    c.status = entry(static_cast<int>(argv.size()), argv.data());
    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    c.out = o.str();
    c.err = e.str();
    return c;
}

}  // namespace lorvane::testing
