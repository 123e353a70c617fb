// The split commands without the desktop program around them, for timing:
//   split_cli split-sheets|split-books ARGS...   (the same code as `lorvane split-…`)
#include <iostream>

#include "split/SplitCommand.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << lorvane::split::splitCommandHelp();
        return 2;
    }
    return lorvane::split::runSplitCommand(argc - 1, argv + 1);
}
