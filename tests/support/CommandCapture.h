#pragma once
// Runs a headless command's entry point as the program would, capturing what it prints, and
// reads files whole to check what it wrote or left alone.
#include <fstream>
#include <iostream>
#include <iterator>
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

// A file's bytes, to show a command left it as it was.
inline std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace lorvane::testing
