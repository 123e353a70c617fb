#pragma once
// The command-line totals for users' scripts: `lorvane total-books …`.
namespace lorvane::summarize {

// argv[0] is "total-books"; the rest are its arguments. Messages go to standard error, the
// written path to standard output. 0 on success, 1 when refused or failed, 2 for wrong
// arguments, 130 when stopped by Ctrl+C. No workbook of the folder is written.
int runTotalCommand(int argc, char** argv);

// The usage text, for `lorvane --help`.
const char* totalCommandHelp();

}  // namespace lorvane::summarize
