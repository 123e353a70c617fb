#pragma once
// The command-line compare and fill for users' scripts: `lorvane compare …` and `lorvane fill …`.
namespace lorvane::compare {

// argv[0] is "compare" or "fill"; the rest are its arguments. Messages go to standard error;
// the written path to standard output. 0 on success, 1 when the run was refused or failed,
// 2 for wrong arguments. The input workbooks are never written.
int runCompareCommand(int argc, char** argv);

// The usage text of both commands, for `lorvane --help`.
const char* compareCommandHelp();

}  // namespace lorvane::compare
