// Lorvane办公助手: the desktop program, and its headless subcommands for scripts.
#include <cstring>
#include <iostream>

#include "shell/Desktop.h"

namespace {

const char* kUsage =
    "用法 / usage:\n"
    "  lorvane                      启动桌面程序 / start the desktop program\n"
    "  lorvane --help               显示本说明 / show this help\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return runDesktop(argc, argv);
    const char* command = argv[1];
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
        std::cout << kUsage;
        return 0;
    }
    if (command[0] == '-') return runDesktop(argc, argv);  // Qt's own options (-platform ...)
    std::cerr << "未知的子命令：" << command << "\n" << kUsage;
    return 2;
}
