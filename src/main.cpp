// Lorvane办公助手: the headless subcommands for scripts, and the door to the desktop program.
// The desktop is a program of its own (desktop_main.cpp), so that a command loads no GUI library.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "cli/ConvertCommand.h"
#include "compare/CompareCommand.h"
#include "extract/ExtractCommand.h"
#include "split/SplitCommand.h"
#include "summarize/SummarizeCommand.h"
#include "summarize/TotalCommand.h"

namespace {

const char* kUsage =
    "用法 / usage:\n"
    "  lorvane                      启动桌面程序 / start the desktop program\n"
    "  lorvane --help               显示本说明 / show this help\n"
    "  lorvane convert IN OUT       另存为 .xlsx 或 .xls / save a workbook as .xlsx or .xls\n";

// Every command, for --help and after a mistake alike.
std::string usage() {
    return std::string(kUsage) + lorvane::summarize::summarizeCommandHelp() + lorvane::summarize::totalCommandHelp() +
           lorvane::split::splitCommandHelp() + lorvane::extract::extractCommandHelp() + lorvane::compare::compareCommandHelp();
}

// Replaces this process with the desktop program, which is installed beside this one in a build
// tree and under ../libexec/lorvane/ when installed; the arguments go to it unchanged.
int startDesktop(char** argv) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path here = fs::read_symlink("/proc/self/exe", ec).parent_path();
    // Without /proc only the installed place is tried, never a name relative to the current folder.
    if (ec || here.empty()) here = "/usr/bin";
    const fs::path candidates[] = {here / "lorvane-desktop", here.parent_path() / "libexec" / "lorvane" / "lorvane-desktop"};
    for (const fs::path& desktop : candidates) {
        if (::access(desktop.c_str(), X_OK) != 0) continue;
        ::execv(desktop.c_str(), argv);
        std::cerr << "无法启动桌面程序“" << desktop.string() << "”：" << std::strerror(errno) << "\n";
        return 127;
    }
    std::cerr << "找不到桌面程序 lorvane-desktop（应在“" << candidates[0].string() << "”或“" << candidates[1].string()
              << "”）。请重新安装 Lorvane办公助手。\n";
    return 127;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return startDesktop(argv);
    const char* command = argv[1];
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
        std::cout << usage();
        return 0;
    }
    if (std::strcmp(command, "convert") == 0) return lorvane::cli::runConvertCommand(argc - 1, argv + 1);
    if (std::strcmp(command, "summarize-sheets") == 0 || std::strcmp(command, "summarize-books") == 0) return lorvane::summarize::runSummarizeCommand(argc - 1, argv + 1);
    if (std::strcmp(command, "total-books") == 0) return lorvane::summarize::runTotalCommand(argc - 1, argv + 1);
    if (std::strcmp(command, "split-sheets") == 0 || std::strcmp(command, "split-books") == 0)
        return lorvane::split::runSplitCommand(argc - 1, argv + 1);
    if (std::strcmp(command, "compare") == 0 || std::strcmp(command, "fill") == 0)
        return lorvane::compare::runCompareCommand(argc - 1, argv + 1);
    if (std::strcmp(command, "extract") == 0) return lorvane::extract::runExtractCommand(argc - 1, argv + 1);
    if (command[0] == '-') return startDesktop(argv);  // Qt's own options (-platform ...)
    std::cerr << "未知的子命令：" << command << "\n" << usage();
    return 2;
}
