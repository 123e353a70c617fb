#pragma once
// The command-line splits for users' scripts: `lorvane split-sheets …` and `lorvane split-books …`.
namespace lorvane::split {

// argv[0] is "split-sheets" or "split-books"; the rest are its arguments. Messages go to
// standard error; the written paths to standard output. 0 on success, 1 when the split was
// refused or failed, 2 for wrong arguments.
int runSplitCommand(int argc, char** argv);

// The usage text of both commands, for `lorvane --help`.
const char* splitCommandHelp();

}  // namespace lorvane::split
