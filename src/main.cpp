// Lorvane办公助手: the desktop program, and its headless subcommands for scripts.
#include <cstring>
#include <iostream>
#include <string>

#include "cli/ConvertCommand.h"
#include "compare/CompareCommand.h"
#include "extract/ExtractCommand.h"
#include "shell/Desktop.h"
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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return runDesktop(argc, argv);
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
    if (command[0] == '-') return runDesktop(argc, argv);  // Qt's own options (-platform ...)
    std::cerr << "未知的子命令：" << command << "\n" << usage();
    return 2;
}
